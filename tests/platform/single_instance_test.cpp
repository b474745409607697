#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "platform/single_instance.h"

namespace {

TEST(SingleInstance, SecondHolderIsRefusedWhileTheFirstLives) {
    platform::CSingleInstanceGuard first(QStringLiteral("guard-test-a"));
    ASSERT_TRUE(first.acquire());
    platform::CSingleInstanceGuard second(QStringLiteral("guard-test-a"));
    EXPECT_FALSE(second.acquire());
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(QFile::exists(first.lock_path()));
}

TEST(SingleInstance, ReleasedGuardCanBeTakenAgain) {
    {
        platform::CSingleInstanceGuard first(QStringLiteral("guard-test-b"));
        ASSERT_TRUE(first.acquire());
    }
    platform::CSingleInstanceGuard again(QStringLiteral("guard-test-b"));
    EXPECT_TRUE(again.acquire());
}

TEST(SingleInstance, LockOfACrashedProcessIsTakenOver) {
    // A process that has ended leaves its id behind in a lock file, as a crash would.
    QProcess gone;
    gone.start(QStringLiteral("/bin/sleep"), {QStringLiteral("0.1")});
    ASSERT_TRUE(gone.waitForStarted(5000));
    const qint64 dead_pid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(5000));

    platform::CSingleInstanceGuard guard(QStringLiteral("guard-test-c"));
    QFile lock(guard.lock_path());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(QByteArray::number(dead_pid) + "\norvale\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    EXPECT_TRUE(guard.acquire());
}

}  // namespace
