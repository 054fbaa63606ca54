#pragma once
// The compound file container of the older Office formats (.xls): a small file system of
// sectors chained through allocation tables. Only what the .xls reader needs: one named
// stream read out whole. Every chain is followed with a step bound, so a damaged or
// crafted file ends in an error, never in a loop or a read outside the file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvoren {

class CompoundFile {
  public:
    // `bytes` is the whole file; on failure returns false and sets `reason`.
    bool open(std::vector<std::uint8_t> bytes, std::string& reason);
    // The stream of that name (ASCII, compared without regard to case) anywhere in the
    // file; false with `reason` when missing or damaged.
    bool readStream(std::string_view name, std::vector<std::uint8_t>& out,
                    std::string& reason) const;

  private:
    bool sector(std::uint32_t index, const std::uint8_t*& data) const;
    bool chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
               std::vector<std::uint32_t>& sectors) const;
    // Appends the bytes of these sectors; false with the reason when one lies beyond the file.
    bool appendSectors(const std::vector<std::uint32_t>& sectors, std::vector<std::uint8_t>& out,
                       std::string& reason) const;
    // Appends the bytes of the regular sectors chained from `start`.
    bool appendChain(std::uint32_t start, std::vector<std::uint8_t>& out,
                     std::string& reason) const;

    std::vector<std::uint8_t> bytes_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint8_t> directory_;
    std::vector<std::uint8_t> miniStream_;
};

}  // namespace kalvoren
