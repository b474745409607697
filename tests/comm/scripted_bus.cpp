#include "scripted_bus.h"

#include <algorithm>

namespace link_testing {

Bytes request_frame(const Bytes& payload) {
    Bytes frame{0x51, static_cast<std::uint8_t>(0x80 | payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint8_t sum = 0x6E;
    for (std::uint8_t b : frame)
        sum ^= b;
    frame.push_back(sum);
    return frame;
}

Bytes reply_frame(const Bytes& payload, std::uint8_t source, std::uint8_t seed) {
    Bytes frame{source, static_cast<std::uint8_t>(0x80 | payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint8_t sum = seed;
    for (std::uint8_t b : frame)
        sum ^= b;
    frame.push_back(sum);
    return frame;
}

Bytes null_reply() {
    return reply_frame({});
}

void CScriptedBus::expect_write(int address, Bytes frame, int result) {
    const int length = static_cast<int>(frame.size());
    script_.push_back(
        {true, address, std::move(frame), length, result == 1 << 30 ? length : result});
}

void CScriptedBus::expect_read(int address, int length, Bytes reply, int result) {
    script_.push_back({false, address, std::move(reply), length, result});
}

std::vector<Bytes> CScriptedBus::writes() const {
    std::vector<Bytes> out;
    for (const Transfer& t : log_) {
        if (t.write) out.push_back(t.bytes);
    }
    return out;
}

int CScriptedBus::i2c_write(int local, int address, const std::uint8_t* data, int length) {
    EXPECT_EQ(local, used_);
    Bytes written(data, data + length);
    log_.push_back({true, address, written, length, clock_.now_ms()});
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected write of " << length << " bytes to " << address;
        return platform::kAccessIoError;
    }
    const Step step = script_.front();
    script_.pop_front();
    EXPECT_TRUE(step.write) << "a read was due, a write came";
    EXPECT_EQ(address, step.address);
    EXPECT_EQ(written, step.bytes);
    return step.result;
}

int CScriptedBus::i2c_read(int local, int address, std::uint8_t* buffer, int length) {
    EXPECT_EQ(local, used_);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected read of " << length << " bytes from " << address;
        return platform::kAccessIoError;
    }
    const Step step = script_.front();
    script_.pop_front();
    EXPECT_FALSE(step.write) << "a write was due, a read came";
    EXPECT_EQ(address, step.address);
    EXPECT_EQ(length, step.length);
    std::fill(buffer, buffer + length, std::uint8_t{0xFF});
    std::copy_n(step.bytes.begin(), std::min<std::size_t>(step.bytes.size(), std::size_t(length)),
                buffer);
    log_.push_back({false, address, step.bytes, length, clock_.now_ms()});
    return step.result;
}

int CScriptedBus::begin_transaction(int local) {
    EXPECT_EQ(local, used_);
    ++begins;
    return begin_result;
}

void CScriptedBus::end_transaction(int local) {
    EXPECT_EQ(local, used_);
    ++ends;
}

BusFixture::BusFixture()
    : sleeper_guard_(sleeper),
      library_(std::make_unique<platform::CAccessLibrary>()),
      previous_library_(platform::access_library()) {
    auto scripted = std::make_unique<CScriptedBus>(kInterface + 1, kInterface, sleeper);
    bus = scripted.get();
    library_->add_backend(std::move(scripted));
    library_->EnumerateInterfaces(1, 3);
    platform::set_access_library(library_.get());
}

BusFixture::~BusFixture() {
    platform::set_access_library(previous_library_);
}

void BusFixture::TearDown() {
    EXPECT_EQ(bus->pending(), 0u) << "scripted transfers never came";
}

void BusFixture::expect_request(const Bytes& request, int result) {
    bus->expect_write(0x6E, request_frame(request), result);
}

void BusFixture::expect_reply(int capacity, const Bytes& frame, int result) {
    bus->expect_read(0x6F, capacity + 3, frame, result);
}

void BusFixture::expect_exchange(const Bytes& request, const Bytes& reply_payload, int capacity) {
    expect_request(request);
    expect_reply(capacity, reply_frame(reply_payload));
}

}  // namespace link_testing
