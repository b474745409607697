#include "profiles/icc_tag_vcgt.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "profiles/icc_io.h"

namespace {

std::uint64_t table_bytes(std::uint16_t channels, std::uint16_t entries, std::uint16_t size) {
    return std::uint64_t(channels) * entries * size;
}

}  // namespace

void CIccTagvcgt::setTable(std::uint16_t newChannels, std::uint16_t newEntryCount,
                           std::uint16_t newEntrySize, const std::uint8_t* bytes) {
    channels = newChannels;
    entryCount = newEntryCount;
    entrySize = newEntrySize;
    tagType = kTableForm;
    const auto n = static_cast<std::size_t>(table_bytes(channels, entryCount, entrySize));
    data.assign(bytes, bytes + (bytes ? n : 0));
    data.resize(n, 0);
}

std::uint16_t CIccTagvcgt::entry(int channel, int index) const {
    if (channel < 0 || channel >= channels || index < 0 || index >= entryCount) return 0;
    const std::size_t at = (std::size_t(channel) * entryCount + std::size_t(index)) * entrySize;
    if (entrySize == 1) return data[at];
    std::uint16_t value = 0;
    std::memcpy(&value, data.data() + at, sizeof value);
    return value;
}

bool CIccTagvcgt::Read(std::uint32_t size, CIccIO* io) {
    std::uint32_t signature = 0, reserved = 0, type = 0;
    std::uint16_t newChannels = 0, newEntries = 0, newSize = 0;
    if (!io || size < kHeaderBytes || !io->Read32(signature) || !io->Read32(reserved) ||
        !io->Read32(type) || !io->Read16(newChannels) || !io->Read16(newEntries) ||
        !io->Read16(newSize))
        return false;
    if (signature != kSignature || type != kTableForm || (newSize != 1 && newSize != 2))
        return false;
    const std::uint64_t n = table_bytes(newChannels, newEntries, newSize);
    if (n > INT32_MAX || size < kHeaderBytes + n) return false;

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    if (n > 0 && io->Read8(bytes.data(), static_cast<std::int32_t>(n)) != std::int32_t(n))
        return false;
    if (newSize == 2) {
        for (std::size_t at = 0; at < bytes.size(); at += 2) {
            const std::uint16_t value =
                static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
            std::memcpy(bytes.data() + at, &value, sizeof value);
        }
    }
    channels = newChannels;
    entryCount = newEntries;
    entrySize = newSize;
    tagType = type;
    data = std::move(bytes);
    return true;
}

bool CIccTagvcgt::Write(CIccIO* io) {
    if (!io || tagType != kTableForm || (entrySize != 1 && entrySize != 2) ||
        data.size() != table_bytes(channels, entryCount, entrySize))
        return false;
    if (!io->Write32(kSignature) || !io->Write32(0) || !io->Write32(tagType) ||
        !io->Write16(channels) || !io->Write16(entryCount) || !io->Write16(entrySize))
        return false;
    if (entrySize == 1) {
        const auto n = static_cast<std::int32_t>(data.size());
        return n == 0 || io->Write8(data.data(), n) == n;
    }
    for (std::size_t at = 0; at < data.size(); at += 2) {
        std::uint16_t value = 0;
        std::memcpy(&value, data.data() + at, sizeof value);
        if (!io->Write16(value)) return false;
    }
    return true;
}

void CIccTagvcgt::Describe(std::string& description) const {
    char line[64];
    description += "vcgt:";
    std::snprintf(line, sizeof line, "tagType = %u\r\n", unsigned(tagType));
    description += line;
    std::snprintf(line, sizeof line, "channels = %u\r\n", unsigned(channels));
    description += line;
    std::snprintf(line, sizeof line, "entryCount = %u\r\n", unsigned(entryCount));
    description += line;
    std::snprintf(line, sizeof line, "entrySize = %u\r\n", unsigned(entrySize));
    description += line;
}
