#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <string>

#include "comm/pvx_factory_ddc_control.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"

namespace {

// A display that answers at once: a VCP read and the capability string in 32-byte fragments.
// Only the reply is computed here, so the figures are the cost of our own code.
class AnsweringDisplay final : public platform::CAccessBackend {
  public:
    explicit AnsweringDisplay(std::string capabilities) : capabilities_(std::move(capabilities)) {}

    void rescan(int) override {}
    int interface_count() const override { return 1; }
    int interface_info(int, platform::CInterfaceInfo&) override { return 0; }
    int i2c_write(int, int, const std::uint8_t* data, int length) override {
        const int n = data[1] & 0x7F;
        reply_length_ = 0;
        if (length < 4 || n == 0) return length;
        const std::uint8_t* request = data + 2;
        if (request[0] == 0x01) {
            const std::uint8_t body[] = {0x02, 0x00, request[1], 0x00, 0x00, 0x64, 0x00, 0x32};
            frame(body, sizeof body);
        } else if (request[0] == 0xF3) {
            const std::size_t offset = std::size_t(request[1]) * 256 + request[2];
            std::uint8_t body[35] = {0xE3, request[1], request[2]};
            const std::size_t count = offset < capabilities_.size()
                                          ? std::min<std::size_t>(32, capabilities_.size() - offset)
                                          : 0;
            std::memcpy(body + 3, capabilities_.data() + offset, count);
            frame(body, static_cast<int>(count + 3));
        }
        return length;
    }
    int i2c_read(int, int, std::uint8_t* buffer, int length) override {
        std::memcpy(buffer, reply_.data(),
                    static_cast<std::size_t>(std::min(length, reply_length_)));
        return 0;
    }

  private:
    void frame(const std::uint8_t* body, int n) {
        reply_[0] = 0x6E;
        reply_[1] = static_cast<std::uint8_t>(0x80 | n);
        std::uint8_t sum = 0x50 ^ reply_[0] ^ reply_[1];
        for (int i = 0; i < n; ++i)
            sum ^= reply_[static_cast<std::size_t>(2 + i)] = body[i];
        reply_[static_cast<std::size_t>(2 + n)] = sum;
        reply_length_ = n + 3;
    }

    std::string capabilities_;
    std::array<std::uint8_t, 132> reply_{};
    int reply_length_ = 0;
};

std::string kibibyte_capabilities() {
    std::string text = "(prot(monitor)type(LCD)model(KX241W)cmds(01 02 03 0C E3 F3)vcp(";
    for (int i = 0; text.size() < 1000; ++i)
        text += std::to_string(10 + i % 90) + "(00 01 02) ";
    return text + ")mccs_ver(2.2)mpu_ver(1.02))";
}

// The protocol's waits go to a virtual clock; the access object holds one backend.
struct Setup {
    platform::CFakeSleeper sleeper;
    platform::CSleeper* previous_sleeper;
    QTemporaryDir dir;
    platform::CAccessLibrary library;
    platform::CAccessLibrary* previous_library;

    explicit Setup(bool simulated)
        : previous_sleeper(platform::install_sleeper(&sleeper)),
          previous_library(platform::access_library()) {
        if (simulated) {
            // The model with the longest capability string (about 0.6 KiB).
            sim::CSimConfig config;
            sim::CSimConfig::parse(
                R"({"monitors": [{"id": "kx302w", "model": "KX302W", "serial": "30000555"}]})",
                QString(), config, nullptr);
            config.state_file = dir.path() + QStringLiteral("/state.json");
            library.add_backend(std::make_unique<platform::CSimBackend>(config));
        } else {
            library.add_backend(std::make_unique<AnsweringDisplay>(kibibyte_capabilities()));
        }
        library.EnumerateInterfaces(1, 3);
        platform::set_access_library(&library);
    }
    ~Setup() {
        platform::set_access_library(previous_library);
        platform::install_sleeper(previous_sleeper);
    }
};

// One request/reply exchange (a VCP read of the brightness).
void transact_exchange(benchmark::State& state, bool simulated) {
    Setup setup(simulated);
    PVX_factory_ddc_control control(0, 10000, 3);
    const std::uint8_t request[] = {0x01, 0x10};
    std::array<std::uint8_t, 8> reply{};
    std::int64_t i = 0;
    for (auto _ : state) {
        int length = 8;
        if (control.transact(request, 2, reply.data(), length, true, 50) != 0 || length != 8) {
            state.SkipWithError("exchange failed");
            break;
        }
        if (++i % 4096 == 0) setup.sleeper.clear();  // keep the recorded waits small
    }
    state.SetItemsProcessed(state.iterations());
}

// The whole capability string; per_exchange divides by the fragments read.
void capability_read(benchmark::State& state, bool simulated) {
    Setup setup(simulated);
    PVX_factory_ddc_control control(0, 10000, 3);
    std::array<char, 8192> buffer{};
    int copied = 0;
    for (auto _ : state) {
        copied = control.get_capabilities(buffer.data(), 8192);
        if (copied <= 0) {
            state.SkipWithError("capability read failed");
            break;
        }
        setup.sleeper.clear();
    }
    const int exchanges = copied / 32 + 1;
    state.counters["bytes"] = copied;
    state.counters["per_exchange"] =
        benchmark::Counter(double(state.iterations()) * exchanges,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Against the simulated monitor (the figures the program sees in simulation), and against a
// display that only frames a ready answer (our code alone).
BENCHMARK_CAPTURE(transact_exchange, simulator, true);
BENCHMARK_CAPTURE(capability_read, simulator, true);
BENCHMARK_CAPTURE(transact_exchange, our_code_only, false);
BENCHMARK_CAPTURE(capability_read, our_code_only, false);

}  // namespace

BENCHMARK_MAIN();
