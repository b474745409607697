#pragma once

#include <cstdint>
#include <vector>

#include "profiles/icc_tag.h"

// The video card gamma table: per channel, the values the graphics card puts out. Only the
// table form exists here.
class CIccTagvcgt : public CIccTag {
  public:
    static constexpr std::uint32_t kSignature = 0x76636774;  // 'vcgt'
    static constexpr std::uint32_t kTableForm = 0;
    static constexpr std::uint32_t kHeaderBytes = 18;

    std::uint16_t channels = 0;
    std::uint16_t entryCount = 0;
    std::uint16_t entrySize = 0;  // bytes per entry: 1 or 2
    std::uint32_t tagType = kTableForm;
    // channels x entryCount x entrySize bytes, channel after channel; two-byte entries are held
    // as native 16-bit numbers.
    std::vector<std::uint8_t> data;

    CIccTag* NewCopy() const override { return new CIccTagvcgt(*this); }
    std::uint32_t GetType() const override { return kSignature; }
    const char* GetClassName() const override { return "CIccTagvcgt"; }
    bool Read(std::uint32_t size, CIccIO* io) override;
    bool Write(CIccIO* io) override;
    void Describe(std::string& description) const override;

    // Replaces the table by a copy of channels x entryCount x entrySize bytes.
    void setTable(std::uint16_t newChannels, std::uint16_t newEntryCount,
                  std::uint16_t newEntrySize, const std::uint8_t* bytes);

    std::uint16_t entry(int channel, int index) const;
};
