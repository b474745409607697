#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "platform/device_notifier.h"

namespace {

using platform::CSimDeviceNotifier;

// Replaces the state file as the simulator tool does (a new file renamed into place).
void save_state(const QString& path, bool plugged, bool ddcci, int luminance = 120) {
    QJsonObject entry{{QStringLiteral("usb_plugged"), plugged},
                      {QStringLiteral("video_ddcci"), ddcci},
                      {QStringLiteral("luminance"), luminance}};
    QJsonObject root{
        {QStringLiteral("format"), 1},
        {QStringLiteral("monitors"), QJsonObject{{QStringLiteral("KX271W/71000123"), entry}}}};
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(root).toJson());
    ASSERT_TRUE(file.commit());
}

// The simulator's stand-in for udev: the tool's plug and unplug in another process reach a
// running program through the state file.
TEST(SimDeviceNotifier, CableChangesInTheStateFileBecomeDeviceEvents) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/state/sim.json");
    // No state file yet: the monitor is as configured, with its USB cable plugged.
    CSimDeviceNotifier notifier(path, {{QStringLiteral("KX271W/71000123"), {true, true}}});
    QSignalSpy usb(&notifier, &platform::CDeviceNotifier::usb_device_changed);
    QSignalSpy displays(&notifier, &platform::CDeviceNotifier::display_changed);

    // The first file the tool writes pulls the cable: that is a removal.
    save_state(path, false, true);
    ASSERT_TRUE(usb.wait(3000));
    EXPECT_FALSE(usb.takeFirst().at(0).toBool());

    save_state(path, true, true);
    ASSERT_TRUE(usb.wait(3000));
    EXPECT_TRUE(usb.takeFirst().at(0).toBool());

    // A save of other settings (the program's own saves) is no device event.
    save_state(path, true, true, 80);
    QTest::qWait(300);
    EXPECT_TRUE(usb.isEmpty());
    EXPECT_TRUE(displays.isEmpty());

    // DDC/CI switched off in the monitor's menu: the display's monitor changed.
    save_state(path, true, false);
    ASSERT_TRUE(displays.wait(3000));
    EXPECT_TRUE(usb.isEmpty());
}

}  // namespace
