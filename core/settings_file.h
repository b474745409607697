#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(settings_log)

// What happened to one settings file: a failed load or save is never shown to the user, but it
// is logged with the file and the reason, and a file that exists but could not be loaded is
// kept beside itself as NAME.damaged (one generation) before the first save over it.
class CSettingsFile {
  public:
    static QString damaged_path(const QString& path) { return path + QStringLiteral(".damaged"); }
    // The reason behind a loader's or saver's result, as the log gives it.
    static QString reason(int result, const QString& detail = QString());

    // Notes the result of loading `path`; `detail` adds what the file or stream said.
    void loaded(const QString& path, int result, const QString& detail = QString());
    // Call before replacing `path`. False when a damaged file there could not be kept aside
    // (the save must then leave it alone).
    bool before_save(const QString& path);
    void saved(const QString& path, int result, const QString& detail = QString());

    bool damaged() const { return !damaged_.isEmpty(); }

  private:
    QString damaged_;  // the file that failed to load, until it has been kept aside
};
