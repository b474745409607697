#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "support/test_environment.h"

namespace {

using testing_support::read_file;

void start_writer(QProcess& writer, int records) {
    writer.setProcessEnvironment(testing_support::child_process_environment());
    writer.setProcessChannelMode(QProcess::MergedChannels);
    writer.start(QStringLiteral(CONFIG_WRITER), {QString::number(records)});
}

// The largest file the process has open in the settings folder, found through its open
// descriptors: the temporary file of a save may have no name at all.
qint64 largest_open_file(qint64 pid, const QString& folder) {
    qint64 largest = -1;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
        const QString link = fds + QLatin1Char('/') + fd;
        if (!QFile::symLinkTarget(link).startsWith(folder)) continue;
        struct stat st {};
        if (::stat(QFile::encodeName(link).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            largest = std::max<qint64>(largest, st.st_size);
        }
    }
    return largest;
}

TEST(ConfigCrash, ASaveKilledHalfWayLeavesTheOldFileWhole) {
    const QString folder = settings_folder();
    QFile::remove(config_file_path());

    // The file the user had: forty monitors.
    {
        QProcess writer;
        start_writer(writer, 40);
        ASSERT_TRUE(writer.waitForFinished(120000));
        ASSERT_EQ(writer.exitCode(), 0) << writer.readAll().constData();
    }
    const QByteArray old = read_file(config_file_path());
    ASSERT_GT(old.size(), 40 * 8192);

    // A much larger save, killed once a good part of the new file has been written.
    constexpr qint64 kWrittenBeforeKill = 1 << 20;
    bool killed_in_the_middle = false;
    QByteArray output;
    for (int records = 2000; records <= 8000 && !killed_in_the_middle; records *= 2) {
        QProcess writer;
        start_writer(writer, records);
        ASSERT_TRUE(writer.waitForStarted(10000));
        output.clear();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                writer.waitForReadyRead(10);
                output += writer.readAll();
                return output.contains("saving") || writer.state() == QProcess::NotRunning;
            },
            120000));
        QElapsedTimer clock;
        clock.start();
        bool seen = false;
        while (!seen && writer.state() == QProcess::Running && clock.elapsed() < 120000) {
            seen = largest_open_file(writer.processId(), folder) >= kWrittenBeforeKill;
        }
        writer.kill();
        writer.waitForFinished(10000);
        output += writer.readAll();
        // A save that finished before the kill proves nothing; try again with more records.
        killed_in_the_middle = seen && !output.contains("saved");
        if (killed_in_the_middle) {
            EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);
        }
    }
    ASSERT_TRUE(killed_in_the_middle) << output.constData();

    const QByteArray after = read_file(config_file_path());
    EXPECT_TRUE(after == old) << "the file has " << after.size() << " bytes, the old one had "
                              << old.size();
    MasterControl master;
    EXPECT_FALSE(master.config_load_failed());
    const CMonitorTracker& tracker = master.monitor_tracker();
    ASSERT_EQ(tracker.count(), 40);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(tracker.entry(i).serialNumber, QString::number(i));
        ASSERT_EQ(tracker.entry(i).adjust.curveSets.size(), 1);
        EXPECT_EQ(tracker.entry(i).adjust.curveSets[0].blue.size(), 256);
    }
    EXPECT_EQ(master.monitor_list().mapping(0), 40 % 10);

    // A named temporary file of the killed save may stay behind; it is not ours to load.
    for (const QString& name : QDir(folder).entryList({QStringLiteral("config.dat.*")}))
        QFile::remove(folder + QLatin1Char('/') + name);
}

}  // namespace
