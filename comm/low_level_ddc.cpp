#include "comm/low_level_ddc.h"

#include <array>
#include <cstring>

#include "comm/ddc_errors.h"
#include "platform/access_library.h"
#include "platform/sleeper.h"

namespace {

// Request checksum: XOR of the destination, the source, the length byte and the payload.
constexpr std::uint8_t kRequestSeed = low_level_ddc::kDdcAddress ^ low_level_ddc::kHostSource;
// Replies are checked against the host's virtual address 0x50, not the 0x51 that requests carry.
constexpr std::uint8_t kReplySeed = 0x50;
constexpr std::uint8_t kLengthFlag = 0x80;
constexpr std::size_t kRequestBufferSize = 132;
constexpr std::size_t kReplyBufferSize = 130;

// A reply may name the display (0x6E) or, on some firmware, echo the host's source byte.
bool is_display_source(std::uint8_t byte) {
    return byte == low_level_ddc::kDdcAddress || byte == low_level_ddc::kHostSource;
}

}  // namespace

low_level_ddc::low_level_ddc(int interface_index_, int link_parameter_, int mode_)
    : mode(mode_),
      interface_index(interface_index_),
      link_parameter(link_parameter_),
      reserved(0) {}

low_level_ddc::~low_level_ddc() = default;

int low_level_ddc::open() {
    return 0;
}

// The hooks bracket each transaction so that a bus shared with other programs is held for the
// whole of it. An interface the access object no longer knows is left to the transfers, which
// report it themselves after the usual attempts.
int low_level_ddc::end_access() {
    if (platform::CAccessLibrary* library = platform::access_library()) {
        library->end_transaction(interface_index);
    }
    return 0;
}

int low_level_ddc::begin_access() {
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return 0;
    const int result = library->begin_transaction(interface_index);
    return result == platform::kAccessBadIndex ? 0 : result;
}

int low_level_ddc::set_mode(int new_mode) {
    mode = new_mode;
    return 0;
}

int low_level_ddc::i2c_write(int address, const std::uint8_t* data, int length) {
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return platform::kAccessNoDevice;
    return library->I2C_WRITE(interface_index, address, data, length, link_parameter);
}

int low_level_ddc::i2c_read(int address, std::uint8_t* buffer, int length) {
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return platform::kAccessNoDevice;
    const int result =
        library->I2C_READ(interface_index, address | 1, buffer, length, link_parameter);
    return result == 0 ? 1 : result;
}

int low_level_ddc::read_register(std::uint8_t* buffer, int address, int offset, int length) {
    const std::uint8_t offset_byte = static_cast<std::uint8_t>(offset);
    const int written = i2c_write(address, &offset_byte, 1);
    if (written < 0) return written;
    return i2c_read(address, buffer, length);
}

int low_level_ddc::receive(std::uint8_t* payload, int max_payload) {
    // The reply buffer holds the largest frame a length byte can announce, no more.
    if (max_payload < 0 || max_payload > kMaxFramePayload) return ddc_error::kTooLong;
    std::array<std::uint8_t, kReplyBufferSize> frame{};
    const int result = i2c_read(kDdcAddress, frame.data(), (max_payload + 3) % 256);
    if (result <= 0) return result;
    if (!is_display_source(frame[0])) return ddc_error::kSource;
    const int n = frame[1] & 0x7F;
    if (n > max_payload || n > static_cast<int>(kReplyBufferSize)) return ddc_error::kLength;
    std::uint8_t sum = kReplySeed;
    for (int i = 0; i < n + 3; ++i)
        sum ^= frame[static_cast<std::size_t>(i)];
    if (sum != 0) return ddc_error::kChecksum;
    if (n > 0) std::memcpy(payload, frame.data() + 2, static_cast<std::size_t>(n));
    return n;
}

int low_level_ddc::send(const std::uint8_t* payload, int length) {
    // Beyond this the length byte would wrap and the build buffer overflow.
    if (length < 0 || length > kMaxFramePayload) return ddc_error::kTooLong;
    std::array<std::uint8_t, kRequestBufferSize> frame{};
    frame[0] = kHostSource;
    frame[1] = static_cast<std::uint8_t>(kLengthFlag | length);
    std::uint8_t sum = kRequestSeed ^ frame[1];
    for (int i = 0; i < length; ++i) {
        frame[static_cast<std::size_t>(2 + i)] = payload[i];
        sum ^= payload[i];
    }
    frame[static_cast<std::size_t>(2 + length)] = sum;
    return i2c_write(kDdcAddress, frame.data(), (length + 3) % 256);
}

int low_level_ddc::wait(int milliseconds) {
    platform::sleep_ms(milliseconds);
    return 0;
}
