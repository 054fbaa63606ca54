#include "cli/CsvReader.h"

namespace kalvoren {

CsvReader::CsvReader(std::FILE* file, char delimiter) : file_(file), delimiter_(delimiter) {
    for (const char c : {'\n', '\r', '"'}) kinds_[static_cast<unsigned char>(c)] = kStopByte;
    // A delimiter that is also a line break or a quote is left to the character-wise path.
    ByteKind& kind = kinds_[static_cast<unsigned char>(delimiter)];
    if (kind != kStopByte) kind = kDelimiterByte;
}

bool CsvReader::fill() {
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    return end_ > 0;
}

int CsvReader::get() {
    if (pending_ != -2) {
        const int c = pending_;
        pending_ = -2;
        return c;
    }
    if (pos_ == end_ && !fill()) return EOF;
    ++bytesRead_;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

// The common record, a whole line in the buffer without any quote, is cut into fields
// where it stands: no copy, and the views stay valid until the next call, which is the
// earliest the buffer is refilled. Anything else (a quote, a line running past the
// buffer, a CR without LF, the start of the file) takes the character-wise path.
bool CsvReader::nextInBuffer() {
    if (atStart_ || pending_ != -2 || pos_ == end_) return false;
    const char* const first = buffer_.data() + pos_;
    const char* const last = buffer_.data() + end_;
    // The delimiters are noted without a branch on each byte: where they stand follows
    // no pattern a processor could predict. A line longer than there are places for
    // delimiters is left to the character-wise path.
    const char* const limit = static_cast<std::size_t>(last - first) > delimiterAt_.size()
                                  ? first + delimiterAt_.size()
                                  : last;
    std::size_t delimiters = 0;
    const char* p = first;
    for (; p != limit; ++p) {
        const ByteKind kind = kinds_[static_cast<unsigned char>(*p)];
        if (kind == kStopByte) break;
        delimiterAt_[delimiters] = p;
        delimiters += kind == kDelimiterByte ? 1 : 0;
    }
    if (p == limit) return false;
    const char* const lineEnd = p;
    if (*p == '"') return false;
    if (*p == '\r') {
        // A CR alone, or one whose LF may stand in the next block, is left to get()
        // and unget().
        if (p + 1 == last || p[1] != '\n') return false;
        ++p;
    }
    fields_.resize(delimiters + 1);
    const char* begin = first;
    for (std::size_t i = 0; i < delimiters; ++i) {
        fields_[i] = {begin, static_cast<std::size_t>(delimiterAt_[i] - begin)};
        begin = delimiterAt_[i] + 1;
    }
    fields_[delimiters] = {begin, static_cast<std::size_t>(lineEnd - begin)};
    const auto consumed = static_cast<std::size_t>(p + 1 - first);
    pos_ += consumed;
    bytesRead_ += static_cast<long long>(consumed);
    recordLine_ = line_;
    ++line_;
    return true;
}

bool CsvReader::next() {
    // The fast path sizes fields_ itself: a table's rows have the same number of fields,
    // so it usually keeps its size.
    if (error_.empty() && nextInBuffer()) return true;
    record_.clear();
    bounds_.clear();
    fields_.clear();
    if (!error_.empty()) return false;

    int c = get();
    if (atStart_) {
        atStart_ = false;
        // A UTF-8 byte-order mark is not part of the first heading.
        if (c == 0xEF) {
            const int b = get(), d = get();
            if (b != 0xBB || d != 0xBF) {
                error_ = "line 1: the file starts with bytes that are not text";
                return false;
            }
            c = get();
        }
    }
    if (c == EOF) return false;
    recordLine_ = line_;

    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the current field began with a quote
    bool fieldStart = true;
    while (true) {
        if (record_.size() > kRecordBound) {
            error_ = "line " + std::to_string(recordLine_) + ": a record longer than " +
                     std::to_string(kRecordBound / (1 << 20)) + " MB";
            return false;
        }
        if (c == EOF) {
            if (quoted) {
                error_ = "line " + std::to_string(recordLine_) +
                         ": a quoted field is not closed before the end of the file";
                return false;
            }
            break;
        }
        if (quoted) {
            if (c == '"') {
                const int n = get();
                if (n == '"') {
                    record_.push_back('"');
                } else {
                    quoted = false;
                    c = n;
                    continue;
                }
            } else {
                if (c == '\n') ++line_;
                // A result row is TAB-separated and line-based: TAB, CR and LF inside a
                // field become one blank each.
                const bool separator = c == '\t' || c == '\r' || c == '\n';
                record_.push_back(separator ? ' ' : static_cast<char>(c));
            }
            c = get();
            continue;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
            wasQuoted = true;
            fieldStart = false;
            c = get();
            continue;
        }
        if (c == delimiter_) {
            bounds_.push_back(record_.size());
            fieldStart = true;
            wasQuoted = false;
            c = get();
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r') {
                const int n = get();
                if (n != '\n') unget(n);
            }
            ++line_;
            break;
        }
        if (wasQuoted) {
            error_ = "line " + std::to_string(recordLine_) +
                     ": text follows the closing quote of a field";
            return false;
        }
        fieldStart = false;
        record_.push_back(static_cast<char>(c));
        c = get();
    }
    bounds_.push_back(record_.size());
    std::size_t begin = 0;
    for (const std::size_t end : bounds_) {
        fields_.emplace_back(record_.data() + begin, end - begin);
        begin = end;
    }
    return true;
}

}  // namespace kalvoren
