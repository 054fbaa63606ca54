#include "platform/CompoundFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kalvoren {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kLastRegularSector = 0xFFFFFFFA;
constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kEntryBytes = 128;

std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

const char* const kDamaged = "the .xls container is damaged";

// Appends the little-endian 32-bit entries of an allocation table's sectors.
void appendEntries(const std::vector<std::uint8_t>& bytes, std::vector<std::uint32_t>& table) {
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4)
        table.push_back(u32(bytes.data() + at));
}

}  // namespace

bool CompoundFile::sector(std::uint32_t index, const std::uint8_t*& data) const {
    const std::uint64_t offset = (static_cast<std::uint64_t>(index) + 1) * sectorSize_;
    if (index > kLastRegularSector || offset + sectorSize_ > bytes_.size()) return false;
    data = bytes_.data() + offset;
    return true;
}

bool CompoundFile::chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                         std::vector<std::uint32_t>& sectors) const {
    sectors.clear();
    std::uint32_t current = start;
    while (current != kEndOfChain) {
        // A chain longer than its table has a loop.
        if (current >= table.size() || sectors.size() >= table.size()) return false;
        sectors.push_back(current);
        current = table[current];
    }
    return true;
}

bool CompoundFile::appendSectors(const std::vector<std::uint32_t>& sectors,
                                 std::vector<std::uint8_t>& out, std::string& reason) const {
    for (std::uint32_t s : sectors) {
        const std::uint8_t* data;
        if (!sector(s, data)) {
            reason = "the .xls container is truncated";
            return false;
        }
        out.insert(out.end(), data, data + sectorSize_);
    }
    return true;
}

bool CompoundFile::appendChain(std::uint32_t start, std::vector<std::uint8_t>& out,
                               std::string& reason) const {
    std::vector<std::uint32_t> sectors;
    if (!chain(fat_, start, sectors)) {
        reason = kDamaged;
        return false;
    }
    return appendSectors(sectors, out, reason);
}

bool CompoundFile::open(std::vector<std::uint8_t> bytes, std::string& reason) {
    bytes_ = std::move(bytes);
    fat_.clear();
    miniFat_.clear();
    directory_.clear();
    miniStream_.clear();
    static const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes_.size() < kHeaderBytes || std::memcmp(bytes_.data(), signature, 8) != 0) {
        reason = "the .xls container is truncated or damaged";
        return false;
    }
    const std::uint16_t sectorShift = u16(bytes_.data() + 0x1E);
    const std::uint16_t miniShift = u16(bytes_.data() + 0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6) {
        reason = kDamaged;
        return false;
    }
    sectorSize_ = 1u << sectorShift;
    // Some writers leave the last sector short; it reads as if padded with zeros.
    if (bytes_.size() % sectorSize_ != 0)
        bytes_.resize(bytes_.size() + sectorSize_ - bytes_.size() % sectorSize_, 0);
    const std::uint8_t* header = bytes_.data();
    miniSectorSize_ = 1u << miniShift;
    const std::uint32_t fatSectors = u32(header + 0x2C);
    const std::uint32_t firstDirectory = u32(header + 0x30);
    miniCutoff_ = u32(header + 0x38);
    const std::uint32_t firstMiniFat = u32(header + 0x3C);
    std::uint32_t nextDifat = u32(header + 0x44);
    const std::uint32_t difatSectors = u32(header + 0x48);
    const std::uint64_t sectorsInFile = bytes_.size() / sectorSize_;
    if (fatSectors > sectorsInFile || difatSectors > sectorsInFile) {
        reason = kDamaged;
        return false;
    }

    // The sectors of the allocation table: 109 listed in the header, the rest in a chain.
    std::vector<std::uint32_t> fatSectorList;
    for (std::uint32_t i = 0; i < 109 && fatSectorList.size() < fatSectors; ++i)
        fatSectorList.push_back(u32(header + 0x4C + 4 * i));
    for (std::uint32_t k = 0; k < difatSectors && fatSectorList.size() < fatSectors; ++k) {
        const std::uint8_t* data;
        if (!sector(nextDifat, data)) {
            reason = kDamaged;
            return false;
        }
        const std::uint32_t perSector = sectorSize_ / 4 - 1;
        for (std::uint32_t i = 0; i < perSector && fatSectorList.size() < fatSectors; ++i)
            fatSectorList.push_back(u32(data + 4 * i));
        nextDifat = u32(data + 4 * perSector);
    }
    if (fatSectorList.size() < fatSectors) {
        reason = kDamaged;
        return false;
    }
    std::vector<std::uint8_t> table;
    if (!appendSectors(fatSectorList, table, reason)) return false;
    appendEntries(table, fat_);

    if (!appendChain(firstDirectory, directory_, reason)) return false;
    if (directory_.empty()) {
        reason = kDamaged;
        return false;
    }
    if (firstMiniFat != kEndOfChain) {
        table.clear();
        if (!appendChain(firstMiniFat, table, reason)) return false;
        appendEntries(table, miniFat_);
    }
    // The root entry holds the small streams in one container stream.
    const std::uint8_t* root = directory_.data();
    if (root[0x42] == 5 && !miniFat_.empty() && !appendChain(u32(root + 0x74), miniStream_, reason))
        return false;
    return true;
}

bool CompoundFile::readStream(std::string_view name, std::vector<std::uint8_t>& out,
                              std::string& reason) const {
    out.clear();
    for (std::size_t at = 0; at + kEntryBytes <= directory_.size(); at += kEntryBytes) {
        const std::uint8_t* entry = directory_.data() + at;
        if (entry[0x42] != 2) continue;  // not a stream
        const std::size_t nameBytes = std::min<std::size_t>(u16(entry + 0x40), 64);
        if (nameBytes < 2 || (nameBytes - 2) / 2 != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < name.size(); ++i) {
            const std::uint16_t ch = u16(entry + 2 * i);
            same =
                ch < 128 && std::tolower(ch) == std::tolower(static_cast<unsigned char>(name[i]));
        }
        if (!same) continue;

        std::uint64_t size = u32(entry + 0x78);
        if (sectorSize_ == 4096) size |= static_cast<std::uint64_t>(u32(entry + 0x7C)) << 32;
        if (size > bytes_.size()) {
            reason = kDamaged;
            return false;
        }
        const std::uint32_t start = u32(entry + 0x74);
        std::vector<std::uint32_t> sectors;
        if (size < miniCutoff_) {
            if (!chain(miniFat_, start, sectors)) {
                reason = kDamaged;
                return false;
            }
            for (std::uint32_t s : sectors) {
                const std::uint64_t offset = static_cast<std::uint64_t>(s) * miniSectorSize_;
                if (offset + miniSectorSize_ > miniStream_.size()) {
                    reason = kDamaged;
                    return false;
                }
                out.insert(
                    out.end(), miniStream_.begin() + static_cast<std::ptrdiff_t>(offset),
                    miniStream_.begin() + static_cast<std::ptrdiff_t>(offset + miniSectorSize_));
            }
        } else if (!appendChain(start, out, reason)) {
            return false;
        }
        if (out.size() < size) {
            reason = "the .xls container is truncated";
            return false;
        }
        out.resize(static_cast<std::size_t>(size));
        return true;
    }
    reason = "the file holds no .xls workbook stream";
    return false;
}

}  // namespace kalvoren
