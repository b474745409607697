#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include "platform/instance_channel.h"

namespace {

using platform::CInstanceChannel;

// Sends raw bytes to a channel as another program might.
void send_raw(const QString& path, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(path);
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(bytes);
    ASSERT_TRUE(socket.waitForBytesWritten(1000));
    socket.disconnectFromServer();
}

TEST(InstanceChannel, ASecondStartBringsTheRunningInstanceForward) {
    // Nobody listens yet: the second start gives up at once instead of hanging.
    EXPECT_FALSE(CInstanceChannel::ask_running_instance(QStringLiteral("channel-a"), 200));

    CInstanceChannel running(QStringLiteral("channel-a"));
    ASSERT_TRUE(running.listen());
    QSignalSpy requests(&running, &CInstanceChannel::activation_requested);
    EXPECT_TRUE(CInstanceChannel::ask_running_instance(QStringLiteral("channel-a")));
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.count(), 1);

    // Two more starts, two more requests.
    EXPECT_TRUE(CInstanceChannel::ask_running_instance(QStringLiteral("channel-a")));
    EXPECT_TRUE(CInstanceChannel::ask_running_instance(QStringLiteral("channel-a")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return requests.count() == 3; }, 2000));
}

TEST(InstanceChannel, OnlyTheActivationRequestIsObeyed) {
    CInstanceChannel running(QStringLiteral("channel-b"));
    ASSERT_TRUE(running.listen());
    QSignalSpy requests(&running, &CInstanceChannel::activation_requested);
    send_raw(running.socket_path(), "activate");             // no line end: incomplete
    send_raw(running.socket_path(), "shutdown\n");           // not ours
    send_raw(running.socket_path(), QByteArray(4096, 'a'));  // far too long
    send_raw(running.socket_path(), "activate\n");
    ASSERT_TRUE(requests.wait(2000));
    QTest::qWait(100);
    EXPECT_EQ(requests.count(), 1);
}

// On Wayland only the second start's activation token lets the compositor raise the running
// window: it travels with the request when it can be passed on safely, and is dropped otherwise.
TEST(InstanceChannel, TheActivationTokenTravelsWhenItIsOne) {
    CInstanceChannel running(QStringLiteral("channel-d"));
    ASSERT_TRUE(running.listen());
    QSignalSpy requests(&running, &CInstanceChannel::activation_requested);
    const QString name = QStringLiteral("channel-d");
    const QString token = QStringLiteral("weston-7_ab.c:9/Q+=");
    const QString longest(CInstanceChannel::kLongestToken, QLatin1Char('t'));
    const QList<std::pair<QString, QString>> cases = {
        {token, token},
        {longest, longest},
        {QString(), QString()},
        {longest + QLatin1Char('t'), QString()},
        {QStringLiteral("two words"), QString()},
        {QStringLiteral("line\nactivate"), QString()},
        {QStringLiteral("caf\u00e9"), QString()},
    };
    for (const auto& [sent, received] : cases) {
        requests.clear();
        ASSERT_TRUE(CInstanceChannel::ask_running_instance(name, 1000, sent));
        ASSERT_TRUE(requests.wait(2000)) << sent.toStdString();
        ASSERT_EQ(requests.count(), 1);
        EXPECT_EQ(requests.at(0).at(0).toString(), received) << sent.toStdString();
    }
    // Written by hand: a token that is not one still brings the window forward, without it.
    requests.clear();
    send_raw(running.socket_path(), "activate a b\n");
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.at(0).at(0).toString(), QString());
}

TEST(InstanceChannel, ASocketLeftByACrashedInstanceIsReplaced) {
    CInstanceChannel running(QStringLiteral("channel-c"));
    {
        QFile leftover(running.socket_path());
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
        leftover.write("stale");
    }
    ASSERT_TRUE(running.listen());
    QSignalSpy requests(&running, &CInstanceChannel::activation_requested);
    EXPECT_TRUE(CInstanceChannel::ask_running_instance(QStringLiteral("channel-c")));
    EXPECT_TRUE(requests.wait(2000));
    EXPECT_TRUE(QFile::permissions(running.socket_path()) & QFile::ReadOwner);
    EXPECT_FALSE(QFile::permissions(running.socket_path()) & QFile::ReadOther)
        << "only the same user may ask";
}

}  // namespace
