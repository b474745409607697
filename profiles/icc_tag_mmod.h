#pragma once

#include <cstdint>

#include "profiles/icc_tag.h"

// Make and model of the display a profile was made for: eight 32-bit words, manufacturer and
// model first.
class CIccTagmmod : public CIccTag {
  public:
    static constexpr std::uint32_t kSignature = 0x6D6D6F64;  // 'mmod'
    static constexpr std::uint32_t kSize = 40;

    std::uint32_t manufacturer = 0;
    std::uint32_t model = 0;
    std::uint32_t reserved[6] = {0, 0, 0, 0, 0, 0};
    std::uint32_t tagReserved = 0;

    CIccTag* NewCopy() const override { return new CIccTagmmod(*this); }
    std::uint32_t GetType() const override { return kSignature; }
    const char* GetClassName() const override { return "CIccTagmmod"; }
    bool Read(std::uint32_t size, CIccIO* io) override;
    bool Write(CIccIO* io) override;
    void Describe(std::string& description) const override;

    void set(std::uint32_t newManufacturer, std::uint32_t newModel, std::uint32_t r0,
             std::uint32_t r1, std::uint32_t r2, std::uint32_t r3, std::uint32_t r4,
             std::uint32_t r5);

    // The words a monitor identifier (manufacturer code high, product code low) is stored as:
    // the manufacturer code with its two bytes exchanged, the product code as it is, each in
    // the low half of its word.
    static std::uint32_t manufacturerWord(std::uint32_t monitorId);
    static std::uint32_t modelWord(std::uint32_t monitorId);
};
