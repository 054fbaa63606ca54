#include "entry/AnalysisFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "entry/Windows1252.h"

namespace kalvoren {

namespace {

// Far beyond any table of analyses (a standard file is 42 kB), and low enough that the
// file, its UTF-8 text and the table fit in memory together.
constexpr std::size_t kLargestAnalysisFile = std::size_t{256} << 20;

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

std::string counted(long long n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

bool selectDataRange(CellGrid& table) {
    if (table.rows() < 2 || table.cols() < 2) return false;
    table.setCurrent(1, 1);
    table.setSelectionCorner(table.rows() - 1, table.cols() - 1);
    return true;
}

// Reads the whole file in one go; false with a reason naming the file when it cannot.
bool readWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
    // Non-blocking, so that opening a named pipe cannot wait for a writer for ever; it
    // is refused below as not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = "cannot open " + quoted(path) + ": " + systemReason(errno);
        return false;
    }
    struct FileCloser {
        int fd;
        ~FileCloser() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = "cannot read " + quoted(path) + ": " + systemReason(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = "cannot open " + quoted(path) + ": " + systemReason(EISDIR);
        return false;
    }
    // Devices and pipes could feed bytes without end.
    if (!S_ISREG(info.st_mode)) {
        reason = quoted(path) + " is not a regular file";
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size > kLargestAnalysisFile) {
        reason = quoted(path) + " is too large for an analysis file (" +
                 std::to_string(size >> 20) + " MB)";
        return false;
    }
    bytes.assign(size, '\0');
    std::size_t got = 0;
    while (true) {
        if (got == bytes.size()) {
            // The file may have grown since it was measured: read on in steps.
            if (bytes.size() >= kLargestAnalysisFile) {
                reason = quoted(path) + " is too large for an analysis file";
                return false;
            }
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = "cannot read " + quoted(path) + ": " + systemReason(errno);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return true;
}

std::string fitWarning(const std::string& path, const AnalysisLoad& load, int tableRows,
                       int tableCols) {
    std::string warning;
    auto add = [&warning](const std::string& sentence) {
        if (!warning.empty()) warning += ' ';
        warning += sentence;
    };
    const BlockShape& shape = load.shape;
    const std::string file = quoted(path);
    if (shape.lines > tableRows)
        add(file + " holds " + counted(shape.lines, "line") + " but the table has " +
            counted(tableRows, "row") + ": the lines after line " + std::to_string(tableRows) +
            " were not loaded.");
    if (shape.mostFields > tableCols)
        add(file + " has lines of up to " + counted(shape.mostFields, "field") +
            " but the table has " + counted(tableCols, "column") + ": the fields after field " +
            std::to_string(tableCols) + " were not loaded.");
    if (shape.lines < tableRows)
        add(file + " holds only " + counted(shape.lines, "line") + " for the table's " +
            counted(tableRows, "row") + ": the rows after row " + std::to_string(shape.lines) +
            " keep their contents.");
    if (shape.fewestFields < tableCols)
        add(file + " has lines of only " + counted(shape.fewestFields, "field") +
            " for the table's " + counted(tableCols, "column") +
            ": the cells they do not reach keep their contents.");
    return warning;
}

void pasteFallback(CellGrid& table, AnalysisLoad& load, std::string_view fallbackText) {
    load.read = false;
    load.pastedText.assign(fallbackText);
    if (selectDataRange(table)) table.pasteBlockText(load.pastedText);
}

bool isSeparator(char c) {
    return c == '\t' || c == '\r' || c == '\n';
}

// Writes all of `bytes`, resuming after interruptions and partial writes.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Replaces `target` with `bytes` through a temporary file in the same folder (a rename
// within one file system is atomic). Returns 0, or the error number of the failed step.
int replaceFile(const std::filesystem::path& target, std::string_view bytes) {
    namespace fs = std::filesystem;
    const fs::path folder = target.parent_path();

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return EISDIR;
    // A write-protected file stays protected, though its folder would allow the rename.
    if (exists && ::access(target.c_str(), W_OK) != 0) return errno;

    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / ("." + target.filename().string() + ".saving-" +
                              std::to_string(::getpid()) + "-" + std::to_string(attempt));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return errno;
    }
    if (fd < 0) return EEXIST;

    int error = 0;
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) error = errno;
    if (error == 0 && !writeAll(fd, bytes)) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    // Make the rename itself durable; a folder that cannot be synced is no failure.
    const int folderFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return 0;
}

}  // namespace

AnalysisField readAnalysisField(std::string_view bytes) {
    AnalysisField field;
    const std::size_t start = bytes.find_first_not_of(' ');
    if (bytes.empty()) {
        field.failure = AnalysisField::Failure::Empty;
        return field;
    }
    if (start == std::string_view::npos) {
        field.failure = AnalysisField::Failure::OnlyBlanks;
        return field;
    }
    if (bytes[start] == '"') {
        field.quoted = true;
        const std::size_t close = bytes.rfind('"');
        if (close == start) {
            field.failure = AnalysisField::Failure::NoClosingQuote;
            return field;
        }
        field.text = bytes.substr(start + 1, close - start - 1);
        return field;
    }
    std::size_t end = bytes.find_first_of(",\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(start, end - start);
    const std::size_t last = text.find_last_not_of(' ');
    field.text = last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
    return field;
}

AnalysisLoad loadAnalysisFile(CellGrid& table, const std::string& path,
                              std::string_view fallbackText) {
    AnalysisLoad load;
    try {
        std::string bytes;
        if (!readWholeFile(path, bytes, load.reason)) {
            pasteFallback(table, load, fallbackText);
            return load;
        }
        if (bytes.find('\0') != std::string::npos) {
            load.reason = quoted(path) + " is not an analysis file (binary data)";
            pasteFallback(table, load, fallbackText);
            return load;
        }
        const AnalysisField field = readAnalysisField(bytes);
        switch (field.failure) {
            case AnalysisField::Failure::None:
                break;
            case AnalysisField::Failure::Empty:
                load.reason = quoted(path) + " is empty";
                break;
            case AnalysisField::Failure::OnlyBlanks:
                load.reason = quoted(path) + " holds nothing but blanks";
                break;
            case AnalysisField::Failure::NoClosingQuote:
                load.reason = quoted(path) + " has no closing quote";
                break;
        }
        if (!field.found()) {
            pasteFallback(table, load, fallbackText);
            return load;
        }
        load.pastedText = utf8FromWindows1252(field.text);
        std::string().swap(bytes);  // the file's bytes are no longer needed
    } catch (const std::bad_alloc&) {
        load = AnalysisLoad{};
        load.reason = quoted(path) + " is too large to load";
        pasteFallback(table, load, fallbackText);
        return load;
    }

    load.read = true;
    load.shape = measureBlockText(load.pastedText);
    if (!selectDataRange(table)) return load;
    table.pasteBlockText(load.pastedText);
    const int tableRows = table.rows() - 1;
    const int tableCols = table.cols() - 1;
    load.beyondTable = load.shape.lines > tableRows || load.shape.mostFields > tableCols;
    load.shortOfTable = load.shape.lines < tableRows || load.shape.fewestFields < tableCols;
    load.warning = fitWarning(path, load, tableRows, tableCols);
    return load;
}

AnalysisSave saveAnalysisFile(CellGrid& table, const std::string& path) {
    AnalysisSave save;
    std::string block;
    if (selectDataRange(table)) {
        block = table.selectionBlockText();
        const CellRange range = table.selection();
        for (int r = range.top; r <= range.bottom; ++r) {
            for (int c = range.left; c <= range.right; ++c) {
                const std::string& cell = table.text(r, c);
                if (holdsDoubleQuote(cell)) ++save.cellsWithQuote;
                for (char ch : cell) {
                    if (!isSeparator(ch)) continue;
                    ++save.cellsWithSeparator;
                    break;
                }
            }
        }
    }
    Windows1252Text encoded = windows1252FromUtf8(block);
    std::string().swap(block);
    save.replacedCharacters = encoded.replaced;
    std::string bytes;
    bytes.reserve(encoded.bytes.size() + 4);
    bytes += '"';
    bytes += encoded.bytes;
    bytes += "\"\r\n";
    std::string().swap(encoded.bytes);

    std::filesystem::path target(path);
    std::error_code ignored;
    // Saving through a link replaces the file it points to, not the link.
    if (std::filesystem::is_symlink(target, ignored)) {
        const std::filesystem::path resolved = std::filesystem::canonical(target, ignored);
        if (!ignored) target = resolved;
    }
    // A device or pipe cannot be replaced by a renamed file, and must not be (renaming
    // over /dev/null would destroy it).
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISDIR(existing.st_mode)) {
        save.reason = "cannot save " + quoted(path) + ": it is not a regular file";
        return save;
    }
    if (const int error = replaceFile(target, bytes); error != 0) {
        save.reason = "cannot save " + quoted(path) + ": " + systemReason(error);
        return save;
    }
    save.saved = true;

    auto add = [&save](const std::string& sentence) {
        if (!save.warning.empty()) save.warning += ' ';
        save.warning += sentence;
    };
    const auto verb = [](long long n, const char* one, const char* many) {
        return n == 1 ? one : many;
    };
    if (save.replacedCharacters > 0) {
        const auto n = static_cast<long long>(save.replacedCharacters);
        add(counted(n, "character") + verb(n, " was", " were") +
            " written as \"?\": the file's code page cannot hold " + verb(n, "it.", "them."));
    }
    if (save.cellsWithQuote > 0)
        add(counted(save.cellsWithQuote, "cell") + verb(save.cellsWithQuote, " holds", " hold") +
            " a double quote; older programs reading this file stop the table there.");
    if (save.cellsWithSeparator > 0)
        add(counted(save.cellsWithSeparator, "cell") +
            verb(save.cellsWithSeparator, " holds", " hold") +
            " a TAB or line break, which reads back as a new cell or row.");
    return save;
}

bool holdsDoubleQuote(std::string_view cellText) {
    return cellText.find('"') != std::string_view::npos;
}

}  // namespace kalvoren
