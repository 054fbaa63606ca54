#pragma once
// A streaming reader of delimited text (RFC 4180 CSV, and TSV with the same quoting):
// one record at a time, so memory does not grow with the file.

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kalvoren {

class CsvReader {
  public:
    // A record longer than this is refused with its line number.
    static constexpr std::size_t kRecordBound = 1 << 20;

    CsvReader(std::FILE* file, char delimiter);

    // Reads the next record into fields(); false at the end of the file or on an error
    // (then error() is non-empty).
    bool next();
    const std::vector<std::string_view>& fields() const { return fields_; }
    // The line on which the current record starts (from 1).
    long line() const { return recordLine_; }
    const std::string& error() const { return error_; }
    // The bytes consumed so far, for a progress display.
    long long bytesRead() const { return bytesRead_; }

  private:
    bool nextInBuffer();
    int get();
    void unget(int c) { pending_ = c; }
    bool fill();

    // What each byte means to an unquoted record: part of a field, the delimiter, or the
    // end of the simple case (a line break or a quote).
    enum ByteKind : unsigned char { kFieldByte, kDelimiterByte, kStopByte };

    std::FILE* file_;
    char delimiter_;
    std::array<ByteKind, 256> kinds_{};
    std::array<const char*, 1024> delimiterAt_{};  // of the record being cut
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::size_t pos_ = 0, end_ = 0;
    int pending_ = -2;
    bool atStart_ = true;
    long line_ = 1;
    long recordLine_ = 0;
    long long bytesRead_ = 0;
    std::string record_;
    std::vector<std::size_t> bounds_;
    std::vector<std::string_view> fields_;
    std::string error_;
};

}  // namespace kalvoren
