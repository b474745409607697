// The unmodified orvale-ctl through the kernel stand-in: /dev/i2c-N and /sys as a machine with
// the simulated monitors on its video cables shows them, the i2c-dev calls answered with the
// kernel's semantics and error codes. Real waits: the stand-in's monitors answer at once, but
// the program cannot know it is not on a real machine.
#include <memory>

#include <QElapsedTimer>
#include <QSet>
#include <QThread>

#include "standin_fixture.h"

using standin_testing::listed;
using standin_testing::Result;
using StandIn = standin_testing::StandIn;

// Only the display buses carry monitors, one interface per output, and neither the memory
// controller's SMBus nor a DisplayPort AUX channel of an output already reached is written to.
TEST_F(StandIn, ListFindsTheMonitorsOnTheDisplayBusesWithoutTouchingOtherBuses) {
    env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
    const Result run = ctl({"--json", "list"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    const QJsonArray displays = run.json().value("displays").toArray();
    ASSERT_EQ(displays.size(), 4) << run.out.toStdString();
    QSet<int> interfaces;
    for (const QJsonValue& d : displays) {
        const QJsonObject o = d.toObject();
        EXPECT_EQ(o.value("link").toString(), "video") << o.value("name").toString().toStdString();
        interfaces.insert(o.value("interface").toInt(-1));
    }
    EXPECT_EQ(interfaces, (QSet<int>{0, 1, 2, 3})) << "one interface per output, none twice";
    EXPECT_TRUE(listed(run, "KX271W").value("controllable").toBool());
    EXPECT_TRUE(listed(run, "KX241W").value("controllable").toBool());
    EXPECT_FALSE(listed(run, "KX302W").value("controllable").toBool()) << "DDC/CI off in its menu";
    EXPECT_TRUE(listed(run, "KX302W").value("text").toString().endsWith("(No Communications)"));

    for (const QString& line : transfers("i2c-0")) {
        EXPECT_FALSE(line.contains(" write ") || line.contains(" read "))
            << "the SMBus adapter saw a transfer: " << line.toStdString();
    }
    EXPECT_TRUE(transfers("i2c-5").isEmpty()) << "the AUX channel of DP-1 is not probed again";
    EXPECT_TRUE(transfers("i2c-6").isEmpty()) << "nor that of DP-2";
    for (const QString& line : transfers()) {
        EXPECT_FALSE(line.contains(" 0x50 "))
            << "the kernel's edid files serve: " << line.toStdString();
    }
    EXPECT_EQ(transfers().filter(" 0x37 ").filter("i2c-3 ").size(), 0)
        << "an unsupported model is not asked over DDC/CI";
}

// Features, modes and a 3D LUT reach the same monitors orvale-sim shows.
TEST_F(StandIn, WritesThroughTheKernelAreWhatTheSimulatorShows) {
    env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
    const int kx271 = display("KX271W");
    ASSERT_GT(kx271, 0);
    const int before = machine.shown("kx271w", "0x0010");
    const int target = before == 37 ? 38 : 37;
    Result run = ctl({"set", QString::number(kx271), "0x10", QString::number(target)});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_EQ(machine.shown("kx271w", "0x0010"), target);
    run = ctl({"--json", "get", QString::number(kx271), "0x10"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_EQ(run.json().value("features").toArray()[0].toObject().value("value").toInt(), target);

    run = ctl({"--json", "mode", QString::number(kx271)});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    run = ctl({"mode", QString::number(kx271), "2"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_TRUE(machine.show("kx271w").contains(QRegularExpression("memory 2 \\(active\\)")))
        << machine.show("kx271w").toStdString();

    // A 3D LUT: identity but for one corner, so that the upload is told from the factory slot.
    const QString cube = machine.folder() + "/corner.cube";
    {
        QFile file(cube);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray text = "LUT_3D_SIZE 2\n";
        for (int b = 0; b < 2; ++b)
            for (int g = 0; g < 2; ++g)
                for (int r = 0; r < 2; ++r)
                    text += QByteArray::number(r ? 1.0 : (g || b ? 0.0 : 0.25)) + ' ' +
                            QByteArray::number(g) + ' ' + QByteArray::number(b) + '\n';
        file.write(text);
    }
    run = ctl({"lut", QString::number(kx271), "1", cube});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString() << run.out.toStdString();
    run = ctl({"lut", QString::number(kx271), "1", "--dump"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("LUT_3D_SIZE")) << run.out.toStdString();
    EXPECT_FALSE(run.out.split('\n').filter(QRegularExpression("^0\\.2[45]")).isEmpty())
        << "the dumped slot holds the uploaded corner:\n"
        << run.out.toStdString();
}

// A kernel DDC/CI driver bound at 0x37 refuses I2C_SLAVE with EBUSY, never I2C_RDWR; a combined
// transfer the driver refuses now and then must not send the bus to plain I/O for good.
TEST_F(StandIn, ABoundDriverAndAnOccasionallyRefusedCombinedTransferStillReachTheMonitor) {
    env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
    const int kx271 = display("KX271W");
    set("i2c-1", {"driver_bound=1", "fail_every=3", "fail_errno=EINVAL"});
    clear_transfers();
    for (int value : {41, 43}) {
        const Result run = ctl({"set", QString::number(kx271), "0x10", QString::number(value)});
        ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
        EXPECT_EQ(machine.shown("kx271w", "0x0010"), value);
    }
    const QStringList log = transfers("i2c-1");
    EXPECT_FALSE(log.filter(" slave 0x37 ").isEmpty()) << "the fallback was tried";
    EXPECT_TRUE(log.filter("slave-force 0x37").isEmpty()) << "never beside the kernel's driver";
}

// A bus that goes away: no hang, no full back-off, the plain reason, exit 1; back after the
// next scan.
TEST_F(StandIn, ARemovedBusFailsAtOnceAndTheMonitorReturnsWithIt) {
    const int kx241 = display("KX241W");
    set("i2c-2", {"remove_after=1"});
    QElapsedTimer clock;
    clock.start();
    Result run = ctl({"get", QString::number(kx241), "0x10"});
    EXPECT_EQ(run.exit_code, 1) << run.err.toStdString();
    EXPECT_LT(clock.elapsed(), 2500) << "ENODEV is not retried with the full back-off";
    EXPECT_TRUE(run.err.contains("bus is gone")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Unknown Error")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(root + "/dev/i2c-2"));

    run = ctl({"get", QString::number(kx241), "0x10"});
    EXPECT_EQ(run.exit_code, 1) << "a vanished bus is the machine's failure, not bad input\n"
                                << run.err.toStdString();

    set("i2c-2", {"removed=0", "remove_after=0"});
    run = ctl({"--json", "list"});
    EXPECT_TRUE(listed(run, "KX241W").value("controllable").toBool()) << run.out.toStdString();
}

// Silence and time-outs are communication errors with a reason, never "Unknown Error".
TEST_F(StandIn, SilenceAndTimeOutsSayWhatHappened) {
    env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
    const int kx302 = display("KX302W");
    Result run = ctl({"get", QString::number(kx302), "0x10"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_FALSE(run.err.contains("Unknown Error")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("did not answer")) << run.err.toStdString();

    const int kx241 = display("KX241W");
    set("i2c-2", {"slow_ms=300", "timeout_ms=100"});
    run = ctl({"get", QString::number(kx241), "0x10"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_FALSE(run.err.contains("Unknown Error")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("timed out")) << run.err.toStdString();
    EXPECT_FALSE(transfers("i2c-2").filter("Connection timed out").isEmpty());

    // Lost arbitration now and then is retried and goes unnoticed.
    set("i2c-2", {"slow_ms=0", "timeout_ms=0", "fail_every=4", "fail_errno=EAGAIN"});
    run = ctl({"get", QString::number(kx241), "0x10", "0x12"});
    EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_FALSE(transfers("i2c-2").filter("Resource temporarily unavailable").isEmpty());
}

// A second process started while the first retries against a silent monitor still finds every
// monitor: the first lets go of the bus between attempts, the second waits long enough.
TEST_F(StandIn, ASecondProcessDuringAnotherOnesRetriesLosesNoMonitor) {
    const int kx302 = display("KX302W");
    // Without its AUX channel the KX302W has one bus, the one the first process holds; every
    // transfer on it runs into the adapter's time-out, so the first holds it for seconds.
    set("i2c-6", {"removed=1"});
    set("i2c-4", {"slow_ms=1000", "timeout_ms=400"});
    QProcess* first = start({"get", QString::number(kx302), "0x10"});
    QThread::msleep(300);
    const Result second = ctl({"--json", "list"});
    const Result done = finish(first);
    EXPECT_EQ(done.exit_code, 1);
    ASSERT_EQ(second.exit_code, 0) << second.err.toStdString();
    const QJsonObject kx = listed(second, "KX302W");
    EXPECT_GE(kx.value("interface").toInt(-1), 0) << second.out.toStdString();
    EXPECT_NE(kx.value("reason").toString(), "no DDC/CI interface reaches this display");
    EXPECT_TRUE(listed(second, "KX271W").value("controllable").toBool())
        << second.out.toStdString();
    expect_no_overlaps();
}

// The program itself on the same machine: it finds the monitors on their outputs, leaves the
// SMBus alone, and orvale-ctl works beside it (each conversation under the bus's lock).
TEST_F(StandIn, TheProgramFindsTheSameMonitorsAndSharesThemWithOrvaleCtl) {
    std::unique_ptr<QProcess> program(
        start_program({"orvale.startup.info=true", "orvale.detection.info=true"}, env));
    ASSERT_TRUE(program->waitForStarted(10000));
    QByteArray output;
    ASSERT_TRUE(wait_for_output(*program, output, "main window shown", 60000))
        << output.constData();
    for (const char* line :
         {"KX271W, interface 0, controlled over the video cable",
          "KX241W, interface 1, controlled over the video cable",
          "Generic 24, interface 2, unsupported model", "KX302W, interface 3, no communications"}) {
        EXPECT_TRUE(output.contains(line)) << line << "\n" << output.constData();
    }

    const int kx271 = display("KX271W");
    const int target = machine.shown("kx271w", "0x0010") == 55 ? 56 : 55;
    const Result run = ctl({"set", QString::number(kx271), "0x10", QString::number(target)});
    EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
    EXPECT_EQ(machine.shown("kx271w", "0x0010"), target);

    stop_program(*program, output);
    expect_smbus_untouched();
    EXPECT_TRUE(transfers("i2c-5").isEmpty()) << "the AUX channels are not asked";
    EXPECT_TRUE(transfers("i2c-6").isEmpty());
    expect_no_overlaps();
}
