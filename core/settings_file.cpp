#include "core/settings_file.h"

#include <QFile>
#include <QFileInfo>

#include "color/error_codes.h"

Q_LOGGING_CATEGORY(settings_log, "orvale.settings", QtWarningMsg)

QString CSettingsFile::reason(int result, const QString& detail) {
    QString text;
    switch (result) {
        case ui_error::kFileOpenFailed:
            text = QStringLiteral("cannot be opened");
            break;
        case ui_error::kFileUnsupportedVersion:
            text = QStringLiteral("unsupported version");
            break;
        case ui_error::kFileWrongMagic:
            text = QStringLiteral("wrong magic number");
            break;
        case ui_error::kFileReadError:
            text = QStringLiteral("read error (cut short or damaged)");
            break;
        case ui_error::kFileWriteError:
            text = QStringLiteral("write error");
            break;
        default:
            text = QStringLiteral("error %1").arg(result);
            break;
    }
    if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
    return text;
}

void CSettingsFile::loaded(const QString& path, int result, const QString& detail) {
    damaged_.clear();
    if (result == 0) return;
    if (result == ui_error::kFileOpenFailed && !QFileInfo::exists(path)) {
        // The first start: nothing to keep.
        qCInfo(settings_log).noquote() << path << "not found; defaults used";
        return;
    }
    damaged_ = path;
    qCWarning(settings_log).noquote()
        << path << "not loaded:" << reason(result, detail)
        << QStringLiteral("(error %1)").arg(result) << "- it is kept as"
        << QFileInfo(damaged_path(path)).fileName() << "at the next save";
}

bool CSettingsFile::before_save(const QString& path) {
    if (damaged_ != path) return true;
    // Only a file is kept aside; a directory in its place makes the save fail, and is logged.
    if (!QFileInfo(path).isFile()) return true;
    const QString aside = damaged_path(path);
    QFile::remove(aside);
    // A copy keeps the file in place until the new one replaces it; one that cannot be read
    // can still be moved.
    if (!QFile::copy(path, aside) && !QFile::rename(path, aside)) {
        qCWarning(settings_log).noquote()
            << path << "not replaced: the damaged file could not be kept as" << aside;
        return false;
    }
    qCWarning(settings_log).noquote() << path << "could not be loaded; kept as" << aside;
    damaged_.clear();
    return true;
}

void CSettingsFile::saved(const QString& path, int result, const QString& detail) {
    if (result == 0) return;
    qCWarning(settings_log).noquote() << path << "not saved:" << reason(result, detail)
                                      << QStringLiteral("(error %1)").arg(result);
}
