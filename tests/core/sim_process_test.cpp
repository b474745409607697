#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "core/master_control.h"
#include "support/test_environment.h"

namespace {

// The real program and the real simulator tool, sharing one state file as a user's shell would.
struct SimulatedMachine : ::testing::Test {
    void SetUp() override {
        env = testing_support::child_process_environment();
        env.insert(QStringLiteral("ORVALE_SIM_CONFIG"), QStringLiteral("default"));
        env.insert(QStringLiteral("ORVALE_SIM_STATE"),
                   testing_support::sandbox_folder() + QStringLiteral("/sim-state.json"));
        env.insert(
            QStringLiteral("QT_LOGGING_RULES"),
            QStringLiteral(
                "orvale.startup.info=true;orvale.detection.info=true;orvale.monitor.info=true"));
        QFile::remove(config_path());
        QFile::remove(env.value(QStringLiteral("ORVALE_SIM_STATE")));
    }
    static QString config_path() {
        return testing_support::sandbox_folder() +
               QStringLiteral("/data/Kestrel/Orvale/config.dat");
    }

    void sim(const QStringList& args) {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(QStringLiteral(ORVALE_SIM_TOOL), args);
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAll().constData();
    }

    // Starts the program, waits for its main window and quits it as a logout would; returns
    // what it printed.
    QString run_program() {
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(ORVALE_BINARY), {});
        EXPECT_TRUE(program.waitForStarted(10000));
        QByteArray output;
        const bool shown = QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(50);
                output += program.readAll();
                return output.contains("main window shown");
            },
            60000);
        EXPECT_TRUE(shown) << output.constData();
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(30000));
        output += program.readAll();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << output.constData();
        EXPECT_EQ(program.exitCode(), 0);
        return QString::fromUtf8(output);
    }

    // The display assignments config.dat holds.
    static std::vector<qint32> saved_mapping() {
        QFile file(config_path());
        if (!file.open(QIODevice::ReadOnly)) return {};
        QDataStream in(&file);
        qint32 magic = 0, version = 0, count = 0;
        in >> magic >> version >> count;
        std::vector<qint32> mapping(10);
        for (qint32& m : mapping)
            in >> m;
        return mapping;
    }

    QProcessEnvironment env;
};

TEST_F(SimulatedMachine, AMonitorReachesItsUsbLinkAgainAfterItWasUnpluggedForOneRun) {
    // Interfaces with the USB link pulled: 0 KX271W video, 1 KX241W, 2 Generic 24, 3 KX302W.
    sim({QStringLiteral("unplug"), QStringLiteral("kx271w")});
    const QString unplugged = run_program();
    EXPECT_TRUE(unplugged.contains(
        QStringLiteral("display 1: KX271W, interface 0, controlled over the video cable")))
        << unplugged.toStdString();
    ASSERT_FALSE(saved_mapping().empty());
    EXPECT_EQ(saved_mapping()[0], 0);

    // Plugged again there are five: the stored assignments are stale and worked out anew.
    sim({QStringLiteral("plug"), QStringLiteral("kx271w")});
    const QString plugged = run_program();
    EXPECT_TRUE(
        plugged.contains(QStringLiteral("display 1: KX271W, interface 1, controlled over USB")))
        << plugged.toStdString();
    const std::vector<qint32> mapping = saved_mapping();
    ASSERT_FALSE(mapping.empty());
    EXPECT_EQ(mapping[0], 1);
    EXPECT_EQ(mapping[1], 2);

    // And they hold on the next start.
    const QString next = run_program();
    EXPECT_TRUE(
        next.contains(QStringLiteral("display 1: KX271W, interface 1, controlled over USB")))
        << next.toStdString();
}

TEST_F(SimulatedMachine, AMonitorOnTheVideoCableAloneIsControlledWhenItsDdcCiAnswers) {
    const QString first = run_program();
    EXPECT_TRUE(first.contains(
        QStringLiteral("display 2: KX241W, interface 2, controlled over the video cable")))
        << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("display 3: Generic 24, interface 3, unsupported")));
    EXPECT_TRUE(first.contains(QStringLiteral("display 4: KX302W, interface 4, no communications")))
        << "DDC/CI is off in the default KX302W's menu";

    sim({QStringLiteral("ddcci"), QStringLiteral("kx241w"), QStringLiteral("off")});
    sim({QStringLiteral("ddcci"), QStringLiteral("kx302w"), QStringLiteral("on")});
    const QString second = run_program();
    EXPECT_TRUE(
        second.contains(QStringLiteral("display 2: KX241W, interface 2, no communications")))
        << second.toStdString();
    EXPECT_TRUE(second.contains(
        QStringLiteral("display 4: KX302W, interface 4, controlled over the video cable")));
}

// A running program follows the simulated USB link as the tool pulls and plugs it from another
// terminal, and ends quickly on SIGTERM even in the middle of reading a monitor.
TEST_F(SimulatedMachine, PluggingFromAnotherTerminalRefillsTheRunningProgramsSelector) {
    // One KX271W, one memory (a short synchronisation), DDC/CI off on its video cable: without
    // its USB link it cannot be controlled at all.
    const QString config = testing_support::sandbox_folder() + QStringLiteral("/hotplug.json");
    ASSERT_TRUE(testing_support::write_file(config, R"({"monitors": [
        {"id": "m", "model": "KX271W", "serial": "71000555", "memories": 1, "ddcci": false,
         "usb": {"present": true, "plugged": true}}]})"));
    env.insert(QStringLiteral("ORVALE_SIM_CONFIG"), config);
    {
        // A record of this monitor is kept already, so no first-time message box holds the
        // window.
        MasterControl master;
        CMonitorEntry entry;
        entry.modelName = QStringLiteral("KX271W");
        entry.serialNumber = QStringLiteral("71000555");
        master.monitor_tracker().store(entry);
    }

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(ORVALE_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QByteArray output;
    auto wait_for = [&](const char* text, int timeout) {
        const qsizetype from = output.size();
        return QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(50);
                output += program.readAll();
                return output.indexOf(text, from) >= 0;
            },
            timeout);
    };
    ASSERT_TRUE(wait_for("display 1: KX271W, interface 1, controlled over USB", 30000))
        << output.constData();
    // The stored record stands: nothing is read. The link is pulled once the page shows it.
    ASSERT_TRUE(wait_for("record of KX271W 71000555 used as stored", 60000)) << output.constData();
    ASSERT_TRUE(wait_for("display 1 ready: KX271W", 60000)) << output.constData();

    // No progress dialog took the focus from the window, so the rescan follows at once.
    sim({QStringLiteral("unplug"), QStringLiteral("m")});
    ASSERT_TRUE(wait_for("a monitor left - rescan in 2000 ms", 10000)) << output.constData();
    EXPECT_TRUE(wait_for("display 1: KX271W, interface 0, no communications", 30000))
        << output.constData();
    // Changed with the monitor's buttons while the program could not reach it: the monitor
    // reports it, and the selection after the plug reads the settings again.
    sim({QStringLiteral("osd"), QStringLiteral("m"), QStringLiteral("--luminance"),
         QStringLiteral("150")});
    sim({QStringLiteral("plug"), QStringLiteral("m")});
    EXPECT_TRUE(wait_for("display 1: KX271W, interface 1, controlled over USB", 30000))
        << output.constData();

    // The selection reads the monitor again now; a logout must not wait for it.
    QTest::qWait(500);
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
