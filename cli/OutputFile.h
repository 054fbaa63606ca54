#pragma once
// An output file written safely: the text goes to a temporary file beside the target,
// which replaces the target only when everything was written. Until then (and when the
// writer gives up) the previous file stays as it was. "-" writes to standard output; a
// link is followed, and a device or pipe (/dev/null, /dev/stdout) is written directly.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kalvoren {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Opens the temporary file (or standard output for "-"); false with `error` set.
    bool open(const std::string& target, std::string& error);
    // Buffered write; errors are reported by commit().
    void write(std::string_view text);
    // Flushes, closes and renames over the target; false with `error` set, and the
    // temporary file removed.
    bool commit(std::string& error);
    // Drops the temporary file; the target is untouched.
    void discard();

    bool isStandardOutput() const { return toStdout_; }

private:
    void flushBuffer();

    std::FILE* file_ = nullptr;
    bool toStdout_ = false;
    bool inPlace_ = false;  // a device or pipe, written directly
    bool failed_ = false;
    int errno_ = 0;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::string buffer_;
};

}  // namespace kalvoren
