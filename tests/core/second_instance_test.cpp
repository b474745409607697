#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "support/test_environment.h"

namespace {

using testing_support::read_file;
using testing_support::write_file;

// Runs the real program on the offscreen platform with this test's private folders.
QProcessEnvironment program_environment() {
    QProcessEnvironment env = testing_support::child_process_environment();
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orvale.startup.info=true"));
    return env;
}

TEST(SecondInstance, ExitsAtOnceWithoutWindowOrFileWritesAndBringsTheFirstForward) {
    const QString folder =
        testing_support::sandbox_folder() + QStringLiteral("/data/Kestrel/Orvale");
    // Settings files the running instance owns; the second one must leave them as they are.
    const QByteArray prefs(
        "\x00\x00\xFE\xAB\x00\x00\x00\x7B\x00\x01\x00\x00\x00\x0A\x00\x00\x00\x0B"
        "\x00\x00\x00\x0C\x00\x00\x00\x0D\x00\x00\x00\x0E\x00\x00\x00\x0F",
        34);
    const QByteArray config("not a configuration, but the first instance's to replace");
    ASSERT_TRUE(write_file(folder + QStringLiteral("/preferences.dat"), prefs));
    ASSERT_TRUE(write_file(folder + QStringLiteral("/config.dat"), config));

    QProcess first;
    first.setProcessEnvironment(program_environment());
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(QStringLiteral(ORVALE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted(10000));
    QByteArray first_output;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            first.waitForReadyRead(50);
            first_output += first.readAll();
            return first_output.contains("main window shown");
        },
        30000))
        << first_output.constData();

    QProcess second;
    QProcessEnvironment second_env = program_environment();
    // As a Wayland desktop starts a program: the running window needs this token to come up.
    second_env.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("desktop-token-42"));
    second.setProcessEnvironment(second_env);
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QStringLiteral(ORVALE_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(30000));
    const QByteArray second_output = second.readAll();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second_output.contains("another instance is running")) << second_output.constData();
    EXPECT_FALSE(second_output.contains("main window shown")) << second_output.constData();
    EXPECT_EQ(read_file(folder + QStringLiteral("/preferences.dat")), prefs);
    EXPECT_EQ(read_file(folder + QStringLiteral("/config.dat")), config);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first instance is not disturbed";
    // The user sees the running window come forward instead of nothing at all.
    EXPECT_TRUE(second_output.contains("its window was asked to come forward"))
        << second_output.constData();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            first.waitForReadyRead(50);
            first_output += first.readAll();
            return first_output.contains(
                "activation requested by a second start with its activation token");
        },
        10000))
        << first_output.constData();
    // The manual page tells what the user sees.
    const QString manual = QString::fromUtf8(
        read_file(QStringLiteral(ORVALE_SOURCE_DIR "/desktop/orvale.1")).simplified());
    EXPECT_TRUE(manual.contains(QLatin1String("a second start brings the running window forward")))
        << qPrintable(manual);
    EXPECT_FALSE(manual.contains(QLatin1String("only beeps"))) << qPrintable(manual);

    first.kill();
    first.waitForFinished(10000);
}

}  // namespace
