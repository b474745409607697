#include "core/monitor_change_notes.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include "core/settings_paths.h"

namespace monitor_change_notes {
namespace {

// Model names and serials are the monitor's own texts: percent-encoded (the separator and dots
// too), no byte of them can leave the folder, collide with another key or hide the note.
QString path(const QString& model, const QString& serial) {
    const QByteArray name =
        QUrl::toPercentEncoding(model, {}, "_.") + '_' + QUrl::toPercentEncoding(serial, {}, "_.");
    return folder() + QLatin1Char('/') + QString::fromLatin1(name);
}

}  // namespace

QString folder() {
    return settings_folder() + QStringLiteral("/changed-monitors");
}

bool note(const QString& model, const QString& serial) {
    if (!QDir().mkpath(folder())) return false;
    QSaveFile file(path(model, serial));
    return file.open(QIODevice::WriteOnly) && file.commit();
}

bool noted(const QString& model, const QString& serial) {
    return QFile::exists(path(model, serial));
}

void clear(const QString& model, const QString& serial) {
    QFile::remove(path(model, serial));
}

}  // namespace monitor_change_notes
