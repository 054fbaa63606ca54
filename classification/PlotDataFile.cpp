#include "classification/PlotDataFile.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <system_error>
#include <utility>

#include "engine/NumberFormat.h"

namespace kalvoren {

const std::array<std::string_view, kPlotDataFileCount> kPlotDataFileNames{
    "QJ.dat",
    "QJDAE.dat",
    "WOENFS.dat",
    "CAMGFEMN.dat",
    "ALIVALVI.dat",
    "TINAALIV.dat",
    "WOENFSLindsley.dat",
    "VCELLVM1.dat",
    "VCELLVM1ANHYD.dat",
    "VCELLVM1CORNIM99.dat",
    "VCELLVM1NIM99.dat",
};

namespace {

enum PlotFile : int {
    kQJ,
    kQJDAE,
    kWOENFS,
    kCAMGFEMN,
    kALIVALVI,
    kTINAALIV,
    kWOENFSLindsley,
    kVCELLVM1,
    kVCELLVM1ANHYD,
    kVCELLVM1CORNIM99,
    kVCELLVM1NIM99,
};

constexpr int kZoneWidth = 14;

// The bytes of Windows-1252 0x80..0x9F, as Unicode code points (0 where undefined).
constexpr std::array<char32_t, 32> kWindows1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char toWindows1252(char32_t cp) {
    if (cp == U'\t' || cp == U'\r' || cp == U'\n') return ' ';  // would break the line
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == cp) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one UTF-8 sequence at `p`; returns the code point (or U+FFFD for a malformed
// sequence) and advances `p` by the bytes consumed (1 for a malformed lead byte).
char32_t decodeUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return 0xFFFD;
    }
    const unsigned char* q = p;
    for (int i = 0; i < extra; ++i, ++q) {
        if (q == end || (*q & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (*q & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    p = q;
    return cp;
}

// Sample names are UTF-8 inside the program; the plotting program reads Windows-1252.
void appendWindows1252(std::string& out, std::string_view utf8) {
    auto p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto end = p + utf8.size();
    while (p != end) out.push_back(toWindows1252(decodeUtf8(p, end)));
}

// One line laid out in print zones: the first field at column 0, every further field at
// the first multiple of 14 after the end of the previous one (a field ending exactly on a
// boundary pushes the next to the following boundary; an empty field still takes a zone).
class ZoneLine {
  public:
    explicit ZoneLine(std::string& out) : out_(out), lineStart_(out.size()) {}

    void text(std::string_view ascii) {
        startField();
        out_.append(ascii);
    }
    void sample(std::string_view utf8) {
        startField();
        appendWindows1252(out_, utf8);
    }
    void fixed4(Quantity q) {
        startField();
        appendFixed(out_, q, 4);
    }
    void fixed2(Quantity q) {
        startField();
        appendFixed(out_, q, 2);
    }
    // A number the result row does not format: a blank (or its minus sign) before it and
    // a blank after it; a blank value is written as nothing.
    void number(Quantity q) {
        startField();
        if (q.isBlank()) return;
        if (!(q.value() < 0.0)) out_.push_back(' ');
        appendGeneral(out_, q);
        out_.push_back(' ');
    }
    void end() { out_.append("\r\n"); }

  private:
    void startField() {
        const std::size_t column = out_.size() - lineStart_;
        if (started_) {
            const std::size_t next = (column / kZoneWidth + 1) * kZoneWidth;
            out_.append(next - column, ' ');
        }
        started_ = true;
    }
    std::string& out_;
    std::size_t lineStart_;
    bool started_ = false;
};

// The value of a formatted text ("1,234.5000" reads 1234.5); blank for an empty text.
Quantity formattedValue(std::string_view text) {
    std::array<char, 64> buf{};
    std::size_t n = 0;
    for (char c : text) {
        if (c == kSeparators.group) continue;
        if (n == buf.size()) return Quantity::blank();
        buf[n++] = c == kSeparators.decimal ? '.' : c;
    }
    double v = 0.0;
    const auto r = std::from_chars(buf.data(), buf.data() + n, v);
    if (n == 0 || r.ec != std::errc() || r.ptr != buf.data() + n) return Quantity::blank();
    return v;
}

bool isCaMgFeCpx(const RowResult& r) {
    return r.cls.isCaMgFe() && r.checks.cpxCheck == "Cpx";
}

void writeVolumes(ZoneLine& line, const RowResult& r, std::initializer_list<Quantity> volumes) {
    line.sample(r.input.cpx.sample);
    for (Quantity v : volumes) line.number(v);
    line.end();
}

// Appends the data line of file `file` for the row when the file's condition holds.
bool appendDataLine(std::string& out, int file, const RowResult& r) {
    const PyroxeneCalculation& c = r.cpx;
    const std::string_view sample = r.input.cpx.sample;
    const CellVolumes& v = r.cpxResults.volumes;
    ZoneLine line(out);
    switch (file) {
        case kQJ:
            line.sample(sample);
            line.fixed4(c.basic.J);
            line.fixed4(c.basic.Q);
            break;
        case kQJDAE:
            if (r.cls.group != "Ca-Na pyroxene" && r.cls.group != "Na pyroxene") return false;
            line.sample(sample);
            line.fixed2(c.sets.qJdAeg.Q);
            line.fixed2(c.sets.qJdAeg.Jd);
            line.fixed2(c.sets.qJdAeg.Aeg);
            break;
        case kWOENFS:
            if (!r.cls.isCaMgFe()) return false;
            line.sample(sample);
            line.number(c.sets.woEnFsFetot.Wo);
            line.number(c.sets.woEnFsFetot.En);
            line.number(c.sets.woEnFsFetot.Fs);
            break;
        case kCAMGFEMN:
            if (!isCaMgFeCpx(r)) return false;
            line.sample(sample);
            line.number(c.basic.CaPct);
            line.number(c.basic.MgPct);
            line.number(c.basic.FeMnPct);
            break;
        case kALIVALVI: {
            // The test reads the values as the result row shows them, to 4 decimals.
            const std::string alIV = formatFixed(c.sites.T_Al, 4);
            const std::string alVI = formatFixed(c.sites.M1_Al, 4);
            if (!(formattedValue(alIV) <= 0.4 && formattedValue(alVI) <= 0.4)) return false;
            line.sample(sample);
            line.text(alIV);
            line.text(alVI);
            break;
        }
        case kTINAALIV:
            line.fixed4(c.formula.Ti());
            line.fixed4(c.formula.Na());
            line.fixed4(c.sites.T_Al);
            break;
        case kWOENFSLindsley: {
            if (!(r.input.hasOpx && isCaMgFeCpx(r) && r.checks.opxCheck == "Opx")) return false;
            const LindsleyProjection& l = r.lindsley;
            line.number(l.cpxWo);
            line.number(l.cpxEn);
            line.number(l.cpxFs);
            line.text(".");
            line.number(l.opxWo);
            line.number(l.opxEn);
            line.number(l.opxFs);
            break;
        }
        case kVCELLVM1:
            if (!isCaMgFeCpx(r)) return false;
            writeVolumes(line, r, {v.VM1, v.Vcell});
            return true;
        case kVCELLVM1ANHYD:
            if (!isCaMgFeCpx(r)) return false;
            writeVolumes(line, r, {v.VM1CorrBH, v.VcellCorrBH});
            return true;
        case kVCELLVM1CORNIM99:
            if (!isCaMgFeCpx(r)) return false;
            writeVolumes(line, r, {v.VM1CorrMA, v.VcellCorrMA, v.VM1CorrTH, v.VcellCorrTH});
            return true;
        case kVCELLVM1NIM99:
            if (!isCaMgFeCpx(r)) return false;
            writeVolumes(line, r, {v.VM1Range, v.VcellRange});
            return true;
        default:
            return false;
    }
    line.end();
    return true;
}

}  // namespace

std::string plotDataHeading(int fileIndex) {
    // Up to seven heading fields per file; unused places stay empty.
    static constexpr std::array<std::array<std::string_view, 7>, kPlotDataFileCount> kHeadings{{
        {"SampleNo", "J", "Q"},
        {"SampleNo", "Q", "Jd", "Ae"},
        {"SampleNo", "Wo", "En", "Fs"},
        {"SampleNo", "Ca", "Mg", "Fetot+Mn"},
        {"SampleNo", "AlIV", "AlVI"},
        {"SampleNo", "Ti", "Na", "AlIV"},
        {"Wo", "En", "Fs", ".", "Wo(o)", "En(o)", "Fs(o)"},
        {"SampleNo", "VM1", "Vcell"},
        {"SampleNo", "VM1", "Vcell"},
        {"SampleNo", "VM1CorrMA", "VcellCorrMA", "VM1CorrTH", "VcellCorrTH"},
        {"SampleNo", "VM1", "Vcell"},
    }};
    std::string out;
    if (fileIndex < 0 || fileIndex >= kPlotDataFileCount) return out;
    ZoneLine line(out);
    for (std::string_view field : kHeadings[static_cast<std::size_t>(fileIndex)]) {
        if (!field.empty()) line.text(field);
    }
    line.end();
    return out;
}

std::array<std::string, kPlotDataFileCount> plotDataLines(const RowResult& row) {
    std::array<std::string, kPlotDataFileCount> lines;
    for (int i = 0; i < kPlotDataFileCount; ++i) {
        if (!appendDataLine(lines[static_cast<std::size_t>(i)], i, row)) {
            lines[static_cast<std::size_t>(i)].clear();
        }
    }
    return lines;
}

PlotDataFiles::PlotDataFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

PlotDataFiles::~PlotDataFiles() {
    close();
}

std::filesystem::path PlotDataFiles::pathOf(std::size_t index) const {
    return folder_ / std::string(kPlotDataFileNames[index]);
}

void PlotDataFiles::open() {
    close();
    errors_.clear();
    for (int i = 0; i < kPlotDataFileCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        // Binary mode: the lines carry their own CR LF.
        errno = 0;
        files_[index] = std::fopen(pathOf(index).string().c_str(), "wb");
        if (files_[index] == nullptr) {
            errors_.push_back("The diagram data file \"" + pathOf(index).string() +
                              "\" cannot be created: " + std::strerror(errno) + ".");
            continue;
        }
        write(index, plotDataHeading(i));
    }
}

void PlotDataFiles::writeRow(const RowResult& row) {
    std::string line;
    line.reserve(128);
    for (int i = 0; i < kPlotDataFileCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (files_[index] == nullptr) continue;
        line.clear();
        if (appendDataLine(line, i, row)) write(index, line);
    }
}

void PlotDataFiles::write(std::size_t index, std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), files_[index]) != text.size()) fail(index, errno);
}

void PlotDataFiles::fail(std::size_t index, int error) {
    if (files_[index] != nullptr) std::fclose(files_[index]);
    files_[index] = nullptr;
    std::error_code ignored;
    std::filesystem::remove(pathOf(index), ignored);
    errors_.push_back(
        "The diagram data file \"" + pathOf(index).string() +
        "\" cannot be written: " + (error != 0 ? std::strerror(error) : "the write failed") +
        "; the incomplete file has been removed.");
}

void PlotDataFiles::close() {
    for (std::size_t index = 0; index < files_.size(); ++index) {
        std::FILE* file = files_[index];
        if (file == nullptr) continue;
        // Closing writes what is still buffered, so it can fail as a write can.
        errno = 0;
        const bool flushed = std::fflush(file) == 0;
        const int error = errno;
        if (!flushed) {
            fail(index, error);
            continue;
        }
        files_[index] = nullptr;
        if (std::fclose(file) != 0) fail(index, errno);
    }
}

}  // namespace kalvoren
