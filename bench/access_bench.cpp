#include <benchmark/benchmark.h>

#include "platform/access_library.h"

namespace {

// The cost of routing one I2C transfer through the access object to its backend.
class NullBackend : public platform::CAccessBackend {
  public:
    void rescan(int) override {}
    int interface_count() const override { return 4; }
    int interface_info(int, platform::CInterfaceInfo&) override { return 0; }
    int i2c_write(int, int, const std::uint8_t*, int length) override { return length; }
    int i2c_read(int, int, std::uint8_t*, int) override { return 0; }
};

void access_write_read(benchmark::State& state) {
    platform::CAccessLibrary library;
    library.add_backend(std::make_unique<NullBackend>());
    library.EnumerateInterfaces(1, 3);
    std::uint8_t frame[8] = {0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x00, 0x00};
    std::uint8_t reply[11] = {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.I2C_WRITE(3, 0x6E, frame, 8, 10000));
        benchmark::DoNotOptimize(library.I2C_READ(3, 0x6F, reply, 11, 10000));
    }
}
BENCHMARK(access_write_read);

}  // namespace

BENCHMARK_MAIN();
