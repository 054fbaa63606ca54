#pragma once
// What every fuzz target shares: a property check that stops the fuzzer with a message,
// and a scratch folder for targets whose readers take a file name.

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A violated property is a finding: say which, then stop so libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition)                                                           \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "property violated: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                       \
            __builtin_trap();                                                             \
        }                                                                                 \
    } while (0)

namespace kalvoren::fuzz {

// True when `text` holds "nan" or "inf" in any mix of cases.
inline bool holdsNanOrInf(std::string_view text) {
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        const char a = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        const char b = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
        if ((a == 'n' && b == 'a' && c == 'n') || (a == 'i' && b == 'n' && c == 'f')) return true;
    }
    return false;
}

// One folder per fuzzing process, under $KALVOREN_FUZZ_SCRATCH when set, else in memory
// when the system offers /dev/shm (the readers under test sync what they write, which
// costs nothing there). It is removed when the process ends normally.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        std::filesystem::path base = "/dev/shm";
        if (const char* chosen = std::getenv("KALVOREN_FUZZ_SCRATCH"); chosen && *chosen)
            base = chosen;
        else if (!std::filesystem::is_directory(base, ec))
            base = std::filesystem::temp_directory_path();
        path_ = base / ("kalvoren-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_, ec);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline const std::filesystem::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

inline std::filesystem::path writeScratchFile(const std::string& name, std::string_view bytes) {
    const std::filesystem::path file = scratchFolder() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

}  // namespace kalvoren::fuzz
