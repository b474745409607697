#include "core/preferences.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include "color/error_codes.h"
#include "core/settings_paths.h"

Preferences::Preferences(Access access) : access_(access) {
    set_defaults();
    load();
}

Preferences::~Preferences() {
    if (access_ == Access::read_write) save();
}

void Preferences::set_defaults() {
    version_ = kVersion;
    auto_manage_icc_profiles_ = true;
    profile_storage_location_ = 1;
    lut_viewer_position_ = QPoint(kNoPosition, kNoPosition);
    main_window_position_ = QPoint(kNoPosition, kNoPosition);
    wizard_position_ = QPoint(kNoPosition, kNoPosition);
}

int Preferences::load() {
    int result = 0;
    QString detail;
    const QString path = preferences_file_path();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result = ui_error::kFileOpenFailed;
        detail = file.errorString();
    } else {
        QDataStream in(&file);
        in.setVersion(QDataStream::Qt_4_7);
        qint32 magic = 0, version = 0;
        qint8 auto_manage = 0, location = 0;
        QPoint lut, main, wizard;
        in >> magic;
        if (magic != kMagic) {
            result = ui_error::kFileWrongMagic;
            detail = QString::number(magic);
        } else {
            in >> version;
            if (version != kVersion) {
                result = ui_error::kFileUnsupportedVersion;
                detail = QString::number(version);
            } else {
                in >> auto_manage >> location >> lut >> main >> wizard;
                if (in.status() != QDataStream::Ok) {
                    result = ui_error::kFileReadError;
                } else {
                    auto_manage_icc_profiles_ = auto_manage != 0;
                    profile_storage_location_ = location;
                    lut_viewer_position_ = lut;
                    main_window_position_ = main;
                    wizard_position_ = wizard;
                }
            }
        }
    }
    if (result != 0) set_defaults();
    file_.loaded(path, result, detail);
    return result;
}

int Preferences::save() {
    const QString path = preferences_file_path();
    if (!file_.before_save(path)) return ui_error::kFileOpenFailed;
    // Written to a temporary file and renamed over the old one, so that a crash or a full disk
    // never leaves a truncated file behind.
    QSaveFile file(path);
    int result = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        result = ui_error::kFileOpenFailed;
    } else {
        QDataStream out(&file);
        out.setVersion(QDataStream::Qt_4_7);
        out << qint32(kMagic) << qint32(kVersion) << qint8(auto_manage_icc_profiles_ ? 1 : 0)
            << qint8(profile_storage_location_) << lut_viewer_position_ << main_window_position_
            << wizard_position_;
        if (out.status() != QDataStream::Ok) {
            file.cancelWriting();
            result = ui_error::kFileWriteError;
        } else if (!file.commit()) {
            result = ui_error::kFileWriteError;
        }
    }
    file_.saved(path, result, file.errorString());
    return result;
}
