#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/sleeper.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);

    // Each test process keeps its files in a private folder, so parallel tests never meet.
    QTemporaryDir sandbox(QDir::tempPath() + QStringLiteral("/orvale-test-XXXXXX"));
    if (!sandbox.isValid()) return 2;
    const QString root = sandbox.path();
    for (const char* sub : {"data", "config", "runtime", "cache"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_DATA_HOME", qPrintable(root + QStringLiteral("/data")), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(root + QStringLiteral("/config")), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(root + QStringLiteral("/runtime")), 1);
    setenv("XDG_CACHE_HOME", qPrintable(root + QStringLiteral("/cache")), 1);
    // Nor the machine's own profile folders: a test that wants them names them itself.
    QDir(root).mkpath(QStringLiteral("system-data"));
    setenv("XDG_DATA_DIRS", qPrintable(root + QStringLiteral("/system-data")), 1);
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The machine's colour daemon is never asked: a test that wants colord starts its own on a
    // private bus and names it in ORVALE_TEST_SYSTEM_BUS; every other test gets a bus that is
    // not there, so associations go to the fallback store.
    const char* test_bus = getenv("ORVALE_TEST_SYSTEM_BUS");
    const QByteArray no_bus = "unix:path=" + QFile::encodeName(root) + "/no-system-bus";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", test_bus && *test_bus ? test_bus : no_bus.constData(), 1);
    testing_support::set_sandbox_folder(root);

    platform::install_sleeper(&testing_support::process_sleeper());
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    platform::install_sleeper(nullptr);
    return result;
}
