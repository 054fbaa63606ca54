#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace kalvoren {

namespace {
constexpr std::size_t kBufferSize = 1 << 18;  // large writes, small enough to stay in cache

std::string describe(const std::filesystem::path& p, int err) {
    return "cannot write '" + p.string() + "': " + std::strerror(err);
}
}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& target, std::string& error) {
    if (target == "-" || target.empty()) {
        toStdout_ = true;
        file_ = stdout;
        buffer_.reserve(kBufferSize);
        return true;
    }
    target_ = target;
    std::error_code ec;
    // Writing through a link replaces the file it points to, not the link.
    if (std::filesystem::is_symlink(target_, ec)) {
        const std::filesystem::path resolved = std::filesystem::canonical(target_, ec);
        if (!ec) target_ = resolved;
    }
    // A device or pipe cannot be replaced by a renamed file (and must not be: renaming
    // over /dev/null would destroy it), so it is written directly.
    const auto status = std::filesystem::status(target_, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        file_ = std::fopen(target_.c_str(), "wb");
        if (!file_) {
            error = describe(target_, errno);
            return false;
        }
        inPlace_ = true;
        buffer_.reserve(kBufferSize);
        return true;
    }
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = describe(target_, errno);
        return false;
    }
    temporary_ = pattern;
    // mkstemp makes the file private; give it the permissions a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        error = describe(target_, errno);
        ::close(fd);
        std::filesystem::remove(temporary_);
        temporary_.clear();
        return false;
    }
    buffer_.reserve(kBufferSize);
    return true;
}

void OutputFile::write(std::string_view text) {
    if (!file_ || failed_) return;
    buffer_.append(text);
    if (buffer_.size() >= kBufferSize) flushBuffer();
}

void OutputFile::flushBuffer() {
    if (buffer_.empty() || failed_) return;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        failed_ = true;
        errno_ = errno ? errno : EIO;
    }
    buffer_.clear();
}

bool OutputFile::commit(std::string& error) {
    if (!file_) {
        error = "no output file is open";
        return false;
    }
    flushBuffer();
    if (!failed_ && std::fflush(file_) != 0) {
        failed_ = true;
        errno_ = errno;
    }
    if (toStdout_) {
        file_ = nullptr;
        if (failed_) error = std::string("cannot write to standard output: ") + std::strerror(errno_);
        return !failed_;
    }
    if (!failed_ && !inPlace_ && ::fsync(::fileno(file_)) != 0 && errno != EINVAL) {
        failed_ = true;
        errno_ = errno;
    }
    if (std::fclose(file_) != 0 && !failed_) {
        failed_ = true;
        errno_ = errno;
    }
    file_ = nullptr;
    if (inPlace_) {
        if (failed_) error = describe(target_, errno_);
        return !failed_;
    }
    if (!failed_) {
        std::error_code ec;
        std::filesystem::rename(temporary_, target_, ec);
        if (ec) {
            failed_ = true;
            errno_ = ec.value();
        }
    }
    if (failed_) {
        error = describe(target_, errno_) + " (the previous file, if any, is unchanged)";
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void OutputFile::discard() {
    if (file_ && !toStdout_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace kalvoren
