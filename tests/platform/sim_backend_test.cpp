#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <thread>

#include "platform/access_library.h"
#include "platform/i2c_backend.h"
#include "platform/sim_backend.h"
#include "sim/sim_tool.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

namespace {

using platform::CAccessLibrary;
using platform::CInterfaceInfo;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v & 0xFF));
    return out;
}

// A DDC/CI exchange through the access library, framed and checked by the wire rules.
struct Host {
    CAccessLibrary& library;

    int send(int index, const QByteArray& payload) {
        QByteArray frame = bytes({0x51, 0x80 | static_cast<int>(payload.size())}) + payload;
        std::uint8_t check = 0x6E ^ 0x51;
        for (int i = 1; i < frame.size(); ++i)
            check ^= static_cast<std::uint8_t>(frame[i]);
        frame.append(static_cast<char>(check));
        return library.I2C_WRITE(index, 0x6E,
                                 reinterpret_cast<const std::uint8_t*>(frame.constData()),
                                 static_cast<int>(frame.size()), 10000);
    }
    // The reply payload; empty for a null message; `result` gets I2C_READ's result.
    QByteArray receive(int index, int* result = nullptr) {
        QByteArray buffer(40, '\0');
        const int r = library.I2C_READ(index, 0x6F, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                       40, 10000);
        if (result) *result = r;
        if (r != 0) return QByteArray();
        const int n = static_cast<std::uint8_t>(buffer[1]) & 0x7F;
        std::uint8_t check = 0x50;
        for (int i = 0; i < n + 3; ++i)
            check ^= static_cast<std::uint8_t>(buffer[i]);
        EXPECT_EQ(check, 0);
        return buffer.mid(2, n);
    }
    // Current value of a paged feature (polling through busy replies), -1 on failure.
    int paged(int index, const QByteArray& request) {
        if (send(index, request) < 0) return -1;
        for (int poll = 0; poll < 10; ++poll) {
            const QByteArray p = receive(index);
            if (p.size() == 9)
                return static_cast<std::uint8_t>(p[7]) << 8 | static_cast<std::uint8_t>(p[8]);
            if (!p.isEmpty()) return -1;
        }
        return -1;
    }
    int get(int index, int code) { return paged(index, bytes({0xC6, code >> 8, code})); }
    int set(int index, int code, int value) {
        return paged(index, bytes({0xC8, code >> 8, code, value >> 8, value}));
    }
    QByteArray edid(int index) {
        const std::uint8_t offset = 0;
        EXPECT_GE(library.I2C_WRITE(index, 0xA0, &offset, 1, 10000), 0);
        QByteArray block(128, '\0');
        EXPECT_EQ(library.I2C_READ(index, 0xA1, reinterpret_cast<std::uint8_t*>(block.data()), 128,
                                   10000),
                  0);
        return block;
    }
};

CInterfaceInfo info(CAccessLibrary& library, int index, int* result = nullptr) {
    CInterfaceInfo record;
    const int r = library.GetDisplayInterfaceInfo(index, &record);
    if (result) *result = r;
    return record;
}

// Runs the simulator's tool on the same state file, as a person at another terminal would.
int tool(const QString& config, const QString& state, const QStringList& args) {
    QString sink;
    QTextStream out(&sink), err(&sink);
    return sim::run_sim_tool(QStringList{"--config", config, "--state", state} + args, out, err);
}

struct SimulatedMachine : ::testing::Test {
    void SetUp() override {
        state = dir.path() + QStringLiteral("/state.json");
        qputenv(sim::CSimConfig::kConfigVariable, "default");
        qputenv(sim::CSimConfig::kStateVariable, state.toLocal8Bit());
    }
    void TearDown() override {
        qunsetenv(sim::CSimConfig::kConfigVariable);
        qunsetenv(sim::CSimConfig::kStateVariable);
    }
    std::unique_ptr<CAccessLibrary> start(const QByteArray& config_json = QByteArray()) {
        if (!config_json.isEmpty()) {
            config = dir.path() + QStringLiteral("/sim.json");
            EXPECT_TRUE(testing_support::write_file(config, config_json));
            qputenv(sim::CSimConfig::kConfigVariable, config.toLocal8Bit());
        }
        // Only the simulator, so that the machine's own buses never shift the numbers.
        auto library = std::make_unique<CAccessLibrary>();
        auto backend = platform::create_sim_backend_from_environment();
        EXPECT_NE(backend, nullptr);
        if (backend) library->add_backend(std::move(backend));
        library->EnumerateInterfaces(1, 3);
        return library;
    }
    QTemporaryDir dir;
    QString state;
    QString config = QStringLiteral("default");
};

TEST(SimBackendSetup, NoSimulatorWithoutItsVariable) {
    qunsetenv(sim::CSimConfig::kConfigVariable);
    auto library = platform::build_configured_access_library();
    ASSERT_EQ(library->backend_count(), 1u) << "only the machine's own buses";
    EXPECT_NE(dynamic_cast<platform::CI2cBackend*>(library->backend(0)), nullptr);
}

TEST_F(SimulatedMachine, TheSimulatorComesBeforeTheMachinesBuses) {
    auto library = platform::build_configured_access_library();
    ASSERT_EQ(library->backend_count(), 2u);
    EXPECT_NE(dynamic_cast<platform::CSimBackend*>(library->backend(0)), nullptr);
    EXPECT_NE(dynamic_cast<platform::CI2cBackend*>(library->backend(1)), nullptr);
}

TEST_F(SimulatedMachine, DefaultSetListsVideoAndUsbInterfacesInOrder) {
    auto library = start();
    ASSERT_EQ(library->GetNumDisplayInterfaces(), 5)
        << "KX271W video and USB, KX241W, Generic 24, KX302W";
    Host host{*library};

    const CInterfaceInfo video = info(*library, 0);
    EXPECT_NE(video.type(), platform::kInterfaceTypeUsb);
    EXPECT_TRUE(video.usable());
    EXPECT_FALSE(video.skip_video());
    const QByteArray edid = host.edid(0);
    EXPECT_NE(edid.indexOf("KX271W"), -1);

    int result = -1;
    const CInterfaceInfo usb = info(*library, 1, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(usb.type(), platform::kInterfaceTypeUsb);
    EXPECT_EQ(usb.model_name(), "KX271W");
    EXPECT_EQ(usb.serial(), "71000123");
    auto b = [&](int i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(edid[i])); };
    EXPECT_EQ(static_cast<std::uint32_t>(usb.product_id()),
              (b(8) + 256 * b(9)) << 16 | (b(10) + 256 * b(11)));
    // The area values are the desktop rectangle of the monitor's display.
    EXPECT_EQ(usb.area(0), 0);
    EXPECT_EQ(usb.area(2), 2560);
    EXPECT_EQ(usb.area(3), 1440);

    EXPECT_NE(host.edid(2).indexOf("KX241W"), -1);
    EXPECT_NE(host.edid(3).indexOf("Generic 24"), -1);
    EXPECT_EQ(info(*library, 2).area(0), 2560);
    EXPECT_NE(host.edid(4).indexOf("KX302W"), -1);
    info(*library, 5, &result);
    EXPECT_EQ(result, platform::kAccessBadIndex);
}

TEST_F(SimulatedMachine, BothInterfacesReachTheSameMonitor) {
    auto library = start();
    Host host{*library};
    EXPECT_EQ(host.set(1, 0x2BE, 2), 2);
    EXPECT_EQ(host.get(0, 0x2BE), 2);
    EXPECT_EQ(host.set(0, 0x1050, 4), 4);
    EXPECT_EQ(host.get(1, 0x1050), 4);
    EXPECT_NE(host.get(2, 0x2BE), -1);  // another monitor, its own value
    EXPECT_EQ(host.get(3, 0x2BE), -1);  // the third-party monitor ignores the maker's commands
}

TEST_F(SimulatedMachine, UnpluggedUsbFailsAtOnceAndDisappearsAtTheNextRescan) {
    auto library = start();
    Host host{*library};
    ASSERT_EQ(tool(config, state, {"unplug", "kx271w"}), 0);
    EXPECT_EQ(host.send(1, bytes({0xC6, 0x10, 0x50})), platform::kAccessNoDevice);
    int result = 0;
    info(*library, 1, &result);
    EXPECT_EQ(result, platform::kAccessNoDevice);
    EXPECT_NE(host.get(0, 0x1050), -1);  // the video cable still answers

    EXPECT_EQ(library->EnumerateInterfaces(1, 0), 4);
    EXPECT_NE(info(*library, 1).type(), platform::kInterfaceTypeUsb);
    EXPECT_NE(host.edid(1).indexOf("KX241W"), -1);

    ASSERT_EQ(tool(config, state, {"plug", "kx271w"}), 0);
    EXPECT_EQ(library->EnumerateInterfaces(1, 0), 5);
    EXPECT_EQ(info(*library, 1).type(), platform::kInterfaceTypeUsb);
}

TEST_F(SimulatedMachine, OsdChangeMadeWithTheToolIsSeenWithoutRescan) {
    auto library = start();
    Host host{*library};
    EXPECT_EQ(host.get(1, 0x1050), 1);
    ASSERT_EQ(tool(config, state, {"osd", "kx271w", "--memory", "3", "--preset", "2"}), 0);
    EXPECT_EQ(host.get(1, 0x1050), 3);
    EXPECT_EQ(host.get(1, 0x1051), 2);
    ASSERT_GE(host.send(1, bytes({0xC0, 0x09, 0x03, 0xFF, 0x10})), 0);
    EXPECT_EQ(host.receive(1), bytes({0xC1, 0x09, 0x01, 0x01, 0x01}));
}

TEST_F(SimulatedMachine, WhatTheProgramWritesSurvivesARestart) {
    {
        auto library = start();
        Host host{*library};
        host.set(1, 0x2BE, 1);
        ASSERT_GE(host.send(1, bytes({0x0C})), 0);  // save: written at once
        EXPECT_EQ(tool(config, state, {"show", "kx271w"}), 0);
        auto* backend = static_cast<platform::CSimBackend*>(library->backend(0));
        sim::CSimMonitor probe(backend->monitor(0)->model(), backend->monitor(0)->setup());
        sim::CSimStateStore store(state);
        std::vector<sim::CSimMonitor*> list = {&probe};
        ASSERT_TRUE(store.load(list));
        EXPECT_EQ(probe.read_feature(0x2BE).current, 1);

        host.set(2, 0x2BE, 2);  // not saved: kept when the backend closes
    }
    auto library = start();
    Host host{*library};
    EXPECT_EQ(host.get(1, 0x2BE), 1);
    EXPECT_EQ(host.get(2, 0x2BE), 2);
}

TEST_F(SimulatedMachine, VideoLinkVariantsAndUnplugFault) {
    auto library = start(R"({
        "monitors": [
            {"id": "a", "model": "KX271W", "serial": "1", "usb": true,
             "faults": [{"fault": "unplug", "exchange": 1}]},
            {"id": "b", "model": "KX241W", "serial": "2", "video": "skip"},
            {"id": "c", "model": "KX241W", "serial": "3", "video": "unusable"},
            {"id": "d", "model": "KX302W", "serial": "4", "video": "none", "usb": true}
        ]
    })");
    ASSERT_EQ(library->GetNumDisplayInterfaces(), 5);
    EXPECT_TRUE(info(*library, 2).skip_video());
    EXPECT_FALSE(info(*library, 3).usable());
    EXPECT_EQ(info(*library, 4).type(), platform::kInterfaceTypeUsb);
    EXPECT_EQ(info(*library, 4).model_name(), "KX302W");
    Host host{*library};
    EXPECT_EQ(host.send(3, bytes({0xC6, 0x10, 0x50})), platform::kAccessIoError);

    // Exchange 0 passes; exchange 1 goes out and the USB cable is pulled before the reply.
    EXPECT_EQ(host.get(1, 0x2BE), 3);
    EXPECT_GE(host.send(1, bytes({0xC8, 0x02, 0xBE, 0x00, 0x02})), 0);
    int result = 0;
    host.receive(1, &result);
    EXPECT_EQ(result, platform::kAccessNoDevice);
    EXPECT_EQ(host.send(0, bytes({0xC6, 0x02, 0xBE})), platform::kAccessNoDevice);

    EXPECT_EQ(library->EnumerateInterfaces(1, 0), 4);  // the USB interface is gone
    EXPECT_EQ(host.get(0, 0x2BE), 2);                  // the request had been carried out
}

}  // namespace

namespace {

TEST_F(SimulatedMachine, DdcCiSwitchedOffOnTheVideoCableLeavesTheEdidAndTheUsbLink) {
    auto library = start(R"({"monitors": [
        {"id": "a", "model": "KX271W", "serial": "71000123", "usb": true, "ddcci": false}
    ]})");
    Host host{*library};
    // 0: video, 1: USB.
    EXPECT_LT(host.send(0, bytes({0xC6, 0x10, 0x50})), 0) << "nothing acknowledges at 0x6E";
    int result = 0;
    host.receive(0, &result);
    EXPECT_NE(result, 0);
    EXPECT_EQ(host.edid(0).left(8), QByteArray::fromHex("00FFFFFFFFFFFF00"));
    EXPECT_EQ(host.get(1, 0x1050), 1) << "the USB link still answers";

    // Switched on with the tool while the program runs: the next transfer answers.
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(sim::run_sim_tool({"--config", config, "--state", state, "ddcci", "a", "on"}, o, e),
              0);
    EXPECT_EQ(host.get(0, 0x1050), 1);
}

}  // namespace

namespace {

QString show_text(const QString& config, const QString& state) {
    QString sink;
    QTextStream out(&sink), err(&sink);
    sim::run_sim_tool(QStringList{"--config", config, "--state", state, "show", "kx271w"}, out,
                      err);
    return sink;
}

TEST_F(SimulatedMachine, ARequestInsideAnotherThreadsOrProcesssOpenExchangeIsCounted) {
    testing_support::LogCapture log("orvale.sim");
    auto library = start();
    Host host{*library};
    // One conversation after another, from several threads, is no fault.
    EXPECT_EQ(host.get(1, 0x1050), 1);
    std::thread([&] { EXPECT_EQ(host.get(1, 0x1050), 1); }).join();
    EXPECT_EQ(host.get(0, 0x1050), 1);  // the video cable reaches the same monitor
    host.set(1, 0x2BE, 1);              // a set's reply closes its exchange like any other
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 0"));

    // Another thread's request while this thread's reply waits to be read.
    ASSERT_GE(host.send(1, bytes({0xC6, 0x10, 0x50})), 0);
    std::thread([&] { EXPECT_EQ(host.get(0, 0x2BE), 1); }).join();
    host.receive(1);  // the reply was lost to the other request; the exchange is theirs
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 1"));
    EXPECT_TRUE(log.text().contains("overlapping conversation on KX271W"));

    // Another process (its own backend on the same state file) meets this one's open exchange.
    ASSERT_GE(host.send(1, bytes({0xC6, 0x10, 0x50})), 0);
    std::thread([&] {
        auto other = start();
        Host second{*other};
        EXPECT_GE(second.send(1, bytes({0xC6, 0x02, 0xBE})), 0);
    }).join();
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 2"));

    // The count survives a restart, as the rest of the monitor's state does.
    library.reset();
    auto again = start();
    Host third{*again};
    EXPECT_EQ(third.get(1, 0x1050), 1);
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 2"));
}

// An exchange whose thread is gone cannot be overlapped: nothing will ever read its reply.
TEST_F(SimulatedMachine, AnExchangeLeftOpenByAThreadThatEndedIsNoOverlap) {
    auto library = start();
    Host host{*library};
    std::thread([&] { ASSERT_GE(host.send(1, bytes({0xC6, 0x10, 0x50})), 0); }).join();
    EXPECT_EQ(host.get(1, 0x1050), 1);
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 0"));
}

}  // namespace

namespace {

// A slow reply the program stopped polling for, then a retry nobody acknowledged: the program
// has given up on that exchange, so the next thread's request crosses nothing.
TEST_F(SimulatedMachine, ARetryNobodyAcknowledgedLeavesNoExchangeOpen) {
    auto library = start(R"({"monitors": [
        {"id": "kx271w", "model": "KX271W", "serial": "71000123", "usb": true,
         "faults": [{"fault": "slow", "exchange": 0, "count": 5},
                    {"fault": "write_failure", "exchange": 1}]}
    ]})");
    Host host{*library};
    ASSERT_GE(host.send(1, bytes({0xC6, 0x10, 0x50})), 0);
    int result = 0;
    host.receive(1, &result);  // still working: the reply stays behind in the monitor
    EXPECT_LT(host.send(1, bytes({0xC6, 0x10, 0x50})), 0) << "the retry is not acknowledged";
    std::thread([&] { EXPECT_GE(host.get(0, 0x2BE), 0); }).join();
    EXPECT_TRUE(show_text(config, state).contains("overlapping conversations: 0"))
        << qPrintable(show_text(config, state));
}

}  // namespace
