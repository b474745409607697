#include <array>
#include <cstring>

#include "comm/ddc_errors.h"
#include "comm/pvx_ddc_control.h"

namespace {

constexpr std::uint8_t kTableRequest = 0xC2;
constexpr std::uint8_t kTableReply = 0xC3;
constexpr std::uint8_t kReadLutPoints = 0x24;
constexpr std::uint8_t kWriteLutPoints = 0x25;
constexpr std::uint8_t kReadSlotName = 0x26;
constexpr std::uint8_t kWriteSlotName = 0x27;
// Each point: three 16-bit values, high byte first.
constexpr int kPointBytes = 6;
constexpr int kNameLength = PVX_ddc_control::kSlotNameLength;

std::uint8_t byte(int value) {
    return static_cast<std::uint8_t>(value);
}

// The monitor's on-screen font shows only these; anything else would appear as garbage.
bool shown_in_slot_name(std::uint8_t c) {
    return c == ' ' || (c >= '+' && c <= ':') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

int PVX_ddc_control::read_lut_points(int* points, int index0, int index1, int index2, int count) {
    if (static_cast<unsigned>(count) > unsigned(kMaxLutPoints)) return ddc_error::kCount;
    const std::uint8_t request[] = {kTableRequest, kReadLutPoints, byte(index0),
                                    byte(index1),  byte(index2),   byte(count)};
    std::array<std::uint8_t, kPointBytes * kMaxLutPoints + 2> reply{};
    const int length = kPointBytes * count + 2;
    const int result = transact_fixed(request, sizeof request, reply.data(), length);
    if (result != 0) return result;
    if (reply[0] != kTableReply || reply[1] != kReadLutPoints) return ddc_error::kOpcode;
    const int values = (length - 2) / kPointBytes * 3;
    for (int i = 0; i < values; ++i) {
        points[i] = reply[static_cast<std::size_t>(2 + 2 * i)] * 256 +
                    reply[static_cast<std::size_t>(3 + 2 * i)];
    }
    return 0;
}

int PVX_ddc_control::write_lut_points(const int* points, int index0, int index1, int index2,
                                      int count) {
    if (static_cast<unsigned>(count) > unsigned(kMaxLutPoints)) return ddc_error::kCount;
    std::array<std::uint8_t, kPointBytes * kMaxLutPoints + 5> request{
        kTableRequest, kWriteLutPoints, byte(index0), byte(index1), byte(index2)};
    for (int i = 0; i < 3 * count; ++i) {
        request[static_cast<std::size_t>(5 + 2 * i)] = byte(points[i] >> 8);
        request[static_cast<std::size_t>(6 + 2 * i)] = byte(points[i]);
    }
    std::array<std::uint8_t, 5> reply{};
    const int result = transact_fixed(request.data(), 5 + kPointBytes * count, reply.data(), 5);
    if (result != 0) return result;
    if (reply[0] != kTableReply || reply[1] != kWriteLutPoints || reply[2] != byte(index0) ||
        reply[3] != byte(index1) || reply[4] != byte(index2)) {
        return ddc_error::kOpcode;
    }
    return 0;
}

int PVX_ddc_control::read_slot_name(int slot, char* name) {
    const std::uint8_t request[] = {kTableRequest, kReadSlotName, byte(slot)};
    std::array<std::uint8_t, kNameLength + 2> reply{};
    const int result = transact_fixed(request, sizeof request, reply.data(), kNameLength + 2);
    if (result != 0) return result;
    if (reply[0] != kTableReply || reply[1] != kReadSlotName) return ddc_error::kOpcode;
    std::memcpy(name, reply.data() + 2, kNameLength);
    name[kNameLength] = '\0';
    return 0;
}

int PVX_ddc_control::write_slot_name(int slot, const char* name) {
    std::array<std::uint8_t, kNameLength + 3> request{kTableRequest, kWriteSlotName, byte(slot)};
    // A shorter name ends at its terminator; the terminator and what follows become spaces.
    bool ended = !name;
    for (int i = 0; i < kNameLength; ++i) {
        const std::uint8_t c = ended ? 0 : static_cast<std::uint8_t>(name[i]);
        ended = ended || c == 0;
        request[static_cast<std::size_t>(3 + i)] = shown_in_slot_name(c) ? c : ' ';
    }
    std::array<std::uint8_t, 3> reply{};
    const int result = transact_fixed(request.data(), kNameLength + 3, reply.data(), 3);
    if (result != 0) return result;
    if (reply[0] != kTableReply || reply[1] != kWriteSlotName || reply[2] != byte(slot)) {
        return ddc_error::kOpcode;
    }
    return 0;
}
