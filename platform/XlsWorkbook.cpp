// The .xls reader. Workbooks of Excel 97 and later (BIFF8, also what LibreOffice writes)
// are read record by record from the compound file: the active sheet from the window
// record, the shared texts, and every kind of cell, the saved results of formulas and the
// logical and error values included. Older workbooks (Excel 5 and before, whose texts are
// in a code page) go through FreeXL, which reads their first sheet's numbers and texts.
//
// FreeXL is not used for BIFF8: it skips formula cells and logical values, cannot tell
// the active sheet, and does not release all its memory on damaged files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Utf8.h"
#include "platform/CompoundFile.h"
#include "platform/SheetRows.h"

namespace kalvoren {

namespace {

constexpr std::uintmax_t kMaxXlsBytes = 256u << 20;
constexpr std::size_t kMaxUnorderedBytes = std::size_t{64} << 20;

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(u16(p)) | (static_cast<std::uint32_t>(u16(p + 2)) << 16);
}

constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kFilePass = 0x002F, kWindow1 = 0x003D,
                        kBoundSheet = 0x0085, kSst = 0x00FC, kContinue = 0x003C, kFormula = 0x0006,
                        kBoolErr = 0x0205, kString = 0x0207, kLabelSst = 0x00FD, kLabel = 0x0204,
                        kRString = 0x00D6, kNumber = 0x0203, kRk = 0x027E, kMulRk = 0x00BD;

struct Record {
    std::uint16_t type = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

class RecordWalk {
  public:
    RecordWalk(const std::vector<std::uint8_t>& stream, std::size_t at)
        : stream_(stream), at_(at) {}
    bool next(Record& record) {
        if (at_ + 4 > stream_.size()) return false;
        record.type = u16(stream_.data() + at_);
        record.size = u16(stream_.data() + at_ + 2);
        if (at_ + 4 + record.size > stream_.size()) return false;
        record.data = stream_.data() + at_ + 4;
        at_ += 4 + record.size;
        return true;
    }
    bool nextIsContinue() const {
        return at_ + 4 <= stream_.size() && u16(stream_.data() + at_) == kContinue;
    }

  private:
    const std::vector<std::uint8_t>& stream_;
    std::size_t at_;
};

// The data of one record and of the CONTINUE records after it, read as one; character
// data that runs on into the next record starts there with a new flags byte.
class ContinuedData {
  public:
    ContinuedData(const Record& first, RecordWalk& walk) {
        segments_.push_back(first);
        Record more;
        while (walk.nextIsContinue() && walk.next(more)) segments_.push_back(more);
    }

    bool byte(std::uint8_t& out) {
        if (!settle()) return false;
        out = segments_[segment_].data[offset_++];
        return true;
    }
    bool word(std::uint16_t& out) {
        std::uint8_t lo, hi;
        if (!byte(lo) || !byte(hi)) return false;
        out = static_cast<std::uint16_t>(lo | (hi << 8));
        return true;
    }
    bool dword(std::uint32_t& out) {
        std::uint16_t lo, hi;
        if (!word(lo) || !word(hi)) return false;
        out = lo | (static_cast<std::uint32_t>(hi) << 16);
        return true;
    }
    bool skip(std::size_t n) {
        while (n > 0) {
            if (!settle()) return false;
            const std::size_t step = std::min(n, segments_[segment_].size - offset_);
            offset_ += step;
            n -= step;
        }
        return true;
    }
    // `count` characters, one byte each (the low byte of UTF-16) or UTF-16LE.
    bool characters(std::size_t count, bool wide, std::string& out) {
        std::uint16_t pendingHigh = 0;
        while (count > 0) {
            if (offset_ >= segments_[segment_].size) {
                if (segment_ + 1 >= segments_.size()) return false;
                ++segment_;
                offset_ = 0;
                std::uint8_t flags;
                if (!byte(flags)) return false;
                wide = (flags & 1) != 0;
            }
            const Record& s = segments_[segment_];
            const std::size_t width = wide ? 2 : 1;
            const std::size_t available = std::min(count, (s.size - offset_) / width);
            if (available == 0) return false;
            for (std::size_t i = 0; i < available; ++i) {
                const std::uint8_t* p = s.data + offset_ + i * width;
                const std::uint16_t unit = wide ? u16(p) : *p;
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    pendingHigh = unit;
                } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    if (pendingHigh)
                        appendUtf8(out,
                                   0x10000 + ((pendingHigh - 0xD800u) << 10) + (unit - 0xDC00u));
                    pendingHigh = 0;
                } else {
                    pendingHigh = 0;
                    appendUtf8(out, unit);
                }
            }
            offset_ += available * width;
            count -= available;
        }
        return true;
    }
    // A string with a 16-bit length (labels, formula texts) or an 8-bit one (sheet names),
    // with its optional rich-text runs and phonetic block.
    bool string(bool shortLength, std::string& out) {
        std::uint16_t count = 0;
        std::uint8_t flags = 0;
        if (shortLength) {
            std::uint8_t c;
            if (!byte(c)) return false;
            count = c;
        } else if (!word(count)) {
            return false;
        }
        if (!byte(flags)) return false;
        std::uint16_t runs = 0;
        std::uint32_t phonetic = 0;
        if ((flags & 0x08) && !word(runs)) return false;
        if ((flags & 0x04) && !dword(phonetic)) return false;
        if (!characters(count, (flags & 1) != 0, out)) return false;
        return skip(4u * runs) && skip(phonetic);
    }

  private:
    // Moves past ended records; false at the end of the data.
    bool settle() {
        while (offset_ >= segments_[segment_].size) {
            if (segment_ + 1 >= segments_.size()) return false;
            ++segment_;
            offset_ = 0;
        }
        return true;
    }

    std::vector<Record> segments_;
    std::size_t segment_ = 0, offset_ = 0;
};

double rkNumber(std::uint32_t rk) {
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

struct Biff8Sheet {
    std::string name;
    std::uint32_t offset = 0;
    std::uint8_t kind = 0;  // 0 worksheet, 2 chart, ...
};

struct Biff8Globals {
    std::vector<Biff8Sheet> sheets;
    std::size_t activeTab = 0;
    TextPool texts;
};

// The workbook part of the stream; the reason when it cannot be read.
std::string readGlobals(const std::vector<std::uint8_t>& stream, Biff8Globals& globals) {
    RecordWalk walk(stream, 0);
    Record record;
    walk.next(record);  // the BOF, checked by the caller
    bool windowSeen = false;
    while (true) {
        if (!walk.next(record)) return "the workbook is damaged or truncated";
        if (record.type == kEof) break;
        if (record.type == kFilePass)
            return "the workbook is password-protected; save it without a password";
        if (record.type == kWindow1 && record.size >= 12 && !windowSeen) {
            globals.activeTab = u16(record.data + 10);
            windowSeen = true;
        } else if (record.type == kBoundSheet && record.size >= 8) {
            Biff8Sheet sheet;
            sheet.offset = u32(record.data);
            sheet.kind = record.data[5];
            Record name{record.type, record.data + 6, record.size - 6};
            RecordWalk none(stream, stream.size());
            ContinuedData data(name, none);
            data.string(true, sheet.name);
            globals.sheets.push_back(std::move(sheet));
        } else if (record.type == kSst && record.size >= 8) {
            ContinuedData data(record, walk);
            std::uint32_t total, unique;
            if (!data.dword(total) || !data.dword(unique))
                return "the workbook's shared texts are damaged";
            // The count comes from the file; the texts themselves bound the loop.
            std::string text;
            for (std::uint32_t i = 0; i < unique; ++i) {
                text.clear();
                if (!data.string(false, text)) {
                    if (text.empty()) break;  // the data ended: some writers overstate the count
                    return "the workbook's shared texts are damaged";
                }
                globals.texts.add(text);
            }
        }
    }
    if (globals.sheets.empty()) return "the workbook holds no sheet";
    return {};
}

struct PlacedCell {
    int row = 0, col = 0;
    WorkbookCell cell;
};

// Walks the cell records of the sheet at `offset`, handing each cell that holds something
// to `visit` (false stops). The reason when the sheet is damaged.
template <typename Visit>
std::string walkCells(const std::vector<std::uint8_t>& stream, std::uint32_t offset,
                      const TextPool& texts, bool valuesWanted, Visit&& visit) {
    RecordWalk walk(stream, offset);
    Record record;
    if (!walk.next(record) || record.type != kBof) return "the sheet is damaged";
    int depth = 1;  // charts placed on the sheet bring their own BOF ... EOF
    bool awaitingText = false;
    int textRow = 0, textCol = 0;
    auto place = [&](int row, int col, WorkbookCell cell) {
        if (cell.kind == WorkbookCell::Empty) return true;
        return visit(PlacedCell{row, col, std::move(cell)});
    };
    while (depth > 0) {
        if (!walk.next(record)) return "the sheet is damaged or truncated";
        if (record.type == kBof) {
            ++depth;
            continue;
        }
        if (record.type == kEof) {
            --depth;
            continue;
        }
        if (depth != 1) continue;
        const std::uint8_t* d = record.data;
        const int row = record.size >= 4 ? u16(d) : 0;
        const int col = record.size >= 4 ? u16(d + 2) : 0;
        bool go = true;
        switch (record.type) {
            case kNumber:
                if (record.size >= 14) {
                    double value;
                    std::memcpy(&value, d + 6, sizeof value);
                    go = place(row, col, valuesWanted ? numberCell(value) : errorCell());
                }
                break;
            case kRk:
                if (record.size >= 10)
                    go = place(row, col,
                               valuesWanted ? numberCell(rkNumber(u32(d + 6))) : errorCell());
                break;
            case kMulRk:
                if (record.size >= 6) {
                    const std::size_t cells = (record.size - 6) / 6;
                    for (std::size_t i = 0; go && i < cells; ++i)
                        go = place(row, col + static_cast<int>(i),
                                   valuesWanted ? numberCell(rkNumber(u32(d + 4 + 6 * i + 2)))
                                                : errorCell());
                }
                break;
            case kLabelSst:
                if (record.size >= 10) {
                    const std::uint32_t index = u32(d + 6);
                    if (index >= texts.size())
                        return "a cell refers to a shared text that does not exist";
                    go = place(row, col, valuesWanted ? textCell(texts.at(index)) : errorCell());
                }
                break;
            case kLabel:
            case kRString:
                if (record.size >= 9) {
                    std::string text;
                    if (valuesWanted) {
                        Record body{record.type, d + 6, record.size - 6};
                        RecordWalk none(stream, stream.size());
                        ContinuedData data(body, none);
                        data.string(false, text);
                    }
                    go = place(row, col, valuesWanted ? textCell(text) : errorCell());
                }
                break;
            case kBoolErr:
                if (record.size >= 8)
                    go = place(row, col, d[7] ? errorCell() : logicalCell(d[6] != 0));
                break;
            case kFormula:
                awaitingText = false;
                if (record.size >= 20) {
                    const std::uint8_t* result = d + 6;
                    if (u16(result + 6) != 0xFFFF) {
                        double value;
                        std::memcpy(&value, result, sizeof value);
                        go = place(row, col, valuesWanted ? numberCell(value) : errorCell());
                    } else if (result[0] == 0) {  // the text follows in a STRING record
                        awaitingText = true;
                        textRow = row;
                        textCol = col;
                    } else if (result[0] == 1) {
                        go = place(row, col, logicalCell(result[2] != 0));
                    } else if (result[0] == 2) {
                        go = place(row, col, errorCell());
                    }
                }
                break;
            case kString:
                if (awaitingText) {
                    awaitingText = false;
                    std::string text;
                    if (valuesWanted) {
                        ContinuedData data(record, walk);
                        data.string(false, text);
                        go = place(textRow, textCol, textCell(text));
                    } else {
                        go = place(textRow, textCol, errorCell());
                    }
                }
                break;
            default:
                break;
        }
        if (!go) return {};
    }
    return {};
}

// Hands the placed cells on as rows.
class RowAssembly {
  public:
    explicit RowAssembly(const SheetRowSink& sink) : sink_(sink) {}
    bool add(PlacedCell&& placed) {
        if (placed.row >= kMaxSheetRows || placed.col >= kMaxSheetColumns) return true;
        if (open_ && placed.row != row_.index && !flush()) return false;
        if (!open_) {
            row_.index = placed.row;
            row_.clear();
            open_ = true;
        }
        if (!row_.add(placed.col, std::move(placed.cell))) {
            failure_ = rowTooLargeReason(row_.index);
            return false;
        }
        return true;
    }
    // Why add() refused a cell; empty when the sink stopped the reading.
    const std::string& failure() const { return failure_; }
    bool flush() {
        if (!open_) return true;
        open_ = false;
        std::stable_sort(row_.cells.begin(), row_.cells.end(),
                         [](const SheetCell& a, const SheetCell& b) { return a.col < b.col; });
        return sink_(row_);
    }

  private:
    const SheetRowSink& sink_;
    SheetRow row_;
    std::string failure_;
    bool open_ = false;
};

std::string readBiff8(const std::vector<std::uint8_t>& stream, const SheetRowSink& sink,
                      std::string& sheetName) {
    Biff8Globals globals;
    if (std::string reason = readGlobals(stream, globals); !reason.empty()) return reason;
    if (globals.activeTab >= globals.sheets.size()) globals.activeTab = 0;
    const Biff8Sheet& sheet = globals.sheets[globals.activeTab];
    sheetName = sheet.name;
    if (sheet.kind == 2)
        return "the active sheet \"" + sheet.name + "\" is a chart and holds no cells";
    if (sheet.kind != 0) return "the active sheet \"" + sheet.name + "\" is not a worksheet";

    // Cells come row by row in files Excel and LibreOffice write; should a file have them
    // out of order, they are gathered and put in order first.
    bool ordered = true;
    int lastRow = -1;
    std::string reason =
        walkCells(stream, sheet.offset, globals.texts, false, [&](const PlacedCell& placed) {
            ordered = placed.row >= lastRow;
            lastRow = placed.row;
            return ordered;
        });
    if (!reason.empty()) return reason;

    RowAssembly rows(sink);
    bool stopped = false;
    if (ordered) {
        reason = walkCells(stream, sheet.offset, globals.texts, true, [&](PlacedCell&& placed) {
            stopped = !rows.add(std::move(placed));
            return !stopped;
        });
    } else {
        // Gathered whole, so bounded as a whole: every cell may refer to one long text.
        std::vector<PlacedCell> cells;
        std::size_t bytes = 0;
        reason = walkCells(stream, sheet.offset, globals.texts, true, [&](PlacedCell&& placed) {
            bytes += sizeof(PlacedCell) + placed.cell.text.size();
            if (bytes > kMaxUnorderedBytes) return false;
            cells.push_back(std::move(placed));
            return true;
        });
        if (reason.empty() && bytes > kMaxUnorderedBytes)
            reason = "its cells are stored out of order and hold more than " +
                     std::to_string(kMaxUnorderedBytes >> 20) + " MB of text";
        if (!reason.empty()) return reason;
        std::stable_sort(cells.begin(), cells.end(),
                         [](const auto& a, const auto& b) { return a.row < b.row; });
        for (auto& placed : cells)
            if ((stopped = !rows.add(std::move(placed)))) break;
    }
    if (!reason.empty()) return reason;
    if (!stopped) rows.flush();
    return rows.failure();
}

// Excel 5 and older: FreeXL, first sheet, numbers and texts.
// Workbooks of Excel 5 and older (before 1997) use a record format of their own. The
// library that reads them (freexl) was found to overrun memory on damaged files, and no
// file a user loads may crash the program, so they are refused with a way out.
std::string olderXlsReason() {
    return "it is an Excel 5.0/95 workbook (from before 1997), which cannot be read; open it "
           "in a spreadsheet program and save it as .xlsx";
}

bool readFileBytes(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes,
                   std::string& reason) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        reason = "the file cannot be read (" + ec.message() + ")";
        return false;
    }
    if (size > kMaxXlsBytes) {
        reason = "the file is larger than the 256 MB an .xls workbook is allowed";
        return false;
    }
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) {
        reason = "the file cannot be opened";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(n);
    return true;
}

}  // namespace

std::string readXlsSheet(const std::filesystem::path& file, const SheetRowSink& sink,
                         std::string& sheetName) {
    std::string reason;
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(file, bytes, reason)) return reason;
    std::vector<std::uint8_t> stream;
    {
        CompoundFile container;
        if (!container.open(std::move(bytes), reason)) return reason;
        std::string bookReason;
        if (!container.readStream("Workbook", stream, reason)) {
            // Excel 5 names the stream "Book".
            if (!container.readStream("Book", stream, bookReason)) return reason;
            return olderXlsReason();
        }
    }
    Record bof;
    RecordWalk walk(stream, 0);
    if (!walk.next(bof) || bof.type != kBof || bof.size < 4)
        return "the file holds no .xls workbook";
    if (u16(bof.data) != 0x0600) return olderXlsReason();
    return readBiff8(stream, sink, sheetName);
}

}  // namespace kalvoren
