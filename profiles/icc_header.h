#pragma once

#include <QByteArray>
#include <QDateTime>
#include <cstdint>

// The fields of a profile header (the first 128 bytes), set by us after Little CMS has
// serialised the profile, since it fixes several of them by itself.
struct CIccHeaderFields {
    std::uint32_t preferredCmm = 0;
    std::uint32_t version = 0;
    std::uint32_t deviceClass = 0;
    std::uint32_t colorSpace = 0;
    std::uint32_t connectionSpace = 0;
    QDateTime created;  // written field by field as given, no time-zone conversion
    std::uint32_t platform = 0;
    std::uint32_t flags = 0;
    std::uint32_t manufacturer = 0;
    std::uint32_t model = 0;
    std::uint32_t attributes[2] = {0, 0};  // the first half is written first
    std::uint32_t renderingIntent = 0;
    float illuminant[3] = {0.9642f, 1.0f, 0.8249f};
    std::uint32_t creator = 0;
};

constexpr int kIccHeaderSize = 128;

// The header of the display profiles we write.
CIccHeaderFields display_profile_header(bool adobeCmm, const QDateTime& created);

// Writes every field but the size (bytes 0..3 stay as they are); profile ID and reserved bytes
// become zero. False when `profile` is shorter than a header.
bool write_icc_header(QByteArray& profile, const CIccHeaderFields& header);
