#pragma once
// Hostile-input and full-disk tests run the work in a child process: its memory is
// measured on its own, limits (address space, file size, time) bind only the child, and a
// fault cannot take the test binary down. Test binaries that know kalvoren-calc's path
// (KALVOREN_CALC) can also run the batch tool so.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kalvoren::test {

// AddressSanitizer keeps freed memory in quarantine and adds shadow memory, so resident
// memory says nothing about the program there; memory bounds are checked in normal builds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

inline constexpr long kBoundKilobytes = 256 * 1024;  // 256 MB

// A folder of its own for one test, removed afterwards.
class Scratch {
  public:
    explicit Scratch(const std::string& prefix) {
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void spit(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What binds the child. A file-size limit stands for a full disk: SIGXFSZ is ignored, so
// a write past it fails with EFBIG instead of ending the process.
struct ChildLimits {
    rlim_t addressSpace = RLIM_INFINITY;
    rlim_t fileSize = RLIM_INFINITY;
    unsigned seconds = 120;  // a child that runs longer is ended and counts as not finished
};

inline void applyLimits(const ChildLimits& limits) {
    ::alarm(limits.seconds);
    if (limits.addressSpace != RLIM_INFINITY) {
        const rlimit limit{limits.addressSpace, limits.addressSpace};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(2);
    }
    if (limits.fileSize != RLIM_INFINITY) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limits.fileSize;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    }
}

struct Isolated {
    bool finished = false;
    long grownKilobytes = 0;  // how far resident memory grew above what the child inherited
    std::string report;       // empty when the child did not finish
};

// Runs `work` in a child process under `limits` and returns its report.
inline Isolated runIsolated(const std::function<std::string()>& work,
                            const ChildLimits& limits = {}) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        applyLimits(limits);
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const std::string report = work();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const std::string message =
            std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" + report;
        std::size_t written = 0;
        while (written < message.size()) {
            const ssize_t n =
                ::write(pipeEnds[1], message.data() + written, message.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        message.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    Isolated result;
    result.finished = pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const std::size_t newline = message.find('\n');
    if (!result.finished || newline == std::string::npos) return result;
    result.grownKilobytes = std::stol(message.substr(0, newline));
    result.report = message.substr(newline + 1);
    return result;
}

#ifdef KALVOREN_CALC
struct CalcRun {
    int status = -1;  // -1 when the tool did not exit by itself
    std::string err;
    long maxResidentKilobytes = 0;
};

// Runs kalvoren-calc with `args` under `limits`: standard input and output on /dev/null
// (which no file-size limit binds), standard error captured in `errFile`.
inline CalcRun runCalc(const std::vector<std::string>& args, const std::filesystem::path& errFile,
                       const ChildLimits& limits = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        applyLimits(limits);
        std::vector<char*> argv{const_cast<char*>(KALVOREN_CALC)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KALVOREN_CALC, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    CalcRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = slurp(errFile);
    run.maxResidentKilobytes = usage.ru_maxrss;
    return run;
}
#endif  // KALVOREN_CALC

inline void expectUnderBound(long kilobytes) {
    if (!kSanitized) {
        EXPECT_LT(kilobytes, kBoundKilobytes)
            << "it took " << kilobytes / 1024 << " MB, not under 256 MB";
    }
}

}  // namespace kalvoren::test
