#include "platform/ResultsWorkbook.h"

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>

#include "engine/NumberFormat.h"

namespace kalvoren {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A spreadsheet cell holds at most this many characters.
constexpr std::size_t kMaxCellCharacters = 32767;

// The text as valid UTF-8 within the cell limit: a byte that does not belong to a UTF-8
// sequence is taken as a Latin-1 character (as an 8-bit analysis file may carry), and a
// text longer than a cell can hold is cut at the limit.
std::string cellText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t characters = 0;
    for (std::size_t i = 0; i < s.size() && characters < kMaxCellCharacters; ++characters) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t length = b < 0x80         ? 1
                             : (b >> 5) == 6  ? 2
                             : (b >> 4) == 14 ? 3
                             : (b >> 3) == 30 ? 4
                                              : 0;
        bool valid = length > 0 && i + length <= s.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (valid && length == 2 && b < 0xC2) valid = false;  // overlong
        if (valid) {
            out.append(s.substr(i, length));
            i += length;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
            ++i;
        }
    }
    return out;
}

// libxlsxwriter prints numbers with the C library's printf, which follows the user's
// locale: under a locale with a decimal comma it would write "1234,5" into the workbook,
// which no spreadsheet reads as a number. Its calls run under the "C" locale, on this
// thread only.
class ClassicNumbers {
  public:
    ClassicNumbers() {
        static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        if (classic) previous_ = uselocale(classic);
    }
    ~ClassicNumbers() {
        if (previous_) uselocale(previous_);
    }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

  private:
    locale_t previous_ = static_cast<locale_t>(0);
};

std::error_code lastSystemError() {
    return {errno, std::generic_category()};
}

std::string systemReason(const std::error_code& cause) {
    if (cause == std::errc::no_such_file_or_directory) return "the folder does not exist";
    if (cause == std::errc::not_a_directory) return "the folder does not exist";
    if (cause == std::errc::permission_denied || cause == std::errc::read_only_file_system ||
        cause == std::errc::operation_not_permitted)
        return "the folder or the file is read-only (" + cause.message() + ")";
    if (cause == std::errc::no_space_on_device) return "the disk is full";
    return cause.message();
}

}  // namespace

std::optional<double> spreadsheetNumber(std::string_view text) {
    std::size_t i = 0;
    std::string plain;  // without sign, grouping commas
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Whole part, plain ("1234") or grouped by thousands ("1,234,567").
    const std::size_t wholeStart = i;
    while (i < text.size() && isDigit(text[i])) plain += text[i++];
    const std::size_t firstGroup = i - wholeStart;
    while (i < text.size() && text[i] == kSeparators.group) {
        if (firstGroup == 0 || firstGroup > 3 || text[wholeStart] == '0') return std::nullopt;
        for (std::size_t k = 1; k <= 3; ++k)
            if (i + k >= text.size() || !isDigit(text[i + k])) return std::nullopt;
        if (i + 4 < text.size() && isDigit(text[i + 4])) return std::nullopt;
        plain.append(text.substr(i + 1, 3));
        i += 4;
    }
    const std::size_t wholeDigits = plain.size();
    // Leading zeros would be lost ("007" would read as 7): the text stays text.
    if (wholeDigits > 1 && plain.front() == '0') return std::nullopt;

    std::size_t fractionDigits = 0;
    if (i < text.size() && text[i] == kSeparators.decimal) {
        plain += '.';
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++fractionDigits;
        }
    }
    if (wholeDigits + fractionDigits == 0) return std::nullopt;

    // Digits a spreadsheet would keep: at most 15 significant ones.
    {
        std::string digits;
        for (char c : plain)
            if (isDigit(c)) digits += c;
        const auto first = digits.find_first_not_of('0');
        if (first != std::string::npos) {
            const auto last = digits.find_last_not_of('0');
            if (last - first + 1 > 15) return std::nullopt;
        }
    }

    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        const std::size_t expStart = i;
        while (i < text.size() && isDigit(text[i])) plain += text[i++];
        if (i == expStart) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    double value = 0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || ptr != plain.data() + plain.size()) return std::nullopt;
    // Beyond the largest number a spreadsheet holds, or too small to be told from 0.
    if (!std::isfinite(value) || std::fabs(value) > 9.99999999999999e307) return std::nullopt;
    if (value != 0 && std::fabs(value) < 2.2250738585072014e-308) return std::nullopt;
    return (negative ? -value : value) + 0.0;  // no negative zero
}

struct ResultsWorkbookWriter::Library {
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* bold = nullptr;
};

ResultsWorkbookWriter::ResultsWorkbookWriter(std::filesystem::path target,
                                             ResultsWorkbookOptions options)
    : target_(std::move(target)), options_(options) {}

ResultsWorkbookWriter::~ResultsWorkbookWriter() {
    discard();
}

void ResultsWorkbookWriter::discard() {
    if (library_) {
        if (library_->workbook) lxw_workbook_free(library_->workbook);
        delete library_;
        library_ = nullptr;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

WorkbookWriteResult ResultsWorkbookWriter::failure(std::string reason, std::error_code cause) {
    discard();
    return {"The workbook \"" + target_.string() + "\" cannot be written: " + reason + ".", cause};
}

WorkbookWriteResult ResultsWorkbookWriter::open() {
    const ClassicNumbers classic;
    discard();
    rowsWritten_ = 0;
    std::error_code ec;
    const auto status = std::filesystem::status(target_, ec);
    if (std::filesystem::is_directory(status)) return failure("it is a folder");
    if (std::filesystem::exists(status) && ::access(target_.c_str(), W_OK) != 0) {
        const std::error_code cause = lastSystemError();
        return failure("the file is read-only (" + cause.message() + ")", cause);
    }

    // A new file beside the target, so that the finished workbook can take its place in
    // one step; created with the usual permissions of new files.
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::filesystem::path folder =
        target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary_ = folder / ("." + target_.filename().string() + ".part-" +
                               std::to_string(random()) + "-" + std::to_string(counter++));
        fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const std::error_code cause = lastSystemError();
        temporary_.clear();
        return failure(systemReason(cause), cause);
    }
    ::close(fd);

    library_ = new Library;
    lxw_workbook_options libraryOptions{};
    libraryOptions.constant_memory = options_.constantMemory ? LXW_TRUE : LXW_FALSE;
    libraryOptions.tmpdir = nullptr;
    libraryOptions.use_zip64 = LXW_TRUE;
    library_->workbook = workbook_new_opt(temporary_.c_str(), &libraryOptions);
    if (!library_->workbook) return failure("the workbook cannot be started");
    library_->sheet = workbook_add_worksheet(library_->workbook, nullptr);
    if (!library_->sheet) return failure("the workbook cannot be started");
    if (options_.boldRows > 0) {
        library_->bold = workbook_add_format(library_->workbook);
        format_set_bold(library_->bold);
    }
    if (options_.frozenRows > 0 || options_.frozenColumns > 0)
        worksheet_freeze_panes(library_->sheet, static_cast<lxw_row_t>(options_.frozenRows),
                               static_cast<lxw_col_t>(options_.frozenColumns));
    if (options_.columnWidth > 0)
        worksheet_set_column(library_->sheet, 0, kMaxColumns - 1, options_.columnWidth, nullptr);
    return {};
}

WorkbookWriteResult ResultsWorkbookWriter::writeRow(std::span<const std::string> cells) {
    const ClassicNumbers classic;
    if (!library_) return failure("the workbook was not started");
    if (rowsWritten_ >= kMaxRows) return failure("a sheet holds at most 1,048,576 rows");
    if (cells.size() > static_cast<std::size_t>(kMaxColumns))
        return failure("a sheet holds at most 16,384 columns");
    const auto row = static_cast<lxw_row_t>(rowsWritten_);
    lxw_format* format = rowsWritten_ < options_.boldRows ? library_->bold : nullptr;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const std::string& text = cells[c];
        if (text.empty()) continue;
        const auto col = static_cast<lxw_col_t>(c);
        lxw_error error;
        if (const auto number = spreadsheetNumber(text))
            error = worksheet_write_number(library_->sheet, row, col, *number, format);
        else
            error =
                worksheet_write_string(library_->sheet, row, col, cellText(text).c_str(), format);
        if (error != LXW_NO_ERROR) return failure(lxw_strerror(error));
    }
    ++rowsWritten_;
    return {};
}

WorkbookWriteResult ResultsWorkbookWriter::finish() {
    const ClassicNumbers classic;
    if (!library_) return failure("the workbook was not started");
    errno = 0;
    const lxw_error error = workbook_close(library_->workbook);
    const std::error_code cause = errno ? lastSystemError() : std::error_code();
    library_->workbook = nullptr;  // closed and freed by the library
    if (error != LXW_NO_ERROR)
        return failure(std::string(lxw_strerror(error)) +
                           (cause ? " (" + cause.message() + ")" : std::string()),
                       cause);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const std::error_code renameCause = lastSystemError();
        return failure(systemReason(renameCause), renameCause);
    }
    temporary_.clear();
    discard();
    return {};
}

WorkbookWriteResult writeResultsWorkbook(
    const std::filesystem::path& target, int rows, int cols,
    const std::function<const std::string&(int row, int col)>& text,
    const WorkbookWriteProgress& progress, const ResultsWorkbookOptions& options) {
    ResultsWorkbookWriter writer(target, options);
    if (auto result = writer.open(); !result.ok()) return result;
    rows = std::max(rows, 0);
    cols = std::clamp(cols, 0, ResultsWorkbookWriter::kMaxColumns);
    if (progress) progress(0, rows);
    std::vector<std::string> cells(static_cast<std::size_t>(cols));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) cells[static_cast<std::size_t>(c)] = text(r, c);
        if (auto result = writer.writeRow(cells); !result.ok()) return result;
        if (progress) progress(r + 1, rows);
    }
    return writer.finish();
}

WorkbookWriteResult writeResultsWorkbook(const std::filesystem::path& target,
                                         const std::vector<std::vector<std::string>>& grid,
                                         const WorkbookWriteProgress& progress,
                                         const ResultsWorkbookOptions& options) {
    ResultsWorkbookWriter writer(target, options);
    if (auto result = writer.open(); !result.ok()) return result;
    const int rows = static_cast<int>(grid.size());
    if (progress) progress(0, rows);
    for (int r = 0; r < rows; ++r) {
        if (auto result = writer.writeRow(grid[static_cast<std::size_t>(r)]); !result.ok())
            return result;
        if (progress) progress(r + 1, rows);
    }
    return writer.finish();
}

}  // namespace kalvoren
