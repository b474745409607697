#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <cstring>
#include <string>

#include "comm/monitor_timing.h"
#include "comm/pvx_factory_ddc_control.h"
#include "platform/access_library.h"
#include "platform/fake_sleeper.h"
#include "platform/sim_backend.h"
#include "sim/sim_monitor.h"

namespace {

using sim::CSimFault;

// Interfaces of the configuration below: the KX271W's video cable and USB link, the KX302W
// (with an EDID extension block) and a third-party monitor without the maker's commands.
constexpr int kKx271Video = 0;
constexpr int kKx271Usb = 1;
constexpr int kKx302 = 2;
constexpr int kGeneric = 3;

constexpr const char* kConfig = R"({
    "monitors": [
        {"id": "kx271w", "model": "KX271W", "serial": "71000123", "usb": true},
        {"id": "kx302w", "model": "KX302W", "serial": "30000555"},
        {"id": "generic", "model": "Generic 24", "serial": "24000789"}
    ]
})";

class SimLinkTest : public ::testing::Test {
  protected:
    SimLinkTest() : guard_(sleeper), previous_(platform::access_library()) {
        sim::CSimConfig config;
        EXPECT_TRUE(sim::CSimConfig::parse(kConfig, dir_.path(), config, nullptr));
        config.state_file = dir_.path() + QStringLiteral("/state.json");
        auto simulated = std::make_unique<platform::CSimBackend>(config);
        backend = simulated.get();
        library_.add_backend(std::move(simulated));
        EXPECT_EQ(library_.EnumerateInterfaces(1, 3), 4);
        platform::set_access_library(&library_);
    }
    ~SimLinkTest() override { platform::set_access_library(previous_); }

    sim::CSimMonitor& kx271() { return *backend->monitor(0); }
    sim::CSimMonitor& kx302() { return *backend->monitor(1); }
    sim::CSimMonitor& generic() { return *backend->monitor(2); }
    void inject(sim::CSimMonitor& m, CSimFault fault, int command, int repeat = 1, int count = 1) {
        m.faults().add({fault, -1, command, count, repeat});
    }

    platform::CFakeSleeper sleeper;
    platform::CSimBackend* backend = nullptr;
    PVX_factory_ddc_control control{kKx271Video, 10000, 3};
    int current = -1, maximum = -1, result_code = -1, type = -1;

  private:
    QTemporaryDir dir_;
    platform::CScopedSleeper guard_;
    platform::CAccessLibrary library_;
    platform::CAccessLibrary* previous_;
};

// --- every command against a well-behaved monitor -------------------------------------------

TEST_F(SimLinkTest, StandardFeaturesReadWriteAndSave) {
    ASSERT_EQ(control.get_vcp(0x12, current, maximum, result_code, type), 0);
    const sim::CSimReading contrast = kx271().read_feature(0x12);
    EXPECT_EQ(result_code, 0);
    EXPECT_EQ(current, contrast.current);
    EXPECT_EQ(maximum, contrast.maximum);

    const int wanted = contrast.current == 40 ? 41 : 40;
    EXPECT_EQ(control.set_vcp(0x12, wanted), 0);
    EXPECT_EQ(kx271().read_feature(0x12).current, wanted);
    // The USB link reaches the same monitor.
    PVX_factory_ddc_control usb{kKx271Usb, 10000, 3};
    EXPECT_EQ(usb.get_feature(0x12, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, wanted);

    const int saves = kx271().counters().saves;
    EXPECT_EQ(control.save_settings(), 0);
    EXPECT_EQ(kx271().counters().saves, saves + 1);
    EXPECT_EQ(kx271().counters().ignored_requests, 0);
    EXPECT_EQ(kx271().counters().rejected_frames, 0);
}

TEST_F(SimLinkTest, PagedFeaturesIncludingASlowChange) {
    ASSERT_EQ(control.get_feature(0x1050, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, kx271().state().active_memory);
    EXPECT_EQ(maximum, kx271().read_feature(0x1050).maximum);
    EXPECT_EQ(control.get_feature(0x1234, current, maximum, result_code, type), 0);
    EXPECT_NE(result_code, 0) << "a feature the model lacks is reported through its result code";

    // Selecting a memory is slow: this model answers after three null messages, the last of
    // them on the second poll, the reply on the third.
    const int memory = kx271().state().active_memory == 3 ? 2 : 3;
    sleeper.clear();
    EXPECT_EQ(control.set_feature(0x1050, memory), 0);
    EXPECT_EQ(kx271().state().active_memory, memory);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 100, 50, 100, 50, 100, 50}));

    int value = 999;  // clamped by the monitor: the reply says what it took
    EXPECT_EQ(control.set_paged(0x02, 0xB3, value, maximum, result_code, type), 0);
    EXPECT_EQ(value, kx271().read_feature(0x2B3).current);
    EXPECT_LE(value, maximum);
}

TEST_F(SimLinkTest, CapabilityStringsArriveWhole) {
    for (int index : {kKx271Video, kKx302, kGeneric}) {
        PVX_factory_ddc_control c{index, 10000, 3};
        sim::CSimMonitor& m = *backend->monitor(index == kKx271Video ? 0 : index - 1);
        std::array<char, 8192> buffer{};
        const int copied = c.get_capabilities(buffer.data(), 8192);
        ASSERT_EQ(copied, m.model().capabilities.size()) << index;
        EXPECT_EQ(QByteArray(buffer.data()), m.model().capabilities);
    }
}

TEST_F(SimLinkTest, EdidWithAndWithoutExtension) {
    std::array<std::uint8_t, 256> edid;
    edid.fill(0xAA);
    EXPECT_GT(control.read_edid(edid.data(), true), 0);
    ASSERT_EQ(kx271().edid().size(), 128);
    EXPECT_EQ(std::memcmp(edid.data(), kx271().edid().constData(), 128), 0);
    EXPECT_TRUE(std::all_of(edid.begin() + 128, edid.end(), [](std::uint8_t b) { return b == 0; }));

    PVX_factory_ddc_control c{kKx302, 10000, 3};
    EXPECT_GT(c.read_edid(edid.data(), true), 0);
    ASSERT_EQ(kx302().edid().size(), 256);
    EXPECT_EQ(std::memcmp(edid.data(), kx302().edid().constData(), 256), 0);
}

TEST_F(SimLinkTest, MemoryReadsAndWritesAcrossBlocks) {
    std::array<std::uint8_t, 48> primaries{};
    EXPECT_EQ(control.read_memory(primaries.data(), 0x8800, 48), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(primaries.data()), 48),
              kx271().state().memory.mid(0x8800, 48));

    std::array<std::uint8_t, 70> data{};
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 11 + 3);
    EXPECT_EQ(control.write_memory(data.data(), 0xA000, 70), 0);
    EXPECT_EQ(kx271().state().memory.mid(0xA000, 70),
              QByteArray(reinterpret_cast<const char*>(data.data()), 70));
    std::array<std::uint8_t, 70> back{};
    EXPECT_EQ(control.read_memory(back.data(), 0xA000, 70), 0);
    EXPECT_EQ(back, data);
}

TEST_F(SimLinkTest, WordTablesAndTableCommands) {
    PVX_factory_ddc_control c{kKx302, 10000, 3};
    const int green = kx302().model().table_offsets[1];
    std::array<int, 8> words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<int>(0x1000 + 0x123 * i);
    EXPECT_EQ(c.write_words_verified(words.data(), green + 16, 8), 0);
    const auto& table =
        kx302().state().memories[std::size_t(kx302().state().active_memory - 1)].tables[1];
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(table[16 + i], words[i]) << i;
    std::array<int, 16> back{};
    EXPECT_EQ(c.read_words(back.data(), green + 16, 8), 0);
    EXPECT_TRUE(std::equal(words.begin(), words.end(), back.begin()));

    const sim::CSimCounters before = kx302().counters();
    EXPECT_EQ(c.table_command_07(), 0);
    EXPECT_EQ(c.table_command_06(), 0);
    EXPECT_EQ(kx302().counters().table_stores, before.table_stores + 1);
    EXPECT_EQ(kx302().counters().table_applies, before.table_applies + 1);
}

TEST_F(SimLinkTest, LutPointsOfTheSelectedSlot) {
    ASSERT_EQ(control.set_feature(0x106B, 2), 0);
    std::array<int, 12> points{};
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<int>(85 * i);
    EXPECT_EQ(control.write_lut_points(points.data(), 2, 3, 4, 4), 0);
    const auto& slot = kx271().state().lut_slots[1];
    const std::size_t node = (4 * 9 + 3) * 9 + 2;
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(slot[3 * node + i], points[i]) << i;
    std::array<int, 24> back{};
    EXPECT_EQ(control.read_lut_points(back.data(), 2, 3, 4, 4), 0);
    EXPECT_TRUE(std::equal(points.begin(), points.end(), back.begin()));
}

TEST_F(SimLinkTest, SlotNamesAreStoredAsTheMonitorShowsThem) {
    // The monitor refuses a name with characters it cannot show; ours are replaced first.
    EXPECT_EQ(control.write_slot_name(3, "Print_proof!"), 0);
    EXPECT_EQ(kx271().state().slot_names[2], QByteArray("Print proof  "));
    std::array<char, 14> name{};
    EXPECT_EQ(control.read_slot_name(3, name.data()), 0);
    EXPECT_STREQ(name.data(), "Print proof  ");
}

TEST_F(SimLinkTest, ThirdPartyMonitorAnswersOnlyStandardCommands) {
    PVX_factory_ddc_control c{kGeneric, 10000, 3};
    EXPECT_EQ(c.get_feature(0x10, current, maximum, result_code, type), 0);
    EXPECT_EQ(current, generic().read_feature(0x10).current);
    // The maker's commands get only null messages.
    EXPECT_EQ(c.get_feature(0x1050, current, maximum, result_code, type), -23);
    std::array<char, 14> name{};
    EXPECT_EQ(c.read_slot_name(1, name.data()), -23);
}

// --- each fault of the simulated monitor ----------------------------------------------------

TEST_F(SimLinkTest, SpoiltRepliesAreReadAgain) {
    struct Case {
        CSimFault fault;
        int error;
    } cases[] = {{CSimFault::lost_reply, -23},
                 {CSimFault::null_replies, -23},
                 {CSimFault::bad_checksum, -20},
                 {CSimFault::wrong_source, -27},
                 {CSimFault::wrong_length, -24}};
    for (const Case& c : cases) {
        const QString name = sim::CSimFaultScript::name(c.fault);
        inject(kx271(), c.fault, 0xC6);
        sleeper.clear();
        EXPECT_EQ(control.get_feature(0x1054, current, maximum, result_code, type), 0)
            << qPrintable(name);
        EXPECT_EQ(current, kx271().read_feature(0x1054).current);
        EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 100, 50})) << qPrintable(name);

        // Spoilt on every attempt: the transport's error, after five exchanges.
        inject(kx271(), c.fault, 0xC6, 5, 10);
        const int exchanges = kx271().counters().exchanges;
        EXPECT_EQ(control.get_feature(0x1054, current, maximum, result_code, type), c.error)
            << qPrintable(name);
        EXPECT_EQ(kx271().counters().exchanges - exchanges, 5) << qPrintable(name);
        EXPECT_EQ(kx271().faults().pending(), 0) << qPrintable(name);
    }
}

TEST_F(SimLinkTest, ForeignRepliesAreJudgedByTheCommand) {
    // Another feature echoed: the paged read asks again, after its own wait.
    inject(kx271(), CSimFault::wrong_echo, 0xC6);
    sleeper.clear();
    EXPECT_EQ(control.get_feature(0x1054, current, maximum, result_code, type), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 300, 50, 50}));
    // Another opcode (a late reply to something else) likewise; on every attempt it is the
    // result.
    inject(kx271(), CSimFault::wrong_opcode, 0xC6);
    sleeper.clear();
    EXPECT_EQ(control.get_feature(0x1054, current, maximum, result_code, type), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 50, 300, 50, 50}));
    inject(kx271(), CSimFault::wrong_opcode, 0xC6, 5);
    EXPECT_EQ(control.get_feature(0x1054, current, maximum, result_code, type), -26);
    inject(kx271(), CSimFault::wrong_opcode, 0x01, 4);
    sleeper.clear();
    EXPECT_EQ(control.get_feature(0x10, current, maximum, result_code, type), 0);
    EXPECT_EQ(sleeper.waits(), std::vector<int>(10, 50));
    // A capability fragment for another offset is asked for again; the string stays whole.
    inject(kx271(), CSimFault::wrong_echo, 0xF3, 2);
    std::array<char, 8192> buffer{};
    EXPECT_EQ(control.get_capabilities(buffer.data(), 8192), kx271().model().capabilities.size());
    EXPECT_EQ(QByteArray(buffer.data()), kx271().model().capabilities);
    EXPECT_EQ(kx271().faults().pending(), 0);
}

TEST_F(SimLinkTest, FailedWritesAreSentAgain) {
    const int before = kx271().read_feature(0x12).current;
    const int wanted = before == 30 ? 31 : 30;
    inject(kx271(), CSimFault::write_failure, 0x03, 2);
    sleeper.clear();
    EXPECT_EQ(control.set_vcp(0x12, wanted), 0);
    EXPECT_EQ(kx271().read_feature(0x12).current, wanted);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 250, 50}));

    inject(kx271(), CSimFault::write_failure, 0x03, 5);
    EXPECT_EQ(control.set_vcp(0x12, before), platform::kAccessIoError);
    EXPECT_EQ(kx271().read_feature(0x12).current, wanted) << "no write reached the monitor";
}

TEST_F(SimLinkTest, SlowAndLostPagedSetsAreRepeatedUntilConfirmed) {
    // More busy polls than the command waits for: the set is sent again and confirmed.
    const int memory = kx271().state().active_memory == 4 ? 2 : 4;
    inject(kx271(), CSimFault::slow, 0xC8, 1, 20);
    sleeper.clear();
    EXPECT_EQ(control.set_feature(0x1050, memory), 0);
    EXPECT_EQ(kx271().state().active_memory, memory);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_EQ(
        std::count(waits.begin(), waits.end(),
                   monitor_timing::kPagedSetRetryBaseMs + monitor_timing::kPagedSetRetryStepMs),
        1);
    EXPECT_EQ(std::count(waits.begin(), waits.end(), monitor_timing::kPagedPollIntervalMs), 17 + 3);

    // The reply to a set lost for good: -23 after every attempt, and the monitor keeps the
    // value it was told to take (the command reached it).
    int value = 4;
    inject(kx271(), CSimFault::lost_reply, 0xC8, 5);
    EXPECT_EQ(control.set_paged(0x10, 0x54, value, maximum, result_code, type), -23);
    EXPECT_EQ(kx271().faults().pending(), 0);
    EXPECT_EQ(value, 4);
}

TEST_F(SimLinkTest, VerifiedWordWriteRecoversFromASpoiltReadBack) {
    PVX_factory_ddc_control c{kKx302, 10000, 3};
    const int red = kx302().model().table_offsets[0];
    const std::array<int, 4> words{0x0100, 0x0200, 0x0300, 0x0400};
    inject(kx302(), CSimFault::wrong_echo, 0xC20A);
    inject(kx302(), CSimFault::write_failure, 0xC20B, 2);
    sleeper.clear();
    EXPECT_EQ(c.write_words_verified(words.data(), red, 4), 0);
    const std::vector<int> waits = sleeper.waits();
    EXPECT_EQ(std::count(waits.begin(), waits.end(), monitor_timing::kTableVerifyPauseMs), 1);
    const auto& table =
        kx302().state().memories[std::size_t(kx302().state().active_memory - 1)].tables[0];
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(table[i], words[i]);
    EXPECT_EQ(kx302().faults().pending(), 0);
}

TEST_F(SimLinkTest, UnplugMidTransferStopsAtTheFirstFailedBlock) {
    std::array<std::uint8_t, 70> data{};
    data.fill(0x5A);
    const QByteArray erased = kx271().state().memory.mid(0xB000, 70);
    // The second block's request goes out, then the link is gone.
    kx271().faults().add({CSimFault::unplug, kx271().counters().exchanges + 1, 0xC002, 1, 1});
    EXPECT_EQ(control.write_memory(data.data(), 0xB000, 70), platform::kAccessNoDevice);
    const QByteArray now = kx271().state().memory.mid(0xB000, 70);
    EXPECT_EQ(now.left(64), QByteArray(64, 0x5A));
    EXPECT_EQ(now.mid(64), erased.mid(64)) << "nothing is written after the failure";

    EXPECT_EQ(control.get_feature(0x12, current, maximum, result_code, type),
              platform::kAccessNoDevice);
    kx271().reconnect();
    EXPECT_EQ(control.get_feature(0x12, current, maximum, result_code, type), 0);
}

}  // namespace
