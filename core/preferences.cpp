#include "core/preferences.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include "core/file_errors.h"
#include "core/settings_paths.h"

Preferences::Preferences() {
    set_defaults();
    load();
}

Preferences::~Preferences() {
    save();
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
    QFile file(preferences_file_path());
    if (!file.open(QIODevice::ReadOnly)) {
        result = kFileOpenFailed;
    } else {
        QDataStream in(&file);
        in.setVersion(QDataStream::Qt_4_7);
        qint32 magic = 0, version = 0;
        qint8 auto_manage = 0, location = 0;
        QPoint lut, main, wizard;
        in >> magic;
        if (magic != kMagic) {
            result = kFileWrongMagic;
        } else {
            in >> version;
            if (version != kVersion) {
                result = kFileUnsupportedVersion;
            } else {
                in >> auto_manage >> location >> lut >> main >> wizard;
                if (in.status() != QDataStream::Ok) {
                    result = kFileReadError;
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
    return result;
}

int Preferences::save() const {
    // Written to a temporary file and renamed over the old one, so that a crash or a full disk
    // never leaves a truncated file behind.
    QSaveFile file(preferences_file_path());
    if (!file.open(QIODevice::WriteOnly)) return kFileOpenFailed;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_4_7);
    out << qint32(kMagic) << qint32(kVersion) << qint8(auto_manage_icc_profiles_ ? 1 : 0)
        << qint8(profile_storage_location_) << lut_viewer_position_ << main_window_position_
        << wizard_position_;
    if (out.status() != QDataStream::Ok) {
        file.cancelWriting();
        return kFileWriteError;
    }
    return file.commit() ? 0 : kFileWriteError;
}
