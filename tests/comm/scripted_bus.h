#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sleeper.h"

namespace link_testing {

using Bytes = std::vector<std::uint8_t>;

// A request as the host puts it on the wire: source, length byte, payload and the XOR checksum
// over destination, source, length byte and payload.
Bytes request_frame(const Bytes& payload);
// A reply as a display puts it on the wire; the checksum is the XOR of `seed` and every byte
// before it (a display uses 0x50, the other seeds make deliberately wrong frames).
Bytes reply_frame(const Bytes& payload, std::uint8_t source = 0x6E, std::uint8_t seed = 0x50);
// The null message a display sends while it has nothing to say yet.
Bytes null_reply();

// An I2C bus that expects a fixed sequence of transfers on one interface: every write must
// match the scripted frame byte for byte, every read is answered with the scripted bytes (the
// rest of the read padded as an idle bus reads, with 0xFF). Each transfer is logged with the
// virtual clock at which it happened.
class CScriptedBus final : public platform::CAccessBackend {
  public:
    struct Transfer {
        bool write;
        int address;
        Bytes bytes;  // written bytes, or the bytes handed out
        int length;
        std::int64_t at_ms;
    };

    CScriptedBus(int interfaces, int used_interface, const platform::CFakeSleeper& clock)
        : interfaces_(interfaces), used_(used_interface), clock_(clock) {}

    // `result` < 0 makes the write fail; otherwise the access library's usual byte count.
    void expect_write(int address, Bytes frame, int result = 1 << 30);
    // `result` 0 = success; anything else is handed back as the library's result.
    void expect_read(int address, int length, Bytes reply, int result = 0);

    std::size_t pending() const { return script_.size(); }
    const std::vector<Transfer>& log() const { return log_; }
    std::vector<Bytes> writes() const;

    int begin_result = 0;
    int begins = 0;
    int ends = 0;

    void rescan(int) override {}
    int interface_count() const override { return interfaces_; }
    int interface_info(int, platform::CInterfaceInfo&) override { return 0; }
    int i2c_write(int local, int address, const std::uint8_t* data, int length) override;
    int i2c_read(int local, int address, std::uint8_t* buffer, int length) override;
    int begin_transaction(int local) override;
    void end_transaction(int local) override;

  private:
    struct Step {
        bool write;
        int address;
        Bytes bytes;
        int length;
        int result;
    };
    std::deque<Step> script_;
    std::vector<Transfer> log_;
    int interfaces_;
    int used_;
    const platform::CFakeSleeper& clock_;
};

// Installs an access object holding one scripted bus and a fake sleeper for the test's life;
// fails the test if the script was not used up.
class BusFixture : public ::testing::Test {
  protected:
    static constexpr int kInterface = 2;

    BusFixture();
    ~BusFixture() override;
    void TearDown() override;

    // One request/reply exchange: the request frame, then a read of `capacity` + 3 bytes.
    void expect_exchange(const Bytes& request, const Bytes& reply_payload, int capacity);
    void expect_request(const Bytes& request, int result = 1 << 30);
    void expect_reply(int capacity, const Bytes& frame, int result = 0);

    platform::CFakeSleeper sleeper;
    CScriptedBus* bus = nullptr;

  private:
    platform::CScopedSleeper sleeper_guard_;
    std::unique_ptr<platform::CAccessLibrary> library_;
    platform::CAccessLibrary* previous_library_;
};

}  // namespace link_testing
