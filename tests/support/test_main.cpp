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
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing_support::set_sandbox_folder(root);

    platform::install_sleeper(&testing_support::process_sleeper());
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    platform::install_sleeper(nullptr);
    return result;
}
