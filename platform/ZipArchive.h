#pragma once
// Read access to the parts of a zip package (.xlsx, .ods). Every part is read through a
// size bound: a part whose recorded size exceeds the bound is refused before anything is
// inflated, and one that inflates to more than the bound is stopped, so a small crafted
// file cannot fill the memory or the time of the program.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kalvoren {

class ZipArchive {
  public:
    // Opens the archive; on failure returns nullptr and sets `reason` ("it is not a zip
    // archive", ...).
    static std::unique_ptr<ZipArchive> open(const std::filesystem::path& file, std::string& reason);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Part names are compared without regard to case, as package part names are.
    bool contains(std::string_view part) const;

    // Hands the inflated part to `piece` in order; `piece` returns false to stop early
    // (not a failure). On failure returns false and sets `reason`.
    bool read(std::string_view part, std::uint64_t maxBytes,
              const std::function<bool(std::string_view)>& piece, std::string& reason) const;
    // The whole part as one text (for the small parts).
    bool readAll(std::string_view part, std::uint64_t maxBytes, std::string& out,
                 std::string& reason) const;

  private:
    struct Handle;
    explicit ZipArchive(Handle* handle) : handle_(handle) {}
    Handle* handle_;
};

}  // namespace kalvoren
