#include <array>
#include <atomic>
#include <cmath>
#include <vector>

#include "comm/monitor_features.h"
#include "monitor_fixture.h"
#include "sim/sim_model.h"

namespace mf = monitor_feature;

namespace {

using monitor_testing::MonitorTest;
using sim::CSimFault;

// Interfaces: a KX271W unit with three picture-mode memories (video, USB), a KX241W with the
// usual five and no change table.
constexpr int kKx271 = 0;
constexpr int kKx241 = 2;
constexpr std::size_t kSimKx241 = 1;

constexpr const char* kConfig = R"({"monitors": [
    {"model": "KX271W", "serial": "71000123", "usb": true, "memories": 3},
    {"model": "KX241W", "serial": "41000456"}]})";

std::uint32_t le32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | std::uint8_t(b[at + i]);
    return v;
}

// Gauss-Jordan elimination with partial pivoting: the solution of m * out = v.
bool solve(std::array<std::array<double, 3>, 3> m, std::array<double, 3> v,
           std::array<double, 3>& out) {
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r) {
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        }
        if (m[pivot][col] == 0.0) return false;
        std::swap(m[col], m[pivot]);
        std::swap(v[col], v[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == col) continue;
            const double f = m[r][col] / m[col][col];
            for (int k = 0; k < 3; ++k)
                m[r][k] -= f * m[col][k];
            v[r] -= f * v[col];
        }
    }
    for (int i = 0; i < 3; ++i)
        out[i] = v[i] / m[i][i];
    return true;
}

// What the monitor's memory map says, worked out here from the stored bytes.
struct FactoryData {
    std::array<std::array<double, 3>, 3> xyz{};  // per primary
    std::array<std::int16_t, 6> primaries{};
    std::array<double, 9> matrix{};
    bool invertible = false;
    std::array<std::int16_t, 6> corrected{};
};

FactoryData factory_data(const QByteArray& memory) {
    FactoryData d;
    for (int p = 0; p < 3; ++p) {
        std::array<std::uint64_t, 3> v{};
        for (int k = 0; k < 3; ++k) {
            v[std::size_t(k)] = le32(memory, 0x8800 + 16 * p + 4 + 4 * k);
            d.xyz[std::size_t(p)][std::size_t(k)] = double(v[std::size_t(k)]);
        }
        const std::uint64_t sum = v[0] + v[1] + v[2];
        if (sum == 0) continue;
        d.primaries[std::size_t(2 * p)] = std::int16_t(1000 * v[0] / sum);
        d.primaries[std::size_t(2 * p + 1)] = std::int16_t(1000 * v[1] / sum);
    }
    std::array<std::array<double, 3>, 3> m{};
    for (int i = 0; i < 9; ++i) {
        int raw = std::uint8_t(memory[0x8C90 + 2 * i]) | std::uint8_t(memory[0x8C91 + 2 * i]) << 8;
        if (raw >= 0x8000) raw -= 0x10000;
        d.matrix[std::size_t(i)] = raw / 10000.0;
        m[std::size_t(i / 3)][std::size_t(i % 3)] = d.matrix[std::size_t(i)];
    }
    for (int p = 0; p < 3; ++p) {
        std::array<double, 3> c{};
        d.invertible = solve(m, d.xyz[std::size_t(p)], c);
        if (!d.invertible) break;
        const double sum = c[0] + c[1] + c[2];
        d.corrected[std::size_t(2 * p)] = std::int16_t(std::trunc(1000 * c[0] / sum));
        d.corrected[std::size_t(2 * p + 1)] = std::int16_t(std::trunc(1000 * c[1] / sum));
    }
    return d;
}

void put_le16(QByteArray& memory, int at, int value) {
    memory[at] = char(value & 0xFF);
    memory[at + 1] = char((value >> 8) & 0xFF);
}

class MonitorMemoryTest : public MonitorTest {
  protected:
    void SetUp() override { simulate(kConfig); }
};

TEST_F(MonitorMemoryTest, ThreeMemoriesAreReadAndTheActiveOneSelectedAgain) {
    open(kKx271);
    sim::CSimMonitor& m = sim_monitor(0);
    m.write_feature(mf::memory_select, 2);
    m.write_feature(mf::preset, 3);  // memory 2 now shows DCI
    const int memories = m.read_feature(mf::memory_select).maximum;
    const int slot_count = m.read_feature(mf::lut_slot).maximum;
    ASSERT_EQ(memories, 3);

    CAdjustValue target;
    CModeSettings stale;
    stale.values[0] = 9;
    target.modeSettings.append(stale);
    target.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("old"), 4));
    EXPECT_EQ(monitor.read_picture_memories(target), 0);

    EXPECT_EQ(progress.totals(), std::vector<unsigned>{unsigned(17 * memories + 5)});
    EXPECT_EQ(progress.totals().front(), 56u);
    EXPECT_EQ(progress.steps(), 56) << "the bar ends full";
    EXPECT_TRUE(progress.steps_carry_zero());
    EXPECT_EQ(m.state().active_memory, 2);
    EXPECT_EQ(settle_waits(), std::vector<int>(std::size_t(memories + 1), 3500));

    ASSERT_EQ(target.modeSettings.size(), memories);
    for (int i = 0; i < memories; ++i) {
        const CModeSettings& item = target.modeSettings[i];
        EXPECT_EQ(item.key(), i + 1);
        for (std::int32_t code : CModeSettings::kFeatures) {
            if (code == mf::memory_select) continue;
            EXPECT_EQ(item.feature(code), m.state().memories[std::size_t(i)].values.at(code))
                << "memory " << i + 1 << " code " << std::hex << code;
        }
    }
    EXPECT_EQ(target.modeSettings[1].preset(), 3);

    ASSERT_EQ(target.namedEntries.size(), slot_count);
    for (int i = 0; i < slot_count; ++i) {
        EXPECT_EQ(target.namedEntries[i].name,
                  QString::fromLatin1(m.state().slot_names[std::size_t(i)]));
        EXPECT_EQ(target.namedEntries[i].slot, i + 1);
        EXPECT_EQ(target.namedEntries[i].code, i + 8);
    }
    const FactoryData d = factory_data(m.state().memory);
    EXPECT_TRUE(target.has_factory_primaries());
    EXPECT_EQ(target.factoryPrimaries, d.primaries);
}

// Whatever the numbers of memories and slots, exactly the announced steps are reported, and they
// advance as the read goes on: every memory read brings its share.
TEST_F(MonitorMemoryTest, ProgressEndsFullForEveryNumberOfMemories) {
    for (int interface : {kKx271, kKx241}) {
        open(interface);
        progress.clear();
        CAdjustValue target;
        ASSERT_EQ(monitor.read_picture_memories(target), 0);
        const int memories = static_cast<int>(target.modeSettings.size());
        ASSERT_EQ(progress.totals(), std::vector<unsigned>{unsigned(17 * memories + 5)});
        EXPECT_EQ(progress.steps(), 17 * memories + 5) << "interface " << interface;
        EXPECT_GE(target.namedEntries.size(), 1);
    }
    ASSERT_EQ(sim_monitor(kSimKx241).state().memories.size(), 5u);

    // A failed read stops the steps where it failed: here at the first slot name, after the
    // memories and the return to the active one.
    open(kKx241);
    sim_monitor(kSimKx241).faults().add({CSimFault::lost_reply, -1, 0xC226, 1, 5});
    CAdjustValue target;
    EXPECT_NE(monitor.read_picture_memories(target), 0);
    EXPECT_EQ(progress.steps(), 17 * 5 + 1);
}

// The owner of a long read may stop it (the program is ending): the read stops before the next
// memory and puts the user's memory back, so the monitor never stays on another one.
TEST_F(MonitorMemoryTest, AnInterruptedReadStopsBetweenMemoriesAndSelectsTheActiveOneAgain) {
    open(kKx241);
    sim::CSimMonitor& m = sim_monitor(kSimKx241);
    m.write_feature(mf::memory_select, 4);
    std::atomic<bool> stop{false};
    monitor.set_interrupt_flag(&stop);
    // The first step is reported once memory 1 is selected: the request comes during its read.
    QObject::connect(&monitor, &CDDCMonitor::Broadcast_MessageOut, [&](uint message, uint) {
        if (message == CDDCMonitor::kProgressStep) stop = true;
    });
    CAdjustValue target;
    EXPECT_EQ(monitor.read_picture_memories(target), CDDCMonitor::kInterrupted);
    EXPECT_EQ(m.state().active_memory, 4);
    EXPECT_EQ(target.modeSettings.size(), 1) << "only memory 1 was read";
    EXPECT_EQ(settle_waits(), (std::vector<int>{3500, 3500})) << "memory 1, then memory 4 again";

    // Without the request the same monitor reads to the end.
    stop = false;
    monitor.set_interrupt_flag(nullptr);
    CAdjustValue complete;
    EXPECT_EQ(monitor.read_picture_memories(complete), 0);
    EXPECT_EQ(complete.modeSettings.size(), 5);
    EXPECT_EQ(m.state().active_memory, 4);
}

// Records the codes asked for, and says one of them is unsupported.
class RecordingMonitor : public CDDCMonitor {
  public:
    int get_value(int code, int& current) override {
        asked.push_back(code);
        if (code == unsupported) return kUnsupported;
        return CDDCMonitor::get_value(code, current);
    }
    std::vector<int> asked;
    int unsupported = -1;
};

TEST_F(MonitorMemoryTest, MemorySettingsAreReadInTheMonitorsOrder) {
    RecordingMonitor recording;
    monitor_testing::ProgressLog log;
    log.attach(recording);
    ASSERT_EQ(recording.connect_interface(kKx241), 0);
    recording.unsupported = mf::white_y;

    CModeSettings item;
    item.set_feature(mf::white_y, 1234);
    EXPECT_EQ(recording.read_memory_settings(item), 0);
    EXPECT_EQ(recording.asked,
              (std::vector<int>{mf::memory_select, mf::white_x, mf::white_y, mf::red_x, mf::red_y,
                                mf::green_x, mf::green_y, mf::blue_x, mf::blue_y, mf::gamma_value,
                                mf::gamma_type, mf::luminance, mf::black_level, mf::preset,
                                mf::lut_slot, mf::lut_use}));
    EXPECT_EQ(item.feature(mf::white_y), 1234) << "unsupported: left as it was";
    const sim::CSimMonitor& m = sim_monitor(kSimKx241);
    EXPECT_EQ(item.key(), m.state().active_memory);
    EXPECT_EQ(item.feature(mf::white_x), m.read_feature(mf::white_x).current);
    EXPECT_EQ(item.feature(mf::lut_use), m.read_feature(mf::lut_use).current);
    EXPECT_EQ(log.steps(), 1);

    // Any other error ends the read without its step.
    sim_monitor(kSimKx241).faults().add({CSimFault::wrong_opcode, -1, 0xC6, 1, 5});
    log.clear();
    EXPECT_EQ(recording.read_memory_settings(item), -26);
    EXPECT_EQ(log.steps(), 0);
}

TEST_F(MonitorMemoryTest, FactoryAndCorrectedPrimariesFollowTheStoredData) {
    open(kKx271);
    sim::CSimMonitor& m = sim_monitor(0);
    const auto stored = sim::factory_primaries_xyz(m.model());
    const FactoryData d = factory_data(m.state().memory);
    for (std::size_t p = 0; p < 3; ++p) {
        for (std::size_t k = 0; k < 3; ++k)
            ASSERT_EQ(d.xyz[p][k], double(stored[p][k]));
    }
    ASSERT_TRUE(d.invertible);

    CAdjustValue record;
    EXPECT_EQ(monitor.read_factory_primaries(record), 0);
    EXPECT_TRUE(record.has_factory_primaries());
    EXPECT_EQ(record.factoryPrimaries, d.primaries);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_DOUBLE_EQ(record.calibration[i], d.matrix[i]) << i;
        EXPECT_NEAR(record.calibration[i], m.model().factory_matrix[i], 1e-9) << i;
    }
    EXPECT_TRUE(record.has_corrected_primaries());
    EXPECT_EQ(record.correctedPrimaries, d.corrected);
    EXPECT_NE(record.correctedPrimaries, record.factoryPrimaries);
}

TEST_F(MonitorMemoryTest, MatrixSignsAndASingularMatrix) {
    open(kKx271);
    QByteArray& memory = sim_monitor(0).state().memory;
    // 0.5 and -0.5: sixteen-bit two's complement, whatever bit 12 holds.
    put_le16(memory, 0x8C90 + 2, 5000);
    put_le16(memory, 0x8C90 + 6, 0x10000 - 5000);
    CAdjustValue record;
    EXPECT_EQ(monitor.read_factory_primaries(record), 0);
    EXPECT_DOUBLE_EQ(record.calibration[1], 0.5);
    EXPECT_DOUBLE_EQ(record.calibration[3], -0.5);
    EXPECT_EQ(record.correctedPrimaries, factory_data(memory).corrected);

    // A singular matrix: no corrected primaries, and a primary without light keeps its place.
    for (int i = 0; i < 18; ++i)
        memory[0x8C90 + i] = 0;
    for (int i = 0; i < 12; ++i)
        memory[0x8800 + 16 + 4 + i] = 0;
    CAdjustValue fresh;
    fresh.set_factory_primary(CAdjustValue::kGreen, 111, 222);
    EXPECT_EQ(monitor.read_factory_primaries(fresh), 0);
    EXPECT_TRUE(fresh.has_factory_primaries());
    EXPECT_FALSE(fresh.has_corrected_primaries());
    EXPECT_EQ(fresh.factory_x(CAdjustValue::kGreen), 111);
    EXPECT_EQ(fresh.factory_y(CAdjustValue::kGreen), 222);
    EXPECT_EQ(fresh.factory_x(CAdjustValue::kRed), factory_data(memory).primaries[0]);
}

// --- the change table --------------------------------------------------------------------------

TEST_F(MonitorMemoryTest, ChangesMadeOnTheMonitorAreFoundClearedAndErased) {
    open(kKx271);
    sim::CSimMonitor& m = sim_monitor(0);
    EXPECT_FALSE(monitor.has_memory_table()) << "nothing changed yet";
    m.osd_change(
        {.memory = 3, .preset = 0, .luminance = 150, .black_level = -1, .stamp = 0x5F3A1C22});
    EXPECT_TRUE(monitor.has_memory_table());

    const QByteArray& memory = m.state().memory;
    const int key1 = std::uint8_t(memory[0xFF13]);
    const int key2 = std::uint8_t(memory[0xFF14]);
    EXPECT_EQ(key1, 3);
    std::uint32_t value = 0;
    EXPECT_EQ(monitor.find_memory_entry(key1, key2, value), 1);
    EXPECT_EQ(value, 0x5F3A1C22u);
    EXPECT_EQ(monitor.find_memory_entry(key1 + 1, key2, value), 0);

    EXPECT_EQ(monitor.clear_memory_table_flag(), 0);
    EXPECT_EQ(memory[0xFF11], 0);
    EXPECT_FALSE(monitor.has_memory_table());
    EXPECT_EQ(monitor.find_memory_entry(key1, key2, value), 1) << "clearing keeps the entries";

    EXPECT_EQ(monitor.erase_memory_entry(key1, key2), 0);
    EXPECT_EQ(memory.mid(0xFF13, 6), QByteArray(6, '\0'));
    EXPECT_EQ(monitor.find_memory_entry(key1, key2, value), 0);

    // The erased entry is taken again; a count beyond the table's ten entries is not believed.
    m.osd_change({.memory = 2, .stamp = 7});
    const int preset = std::uint8_t(memory[0xFF14]);
    EXPECT_EQ(monitor.find_memory_entry(2, preset, value), 1);
    EXPECT_EQ(value, 7u);
    m.state().memory[0xFF12] = 11;
    EXPECT_EQ(monitor.find_memory_entry(2, preset, value), 0);
}

TEST_F(MonitorMemoryTest, AMonitorWithoutChangeTableIsLeftAlone) {
    open(kKx241);
    const QByteArray before = sim_monitor(kSimKx241).state().memory;
    std::uint32_t value = 99;
    EXPECT_FALSE(monitor.has_memory_table());
    EXPECT_EQ(monitor.find_memory_entry(1, 1, value), 0);
    EXPECT_EQ(value, 99u);
    EXPECT_EQ(monitor.clear_memory_table_flag(), 0);
    EXPECT_EQ(monitor.erase_memory_entry(1, 1), 0);
    EXPECT_EQ(sim_monitor(kSimKx241).state().memory, before);
}

}  // namespace
