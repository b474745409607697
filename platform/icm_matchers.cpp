#include "platform/icm_matchers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

bool read_object(QJsonObject& object) {
    QFile file(icm_matchers_file());
    if (!file.open(QIODevice::ReadOnly)) return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return false;
    object = document.object();
    return true;
}

}  // namespace

QString icm_matchers_file() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty()) return QString();
    return config + QStringLiteral("/orvale-color-system/icm-matchers.json");
}

bool read_icm_matchers(QList<CMatcherValue>& values) {
    QJsonObject object;
    if (!read_object(object)) return false;
    values.clear();
    for (auto it = object.begin(); it != object.end(); ++it)
        values.append({it.key(), it.value().toVariant()});
    return true;
}

bool write_icm_matcher(const QString& name, const QVariant& data) {
    const QString path = icm_matchers_file();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QJsonObject object;
    read_object(object);
    object.insert(name, QJsonValue::fromVariant(data));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(object).toJson());
    return file.commit();
}

}  // namespace platform
