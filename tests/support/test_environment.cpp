#include "support/test_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testing_support {

namespace {
QString& sandbox() {
    static QString folder;
    return folder;
}
}  // namespace

void set_sandbox_folder(const QString& folder) {
    sandbox() = folder;
}

QString sandbox_folder() {
    return sandbox();
}

platform::CFakeSleeper& process_sleeper() {
    static platform::CFakeSleeper sleeper;
    return sleeper;
}

QProcessEnvironment child_process_environment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString root = sandbox_folder();
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

QByteArray read_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

bool write_file(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace testing_support
