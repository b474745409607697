#include "profiles/icc_tag_mmod.h"

#include <cstdio>

#include "profiles/icc_io.h"

void CIccTagmmod::set(std::uint32_t newManufacturer, std::uint32_t newModel, std::uint32_t r0,
                      std::uint32_t r1, std::uint32_t r2, std::uint32_t r3, std::uint32_t r4,
                      std::uint32_t r5) {
    manufacturer = newManufacturer;
    model = newModel;
    const std::uint32_t words[6] = {r0, r1, r2, r3, r4, r5};
    for (int i = 0; i < 6; ++i)
        reserved[i] = words[i];
}

std::uint32_t CIccTagmmod::manufacturerWord(std::uint32_t monitorId) {
    const std::uint32_t code = monitorId >> 16;
    return ((code & 0xFF) << 8) | (code >> 8);
}

std::uint32_t CIccTagmmod::modelWord(std::uint32_t monitorId) {
    return monitorId & 0xFFFF;
}

bool CIccTagmmod::Read(std::uint32_t size, CIccIO* io) {
    if (!io || size < kSize) return false;
    std::uint32_t signature = 0, words[9];
    if (!io->Read32(signature) || signature != kSignature) return false;
    for (std::uint32_t& word : words)
        if (!io->Read32(word)) return false;
    tagReserved = words[0];
    set(words[1], words[2], words[3], words[4], words[5], words[6], words[7], words[8]);
    return true;
}

bool CIccTagmmod::Write(CIccIO* io) {
    if (!io || !io->Write32(kSignature) || !io->Write32(tagReserved) ||
        !io->Write32(manufacturer) || !io->Write32(model))
        return false;
    for (std::uint32_t word : reserved)
        if (!io->Write32(word)) return false;
    return true;
}

void CIccTagmmod::Describe(std::string& description) const {
    char line[64];
    description += "mmod:";
    std::snprintf(line, sizeof line, "manufacturer = %u\r\n", unsigned(manufacturer));
    description += line;
    std::snprintf(line, sizeof line, "model = %u\r\n", unsigned(model));
    description += line;
}
