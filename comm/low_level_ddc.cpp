#include "comm/low_level_ddc.h"

#include <QHash>
#include <QMutex>
#include <array>
#include <cstring>

#include "comm/ddc_errors.h"
#include "platform/access_library.h"
#include "platform/sleeper.h"
#include "platform/termination.h"

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

// Every link's figures per interface; the detection thread's links add to them too.
QMutex& tally_mutex() {
    static QMutex mutex;
    return mutex;
}
QHash<int, CLinkCounters>& tallies() {
    static QHash<int, CLinkCounters> table;
    return table;
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
    // A transaction that ended on an error failed, and so did one that ended on a null reply
    // after trying again: a single null is the monitor saying it is still working.
    const bool failed = outcome_ == Outcome::error ||
                        (outcome_ == Outcome::null_reply && (sends_ > 1 || reads_since_send_ > 1));
    if (failed) count(&CLinkCounters::failed_operations);
    if (outcome_ != Outcome::none) last_went_wrong_ = failed || outcome_ == Outcome::null_reply;
    outcome_ = Outcome::none;
    sends_ = 0;
    reads_since_send_ = 0;
    if (platform::CAccessLibrary* library = platform::access_library()) {
        library->end_transaction(interface_index);
    }
    return 0;
}

int low_level_ddc::begin_access() {
    outcome_ = Outcome::none;
    sends_ = 0;
    reads_since_send_ = 0;
    if (platform::exchanges_stopped()) return ddc_error::kInterrupted;
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) return 0;
    const int result = library->begin_transaction(interface_index);
    return result == platform::kAccessBadIndex ? 0 : result;
}

int low_level_ddc::release_bus() {
    if (platform::CAccessLibrary* library = platform::access_library())
        library->end_transaction(interface_index);
    return 0;
}

int low_level_ddc::retake_bus() {
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
    if (result <= 0) {
        note_receive(result < 0 ? result : ddc_error::kLength);
        return result;
    }
    int n = frame[1] & 0x7F;
    if (!is_display_source(frame[0])) {
        n = ddc_error::kSource;
    } else if (n > max_payload || n > static_cast<int>(kReplyBufferSize)) {
        n = ddc_error::kLength;
    } else {
        std::uint8_t sum = kReplySeed;
        for (int i = 0; i < n + 3; ++i)
            sum ^= frame[static_cast<std::size_t>(i)];
        if (sum != 0) n = ddc_error::kChecksum;
    }
    note_receive(n);
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
    const int result = i2c_write(kDdcAddress, frame.data(), (length + 3) % 256);
    note_send(payload, length, result);
    return result;
}

int low_level_ddc::wait(int milliseconds) {
    platform::sleep_ms(milliseconds);
    return 0;
}

CLinkCounters low_level_ddc::counters() const {
    return counters_;
}

CLinkCounters low_level_ddc::interface_counters(int index) {
    const QMutexLocker lock(&tally_mutex());
    return tallies().value(index);
}

void low_level_ddc::count(int CLinkCounters::*field) {
    ++(counters_.*field);
    const QMutexLocker lock(&tally_mutex());
    ++(tallies()[interface_index].*field);
}

void low_level_ddc::note_send(const std::uint8_t* payload, int length, int result) {
    count(&CLinkCounters::exchanges);
    const std::vector<std::uint8_t> request(payload, payload + length);
    // Again within one transaction, or the same request right after one that went wrong.
    const bool repeat =
        sends_ > 0 || (outcome_ == Outcome::none && last_went_wrong_ && request == last_request_);
    if (repeat) count(&CLinkCounters::retries);
    last_request_ = request;
    ++sends_;
    reads_since_send_ = 0;
    outcome_ = result < 0 ? Outcome::error : Outcome::good;
}

void low_level_ddc::note_receive(int result) {
    // A read repeated without a new request, after one that brought nothing usable.
    if (reads_since_send_ > 0 && outcome_ != Outcome::good) count(&CLinkCounters::retries);
    ++reads_since_send_;
    if (result == 0) {
        count(&CLinkCounters::null_replies);
        outcome_ = Outcome::null_reply;
    } else if (result < 0) {
        if (result == ddc_error::kChecksum) count(&CLinkCounters::checksum_errors);
        outcome_ = Outcome::error;
    } else {
        outcome_ = Outcome::good;
    }
}
