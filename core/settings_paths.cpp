#include "core/settings_paths.h"

#include <QDir>

#include "core/string_table.h"
#include "platform/shell_folders.h"

QString settings_folder() {
    const QString folder = platform::shared_documents_folder() + QLatin1Char('/') + string(11) +
                           QLatin1Char('/') + string(1);
    QDir().mkpath(folder);
    return folder;
}

QString preferences_file_path() {
    return settings_folder() + QLatin1Char('/') + string(12);
}

QString config_file_path() {
    return settings_folder() + QLatin1Char('/') + string(13);
}

QString targets_folder(bool create) {
    const QString folder = settings_folder() + string(9);
    if (QDir(folder).exists()) return folder;
    if (create && QDir().mkpath(folder)) return folder;
    return QString();
}
