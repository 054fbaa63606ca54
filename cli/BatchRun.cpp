#include "cli/BatchRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>

#include <unistd.h>

#include "classification/ResultRow.h"
#include "classification/RunCalculation.h"
#include "cli/ColumnMapping.h"
#include "cli/CsvReader.h"
#include "cli/OutputFile.h"
#include "cli/WorkbookEntrySource.h"
#include "diagrams/DiagramFiles.h"
#include "engine/LeadingNumber.h"
#include "engine/NumberFormat.h"
#include "entry/AnalysisFile.h"
#include "entry/AnalysisTable.h"
#include "entry/CellGrid.h"
#include "entry/TableEntrySource.h"
#include "platform/ResultsWorkbook.h"
#include "platform/Workbook.h"

namespace kalvoren {

namespace {

namespace fs = std::filesystem;

std::string lowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// The entry screen and message box of a batch run.
class BatchScreen final : public EntryScreen, public MessageSink {
  public:
    BatchScreen(std::string path, std::ostream& err) : path_(std::move(path)), err_(err) {}
    void setScreenTitle(std::string_view) override {}
    std::string ensureTableLoaded() override { return path_; }
    void showExclamation(std::string_view text) override {
        err_ << "kalvoren-calc: " << text << '\n';
    }

  private:
    std::string path_;
    std::ostream& err_;
};

enum class TableFormat { Tsv, Csv };

// Writes the result table row by row, with a progress bar on a terminal.
class ResultTableWriter final : public ResultSink {
  public:
    ResultTableWriter(OutputFile& out, TableFormat format, bool keepEmpty, bool progress,
                      const CsvReader* reader, long long inputBytes)
        : out_(out),
          format_(format),
          keepEmpty_(keepEmpty),
          progress_(progress),
          reader_(reader),
          inputBytes_(inputBytes),
          start_(std::chrono::steady_clock::now()) {
        std::string line;
        for (int c = 0; c < kResultColumns; ++c) {
            if (c) line.push_back(separator());
            appendField(line, kResultHeadings[c]);
        }
        line.push_back('\n');
        out_.write(line);
    }
    ~ResultTableWriter() override {
        if (shown_) std::fputs("\n", stderr);
    }

    void setStatusPanel(int, std::string_view) override {}
    void show() override {}

    void appendResultRow(std::string_view text, const RowResult&) override {
        if (format_ == TableFormat::Tsv) {
            out_.write(text);
            out_.write("\n");
        } else {
            line_.clear();
            std::size_t begin = 0;
            while (true) {
                const std::size_t tab = text.find('\t', begin);
                appendField(line_, text.substr(begin, tab - begin));
                if (tab == std::string_view::npos) break;
                line_.push_back(',');
                begin = tab + 1;
            }
            line_.push_back('\n');
            out_.write(line_);
        }
        tick();
    }

    void skippedRow(int) override {
        if (keepEmpty_) {
            out_.write(std::string(kResultColumns - 1, separator()) + "\n");
        }
        tick();
    }

  private:
    char separator() const { return format_ == TableFormat::Tsv ? '\t' : ','; }

    // RFC 4180: a field holding a comma, a quote or a line break is quoted.
    void appendField(std::string& out, std::string_view field) const {
        if (format_ == TableFormat::Csv &&
            field.find_first_of(",\"\r\n") != std::string_view::npos) {
            out.push_back('"');
            for (const char ch : field) {
                if (ch == '"') out.push_back('"');
                out.push_back(ch);
            }
            out.push_back('"');
        } else {
            out.append(field);
        }
    }

    void tick() {
        ++rows_;
        if (!progress_ || (rows_ & 4095) != 0 || rows_ < 5000) return;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? rows_ / seconds : 0;
        std::string left = "";
        if (reader_ && inputBytes_ > 0 && reader_->bytesRead() > 0) {
            const double share = static_cast<double>(reader_->bytesRead()) / inputBytes_;
            const double remaining = share > 0 ? seconds * (1 - share) / share : 0;
            left = ", " + std::to_string(static_cast<long long>(remaining + 0.5)) + " s left";
            const int width = 30;
            const int filled = static_cast<int>(share * width + 0.5);
            left = " [" + std::string(filled, '#') + std::string(width - filled, '.') + "]" + left;
        }
        std::fprintf(stderr, "\r%lld rows, %.0f rows/s%s   ", rows_, rate, left.c_str());
        shown_ = true;
    }

    OutputFile& out_;
    TableFormat format_;
    bool keepEmpty_;
    bool progress_;
    const CsvReader* reader_;
    long long inputBytes_;
    std::chrono::steady_clock::time_point start_;
    long long rows_ = 0;
    bool shown_ = false;
    std::string line_;
};

// Writes the result table as a workbook, as the results screen's export lays out its grid:
// the numbering row, the heading row, then one row per result.
class ResultWorkbookWriter final : public ResultSink {
  public:
    explicit ResultWorkbookWriter(const std::string& target)
        : writer_(target, ResultsWorkbookOptions{true, 2, 2, 1, 0}) {}

    bool open(std::string& error) {
        WorkbookWriteResult r = writer_.open();
        std::vector<std::string> numbering(kResultColumns);
        for (int c = 1; c < kResultColumns; ++c) numbering[c] = std::to_string(c);
        if (r.ok()) r = writer_.writeRow(numbering);
        std::vector<std::string> headings(kResultHeadings.begin(), kResultHeadings.end());
        if (r.ok()) r = writer_.writeRow(headings);
        error = r.error;
        return r.ok();
    }
    bool finish(std::string& error) {
        if (!error_.empty()) {
            error = error_;
            return false;
        }
        const WorkbookWriteResult r = writer_.finish();
        error = r.error;
        return r.ok();
    }

    void setStatusPanel(int, std::string_view) override {}
    void show() override {}
    void appendResultRow(std::string_view text, const RowResult&) override {
        std::size_t begin = 0;
        for (int c = 0; c < kResultColumns; ++c) {
            const std::size_t tab = text.find('\t', begin);
            cells_[c].assign(text.substr(begin, tab - begin));
            begin = tab == std::string_view::npos ? text.size() : tab + 1;
        }
        write();
    }
    void skippedRow(int) override {
        if (!keepEmpty) return;
        for (std::string& cell : cells_) cell.clear();
        write();
    }
    bool keepEmpty = false;

  private:
    void write() {
        if (!error_.empty()) return;
        const WorkbookWriteResult r = writer_.writeRow(cells_);
        if (!r.ok()) error_ = r.error;
    }
    ResultsWorkbookWriter writer_;
    std::vector<std::string> cells_ = std::vector<std::string>(kResultColumns);
    std::string error_;
};

// The rows of a named-column (or positional) CSV/TSV table, one at a time.
class CsvEntrySource final : public EntrySource {
  public:
    CsvEntrySource(CsvReader& reader, ColumnMapping mapping)
        : reader_(reader), mapping_(std::move(mapping)) {
        // Without unit conversions a row is only its fields put in their columns, which
        // is done here without the mapping's general steps.
        const auto& targets = mapping_.targets();
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (!targets[i]) continue;
            if (targets[i]->conversion != UnitConversion::None) converts_ = true;
            placed_.push_back({i, targets[i]->entryColumn});
        }
    }
    bool next(EntryRow& row, int& rowNumber) override {
        if (!reader_.next()) return false;
        const std::vector<std::string_view>& fields = reader_.fields();
        if (converts_) {
            mapping_.fill(fields, scratch_, row);
        } else {
            row.cells.fill(std::string_view{});
            for (const Placement& p : placed_) {
                if (p.field < fields.size()) row.cells[p.column] = fields[p.field];
            }
        }
        row.cells[0] = {};
        rowNumber = ++rows_;
        return true;
    }

  private:
    struct Placement {
        std::size_t field;
        int column;
    };

    CsvReader& reader_;
    ColumnMapping mapping_;
    std::vector<Placement> placed_;
    bool converts_ = false;
    std::vector<std::string> scratch_;
    int rows_ = 0;
};

void reportNonNumeric(const RunSummary& summary, std::ostream& err) {
    const auto& cells = summary.nonNumericCells;
    const std::size_t count = summary.nonNumericCellCount;
    if (count == 0) return;
    err << "kalvoren-calc: " << count << (count == 1 ? " cell was" : " cells were")
        << " not a plain number and read by its leading number:\n";
    const std::size_t shown = std::min<std::size_t>(cells.size(), 20);
    for (std::size_t i = 0; i < shown; ++i) {
        const NonNumericCell& c = cells[i];
        std::string heading(kEntryHeadings[c.column]);
        while (!heading.empty() && heading.back() == ' ') heading.pop_back();
        err << "  row " << c.row << ", " << heading << ": \"" << c.text << "\" read as "
            << (std::isnan(c.valueRead) ? std::string("blank") : formatGeneral(c.valueRead))
            << '\n';
    }
    if (count > shown) err << "  ... and " << count - shown << " more\n";
}

}  // namespace

namespace {

bool isWorkbook(const std::string& ext) {
    return ext == ".xlsx" || ext == ".xls" || ext == ".ods";
}

// Rows of a delimited table (records after the heading row), for the workbook row limit.
long long countTableRows(const std::string& path, char delimiter, bool positional) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return 0;
    CsvReader reader(f.get(), delimiter);
    long long n = 0;
    while (reader.next()) ++n;
    return positional ? n : std::max(0LL, n - 1);
}

// Reports the unused columns, or refuses a table without any clinopyroxene oxide column.
bool checkMapping(const ColumnMapping& mapping, const std::vector<std::string_view>& headings,
                  const std::string& input, std::ostream& err) {
    if (!mapping.hasCpxOxide()) {
        err << "kalvoren-calc: '" << input
            << "' has no clinopyroxene oxide column; its columns are:";
        for (const std::string_view f : headings) err << " \"" << f << '"';
        err << "\n(use --positional for a table without heading row in the analysis file's "
               "order)\n";
        return false;
    }
    if (!mapping.ignored().empty()) {
        err << "kalvoren-calc: columns not used:";
        for (const std::string& name : mapping.ignored()) err << " \"" << name << '"';
        err << '\n';
    }
    return true;
}

}  // namespace

int runBatch(const BatchOptions& options, std::ostream& err) {
    const std::string ext = lowerExtension(options.input);
    const std::string outExt = lowerExtension(options.output);
    const bool toWorkbook = outExt == ".xlsx";
    const TableFormat outFormat = outExt == ".csv" ? TableFormat::Csv : TableFormat::Tsv;
    const bool delimited = ext == ".csv" || ext == ".tsv" || ext == ".txt";
    const char delimiter = ext == ".csv" ? ',' : '\t';

    if (!fs::exists(options.input)) {
        err << "kalvoren-calc: cannot read '" << options.input << "': No such file or directory\n";
        return 1;
    }

    // A workbook holds 1,048,576 rows: the numbering row, the heading row and the results.
    if (toWorkbook) {
        long long rows = 0;
        if (delimited) {
            rows = countTableRows(options.input, delimiter, options.positional);
        } else if (isWorkbook(ext)) {
            forEachWorkbookRow(options.input, [&](int index, const std::vector<WorkbookCell>&) {
                rows = index + 1;
                return true;
            });
            if (!options.positional) rows = std::max(0LL, rows - 1);
        }
        constexpr long long kLimit = ResultsWorkbookWriter::kMaxRows - 2;
        if (rows > kLimit) {
            err << "kalvoren-calc: '" << options.input << "' holds " << rows
                << " rows, more than the " << kLimit
                << " a workbook can take below its two heading rows; write .tsv or .csv instead\n";
            return 1;
        }
    }

    // The input: an analysis file goes through the table, like the desktop program;
    // delimited tables and workbooks are streamed row by row.
    CellGrid table;
    std::unique_ptr<EntrySource> rows;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    std::unique_ptr<CsvReader> reader;
    WorkbookEntrySource* workbook = nullptr;
    long long inputBytes = 0;
    if (delimited) {
        file.reset(std::fopen(options.input.c_str(), "rb"));
        if (!file) {
            err << "kalvoren-calc: cannot read '" << options.input << "': " << std::strerror(errno)
                << '\n';
            return 1;
        }
        std::error_code ec;
        inputBytes = static_cast<long long>(fs::file_size(options.input, ec));
        reader = std::make_unique<CsvReader>(file.get(), delimiter);
        ColumnMapping mapping = ColumnMapping::positional();
        if (!options.positional) {
            if (!reader->next()) {
                err << "kalvoren-calc: cannot read '" << options.input
                    << "': " << (reader->error().empty() ? "the file is empty" : reader->error())
                    << '\n';
                return 1;
            }
            mapping = ColumnMapping::fromHeadings(reader->fields());
            if (!checkMapping(mapping, reader->fields(), options.input, err)) return 1;
        }
        rows = std::make_unique<CsvEntrySource>(*reader, std::move(mapping));
    } else if (isWorkbook(ext)) {
        auto source = std::make_unique<WorkbookEntrySource>(options.input, options.positional);
        if (!source->start()) {
            err << "kalvoren-calc: " << source->error() << '\n';
            return 1;
        }
        if (!options.positional) {
            std::vector<std::string_view> headings(source->headings().begin(),
                                                   source->headings().end());
            if (!checkMapping(source->mapping(), headings, options.input, err)) return 1;
        }
        workbook = source.get();
        rows = std::move(source);
    } else {
        capCell(table);
        const AnalysisLoad load = loadAnalysisFile(table, options.input, "");
        if (!load.read) {
            err << "kalvoren-calc: " << load.reason << '\n';
            return 1;
        }
        if (!load.warning.empty()) err << "kalvoren-calc: " << load.warning << '\n';
        rows = std::make_unique<TableEntrySource>(table);
    }

    std::string error;
    OutputFile out;
    std::unique_ptr<ResultWorkbookWriter> workbookOut;
    if (toWorkbook) {
        workbookOut = std::make_unique<ResultWorkbookWriter>(options.output);
        workbookOut->keepEmpty = options.keepEmpty;
        if (!workbookOut->open(error)) {
            err << "kalvoren-calc: " << error << '\n';
            return 1;
        }
    } else if (!out.open(options.output, error)) {
        err << "kalvoren-calc: " << error << '\n';
        return 1;
    }

    OptionMarks marks;
    for (const Option o : options.marks) marks.setMarked(o, true);

    // The diagrams are drawn from the run's own data files: without --plot-data they go to
    // a scratch folder that is removed afterwards.
    fs::path plotFolder = options.plotDataDir;
    struct ScratchFolder {
        fs::path path;
        ~ScratchFolder() {
            std::error_code ec;
            if (!path.empty()) fs::remove_all(path, ec);
        }
    } scratch;
    if (plotFolder.empty() && !options.diagramsDir.empty()) {
        std::string pattern = (fs::temp_directory_path() / "kalvoren-plot-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            err << "kalvoren-calc: cannot create a folder for the diagrams' data files: "
                << std::strerror(errno) << '\n';
            return 1;
        }
        scratch.path = plotFolder = pattern;
    }
    std::unique_ptr<PlotDataFiles> plotData;
    if (!plotFolder.empty()) {
        std::error_code ec;
        fs::create_directories(plotFolder, ec);
        if (!fs::is_directory(plotFolder)) {
            err << "kalvoren-calc: cannot create the folder '" << plotFolder.string() << "'"
                << (ec ? ": " + ec.message() : std::string()) << '\n';
            return 1;
        }
        plotData = std::make_unique<PlotDataFiles>(plotFolder);
    }

    BatchScreen screen(options.input, err);
    RunSummary summary;
    if (workbookOut) {
        RunSurroundings surroundings{screen, *rows, *workbookOut, plotData.get(), screen};
        summary = RunCalculation(surroundings, marks);
    } else {
        const bool progress = !options.quiet && ::isatty(STDERR_FILENO) && !out.isStandardOutput();
        ResultTableWriter writer(out, outFormat, options.keepEmpty, progress, reader.get(),
                                 inputBytes);
        RunSurroundings surroundings{screen, *rows, writer, plotData.get(), screen};
        summary = RunCalculation(surroundings, marks);
    }

    std::string inputError;
    if (reader && !reader->error().empty()) inputError = reader->error();
    if (workbook && !workbook->error().empty()) inputError = workbook->error();
    if (!inputError.empty()) {
        out.discard();
        workbookOut.reset();  // an unfinished workbook is discarded
        err << "kalvoren-calc: cannot read '" << options.input << "': " << inputError << '\n';
        return 1;
    }
    if (plotData && !plotData->errors().empty()) {
        // The results are not put in place either: a run that fails changes no output.
        out.discard();
        workbookOut.reset();
        for (const std::string& e : plotData->errors()) err << "kalvoren-calc: " << e << '\n';
        return 1;
    }
    const bool written = workbookOut ? workbookOut->finish(error) : out.commit(error);
    if (!written) {
        err << "kalvoren-calc: " << error << '\n';
        return 1;
    }
    if (!options.diagramsDir.empty()) {
        const DiagramWriteReport diagrams = writeDiagrams(plotFolder, options.diagramsDir);
        for (const std::string& e : diagrams.errors) err << "kalvoren-calc: " << e << '\n';
        if (!diagrams.ok()) return 1;
    }
    reportNonNumeric(summary, err);
    if (!options.quiet)
        err << "kalvoren-calc: " << summary.rowsCalculated << " analyses calculated from '"
            << options.input << "'\n";
    return 0;
}

}  // namespace kalvoren
