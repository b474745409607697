#include <benchmark/benchmark.h>

#include <array>
#include <numeric>
#include <string>

#include "comm/capability_record.h"
#include "comm/edid_record.h"

namespace {

// A capability string of about 1 KiB as the maker's monitors send it.
std::string capability_string() {
    std::string vcp;
    for (int code = 0x02; code < 0xE0; code += 3) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02X ", code);
        vcp += buf;
    }
    std::string text = "(prot(monitor)type(lcd)model(KX271W)cmds(01 02 03 07 0C E3 F3)vcp(" + vcp +
                       "14(05 06 08 0B) 60(0F 11 12 13) D6(01 04 05))vcp_p02(B3 B4 B5)"
                       "vcp_p10(50 51(01 02 03 04 05 06 07 08 09 0A 0B 0C 0D) 54 6C 6D 6E 6F 70)";
    while (text.size() < 980)
        text += "vcp_p10(50)";
    return text +
           "mccs_ver(2.1)mpu_ver(1.02)asset_eep(64)cmds_c2(06 07 0A 0B 24 25 26 27)"
           "gamma_table(size(300) r_ofs(0) g_ofs(100) b_ofs(200)))";
}

void seal(std::uint8_t* block) {
    const int sum = std::accumulate(block, block + 127, 0);
    block[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

// Base block with a detailed timing, serial, name and range descriptors, and a CEA extension
// holding six more descriptors: the most work one decode does.
std::array<std::uint8_t, 256> edid() {
    std::array<std::uint8_t, 256> b{};
    const std::uint8_t head[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0x00, 0x2E, 0x74, 0x11, 0x6C};
    std::copy(std::begin(head), std::end(head), b.begin());
    b[18] = 1;
    b[19] = 4;
    b[24] = 0x0A;
    b[35] = 0xFF;
    b[36] = 0xFF;
    for (int i = 38; i < 54; ++i)
        b[i] = static_cast<std::uint8_t>(0x81 + i);
    const std::uint8_t timing[18] = {0x3C, 0x3C, 0x80, 0xA0, 0x70, 0xB0, 0x23, 0x40, 0x30,
                                     0x20, 0x36, 0x00, 0x06, 0x44, 0x21, 0x00, 0x00, 0x1A};
    for (int start : {54, 132, 150, 168, 186, 204, 222})
        std::copy(timing, timing + 18, b.begin() + start);
    const char* texts[] = {
        "\xFF"
        "54000123\n    ",
        "\xFC"
        "KX271W\n      "};
    for (int i = 0; i < 2; ++i) {
        b[72 + 18 * i + 3] = static_cast<std::uint8_t>(texts[i][0]);
        std::copy(texts[i] + 1, texts[i] + 14, b.begin() + 72 + 18 * i + 5);
    }
    const std::uint8_t range[] = {0, 0, 0, 0xFD, 0, 48, 75, 30, 94, 30, 0, 0x0A};
    std::copy(std::begin(range), std::end(range), b.begin() + 108);
    b[126] = 1;
    b[128] = 0x02;
    b[129] = 0x03;
    b[130] = 4;
    seal(b.data());
    seal(b.data() + 128);
    return b;
}

void capability_parse_1k(benchmark::State& state) {
    const std::string text = capability_string();
    CCapabilityRecord record;
    for (auto _ : state)
        benchmark::DoNotOptimize(record.parse(text));
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["codes"] = static_cast<double>(record.vcp_codes.size());
}
BENCHMARK(capability_parse_1k);

void edid_decode_256(benchmark::State& state) {
    const auto bytes = edid();
    CEdidRecord record;
    for (auto _ : state)
        benchmark::DoNotOptimize(record.decode(bytes.data()));
    state.counters["descriptors"] = static_cast<double>(record.descriptors.size());
    if (record.decode(bytes.data()) != 0) state.SkipWithError("the benchmark EDID does not decode");
}
BENCHMARK(edid_decode_256);

}  // namespace

BENCHMARK_MAIN();
