#pragma once
// The kernel stand-in for i2c-dev as the tests use it: a fresh layout per test, the unmodified
// programs run through it, the record of transfers and the simulator's overlap counts.
#include <gtest/gtest.h>

#include <map>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "ctl_runner.h"
#include "standin_bus.h"
#include "standin_layout.h"

namespace standin_testing {

using ctl_testing::Machine;
using ctl_testing::Result;

struct StandIn : ::testing::Test {
    Machine machine;
    QString root;
    QProcessEnvironment env;

    void SetUp() override {
        machine.sim({"reset", "all"});
        root = machine.folder() + QStringLiteral("/standin");
        QString error;
        ASSERT_TRUE(standin::lay_out(root, error)) << error.toStdString();
        env = machine.env;
        // A private mount namespace needs root (CI has it); elsewhere the stand-in cannot run.
        QProcess probe;
        probe.start(QStringLiteral(ORVALE_I2C_STANDIN_TOOL),
                    {QStringLiteral("run"), root, QStringLiteral("true")});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0) {
            const QString why = QString::fromLocal8Bit(probe.readAllStandardError());
            if (!qEnvironmentVariableIsEmpty("CI"))
                FAIL() << "the stand-in must run in CI: " << why.toStdString();
            GTEST_SKIP() << why.toStdString();
        }
        // The program runs as installed: no simulator of its own, no virtual waits.
        env.remove(QStringLiteral("ORVALE_SIM_CONFIG"));
        env.remove(QStringLiteral("ORVALE_CTL_WAITS"));
    }

    QProcess* start(const QStringList& args) {
        auto* process = new QProcess;
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(ORVALE_I2C_STANDIN_TOOL),
                       QStringList{QStringLiteral("run"), root, QStringLiteral(ORVALE_CTL)} + args);
        return process;
    }
    Result finish(QProcess* process) {
        Result run;
        if (!process->waitForFinished(60000)) {
            ADD_FAILURE() << "orvale-ctl did not finish";
            process->kill();
            process->waitForFinished();
        }
        run.exit_code = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
        run.out = QString::fromUtf8(process->readAllStandardOutput());
        run.err = QString::fromUtf8(process->readAllStandardError());
        delete process;
        return run;
    }
    Result ctl(const QStringList& args) { return finish(start(args)); }

    void set(const QString& bus, const QStringList& words) {
        standin::BusSettings s;
        ASSERT_TRUE(standin::read_settings(root, bus, s));
        QString error;
        ASSERT_TRUE(standin::apply_words(s, words, error)) << error.toStdString();
        ASSERT_TRUE(standin::write_settings(root, s));
        standin::sync_node(root, s);
    }

    // The stand-in's record of every transfer: "pid bus op address length result".
    QStringList transfers(const QString& bus = QString()) const {
        QFile file(root + QStringLiteral("/transfers.log"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList lines;
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            if (bus.isEmpty() || line.section(' ', 1, 1) == bus) lines << line.section(' ', 1);
        }
        return lines;
    }
    void clear_transfers() { QFile::remove(root + QStringLiteral("/transfers.log")); }

    // The main window through the stand-in, on screens named after the outputs (as X11 and
    // Wayland name them, or no display counts as active); its output merged into stdout.
    // `platform` empty: offscreen, on screens named after the outputs.
    QProcess* start_program(const QStringList& log_rules, const QProcessEnvironment& base,
                            const QString& platform = QString()) {
        const QString screens = machine.folder() + "/screens.json";
        QFile file(screens);
        if (!file.exists() && file.open(QIODevice::WriteOnly)) {
            file.write(R"({"screens": [
                {"name": "DP-1", "x": 0, "y": 0, "width": 2560, "height": 1440},
                {"name": "DP-2", "x": 2560, "y": 0, "width": 2560, "height": 1600},
                {"name": "DVI-D-1", "x": 5120, "y": 0, "width": 1920, "height": 1200},
                {"name": "HDMI-A-1", "x": 7040, "y": 0, "width": 1920, "height": 1200}]})");
            file.close();
        }
        QProcessEnvironment program_env = base;
        program_env.insert("QT_QPA_PLATFORM",
                           platform.isEmpty() ? "offscreen:configfile=" + screens : platform);
        program_env.insert("QT_LOGGING_RULES", log_rules.join(';'));
        auto* program = new QProcess;
        program->setProcessEnvironment(program_env);
        program->setProcessChannelMode(QProcess::MergedChannels);
        program->start(QStringLiteral(ORVALE_I2C_STANDIN_TOOL),
                       {QStringLiteral("run"), root, QStringLiteral(ORVALE_BINARY)});
        return program;
    }
    // Reads the program's output until `line` appears (true) or `ms` pass.
    static bool wait_for_output(QProcess& program, QByteArray& output, const QByteArray& line,
                                int ms) {
        return QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(50);
                output += program.readAll();
                return output.contains(line);
            },
            ms);
    }
    // Ends the program as a logout would; it must leave cleanly.
    static void stop_program(QProcess& program, QByteArray& output) {
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(30000));
        output += program.readAll();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << output.constData();
        EXPECT_EQ(program.exitCode(), 0) << output.constData();
    }
    void expect_smbus_untouched() const {
        for (const QString& line : transfers("i2c-0")) {
            EXPECT_FALSE(line.contains(" write ") || line.contains(" read "))
                << "the SMBus adapter saw a transfer: " << line.toStdString();
        }
    }

    // Overlapping conversations the simulator counted, per monitor, as `orvale-sim show` gives
    // them. The count lives in the shared state file, so every process's conversations are in
    // it; a monitor whose show lacks the line fails rather than counting as none.
    std::map<QString, int> overlaps() const {
        std::map<QString, int> counts;
        const QRegularExpression entry(QStringLiteral("^(\\d+)  (\\S+)  "),
                                       QRegularExpression::MultilineOption);
        const QRegularExpression count(QStringLiteral("^overlapping conversations: (\\d+)$"),
                                       QRegularExpression::MultilineOption);
        for (auto it = entry.globalMatch(machine.sim({"list"}).out); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString shown = machine.sim({"show", m.captured(1)}).out;
            const QRegularExpressionMatch c = count.match(shown);
            EXPECT_TRUE(c.hasMatch()) << shown.toStdString();
            counts[m.captured(2)] = c.hasMatch() ? c.captured(1).toInt() : -1;
        }
        EXPECT_FALSE(counts.empty()) << "orvale-sim list named no monitor";
        return counts;
    }
    void expect_no_overlaps() const {
        for (const auto& [monitor, n] : overlaps())
            EXPECT_EQ(n, 0) << monitor.toStdString() << ": two conversations at once";
    }

    // The display number `list` gives the monitor named `name`.
    int display(const QString& name) {
        const QProcessEnvironment timed = env;
        env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
        const Result run = ctl({"--json", "list"});
        env = timed;
        for (const QJsonValue& d : run.json().value("displays").toArray()) {
            if (d.toObject().value("name").toString() == name)
                return d.toObject().value("number").toInt();
        }
        ADD_FAILURE() << name.toStdString() << " not listed:\n" << run.out.toStdString();
        return 0;
    }
};

inline QJsonObject listed(const Result& run, const QString& name) {
    for (const QJsonValue& d : run.json().value("displays").toArray()) {
        if (d.toObject().value("name").toString() == name) return d.toObject();
    }
    return {};
}

}  // namespace standin_testing
