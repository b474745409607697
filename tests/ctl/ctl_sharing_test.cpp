#include <gtest/gtest.h>

#include <QJsonArray>
#include <QProcess>

#include "comm/ddc_monitor.h"
#include "ctl_runner.h"
#include "platform/access_library.h"

using ctl_testing::Machine;

namespace {

// The program's side in this process: the simulated access backend on the tools' state file
// and the KX271W's monitor object on its USB interface (1), as the main window holds it.
struct SharedMonitors : ::testing::Test {
    Machine machine;
    std::unique_ptr<platform::CAccessLibrary> library;
    CDDCMonitor program;

    void SetUp() override {
        machine.sim({"reset", "all"});
        qputenv("ORVALE_SIM_CONFIG", "default");
        qputenv("ORVALE_SIM_STATE", machine.state_path().toLocal8Bit());
        library = platform::build_configured_access_library();
        platform::set_access_library(library.get());
        library->EnumerateInterfaces(1, 3);
        ASSERT_EQ(program.connect_interface(1), 0);
        program.set_usb(true);
    }
    void TearDown() override {
        platform::set_access_library(nullptr);
        library.reset();
        qunsetenv("ORVALE_SIM_CONFIG");
        qunsetenv("ORVALE_SIM_STATE");
    }
    int tool_get(int code) {
        const auto run = machine.ctl({"--json", "get", "1", QString::number(code)});
        EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
        return run.json().value("features").toArray()[0].toObject().value("value").toInt();
    }
    int program_get(int code) {
        int value = -1;
        EXPECT_EQ(program.get_value(code, value), 0);
        return value;
    }
};

TEST_F(SharedMonitors, EachSideSeesTheOthersChangesWithoutASave) {
    // The program writes without saving (the page saves 2 s later): the tool reads it at once.
    int value = 250;
    ASSERT_EQ(program.set_value(0x2B3, value), 0);
    EXPECT_EQ(tool_get(0x2B3), 250);
    // And the tool's change reaches the program's next request.
    ASSERT_EQ(machine.ctl({"set", "1", "0x2BE", "1", "--no-save"}).exit_code, 0);
    EXPECT_EQ(program_get(0x2BE), 1);
    // The program's earlier write survived the tool's: nothing of either side was lost.
    EXPECT_EQ(program_get(0x2B3), 250);
    EXPECT_EQ(machine.shown("kx271w", "1.luminance cd/m2"), 250);
}

TEST_F(SharedMonitors, ConcurrentWritersOfOneMonitorLoseNothing) {
    // Several tools and the program change different settings of one monitor at the same time;
    // each process used to write back its whole copy, and the last one won.
    const std::vector<std::pair<int, int>> writes = {{0x2BE, 2}, {0x105C, 2}, {0x2BD, 2},
                                                     {0x2EE, 1}, {0x12, 61},  {0x1063, 3}};
    std::vector<std::unique_ptr<QProcess>> tools;
    for (const auto& [code, value] : writes) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(machine.env);
        p->start(QStringLiteral(ORVALE_CTL),
                 {"set", "1", QString::number(code), QString::number(value), "--no-save"});
        tools.push_back(std::move(p));
    }
    for (int i = 0; i < 20; ++i) {
        int luminance = 100 + i;
        ASSERT_EQ(program.set_value(0x2B3, luminance), 0);
    }
    for (auto& p : tools) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().constData();
    }
    for (const auto& [code, value] : writes) {
        EXPECT_EQ(program_get(code), value) << std::hex << code;
        EXPECT_EQ(tool_get(code), value) << std::hex << code;
    }
    EXPECT_EQ(machine.shown("kx271w", "1.luminance cd/m2"), 119);
}

}  // namespace

namespace {

// Each exchange (request, wait, reply) holds the monitor against the other processes, so
// tools reading beside each other and beside the program never answer each other's requests.
TEST_F(SharedMonitors, ToolsAndTheProgramTakeTurnsExchangeByExchange) {
    const auto start_reader = [&](int code) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(machine.env);
        p->start(QStringLiteral(ORVALE_CTL),
                 {"get", "1", QString::number(code), "0x2B3", "0x2BE", "0x1050", "0x12", "0x10"});
        return p;
    };
    std::vector<std::unique_ptr<QProcess>> tools;
    for (int round = 0; round < 6; ++round) {
        tools.push_back(start_reader(0x10));
        tools.push_back(start_reader(0x12));
        // The program talks all the while, as the main window's pages do.
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(program_get(0x1050), 1);
    }
    for (auto& p : tools) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().constData();
    }
    const QString shown = machine.show("kx271w");
    EXPECT_TRUE(shown.contains("overlapping conversations: 0")) << shown.toStdString();
}

}  // namespace
