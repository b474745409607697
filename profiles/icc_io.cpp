#include "profiles/icc_io.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

bool CIccIO::Read16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (Read8(b, 2) != 2) return false;
    value = static_cast<std::uint16_t>((b[0] << 8) | b[1]);
    return true;
}

bool CIccIO::Read32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (Read8(b, 4) != 4) return false;
    value = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) |
            std::uint32_t(b[3]);
    return true;
}

bool CIccIO::Write16(std::uint16_t value) {
    const std::uint8_t b[2] = {std::uint8_t(value >> 8), std::uint8_t(value)};
    return Write8(b, 2) == 2;
}

bool CIccIO::Write32(std::uint32_t value) {
    const std::uint8_t b[4] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                               std::uint8_t(value >> 8), std::uint8_t(value)};
    return Write8(b, 4) == 4;
}

std::int32_t CIccMemIO::Read8(void* buffer, std::int32_t count) {
    if (count <= 0 || position_ >= bytes_.size()) return 0;
    const std::int32_t n = std::min<std::int32_t>(count, GetLength() - position_);
    std::memcpy(buffer, bytes_.constData() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int32_t CIccMemIO::Write8(const void* buffer, std::int32_t count) {
    if (count <= 0) return 0;
    const qsizetype end = qsizetype(position_) + count;
    if (end > INT32_MAX) return 0;
    if (end > bytes_.size()) bytes_.resize(end, '\0');
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = static_cast<std::int32_t>(end);
    return count;
}

std::int32_t CIccMemIO::Seek(std::int32_t offset, int origin) {
    qint64 base = 0;
    switch (origin) {
        case kFromStart:
            break;
        case kFromCurrent:
            base = position_;
            break;
        case kFromEnd:
            base = bytes_.size();
            break;
        default:
            return -1;
    }
    const qint64 target = base + offset;
    if (target < 0 || target > bytes_.size()) return -1;
    position_ = static_cast<std::int32_t>(target);
    return position_;
}
