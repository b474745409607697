#pragma once

#include <QString>
#include <QStringList>

#include "platform/colord_display.h"
#include "platform/platform_timing.h"

namespace platform {

// A client of colord, the system's colour daemon, on the system bus
// (org.freedesktop.ColorManager). Every call waits at most platform_timing::kColordCallTimeoutMs
// for an answer. Calls return false, or an empty path, when colord refuses or fails; error() then
// holds colord's reason. Object paths are colord's.
class CColordClient {
  public:
    enum class Presence {
        present,  // the daemon answers
        absent,   // no system bus, or no colord on it (not installed, not startable)
        refusing  // it is there but did not answer properly (time-out, access denied ...)
    };

    // Asks the daemon for its version; starts it on a bus that activates it.
    Presence presence();
    QString daemon_version() const { return version_; }

    // The desktop's device for the display: by the EDID's MD5, by every id it may carry, by
    // output name. Empty when colord has none (error() stays empty) or the search failed.
    QString find_device(const CColordDisplay& display);
    // Creates the display's device, as the desktop's colour plugin does, in the "normal" scope
    // (it stays until colord restarts) and the "virtual" mode, so that the desktop's own plugin
    // can still create it later and take it over.
    QString create_device(const CColordDisplay& display);

    // colord's profile for the file: found by its id ("icc-" and the profile ID, or the file's
    // MD5 when the header has none), else registered from the file, passed as a descriptor so
    // that colord need not open the user's folder itself.
    QString profile_for_file(const QString& path);
    // A profile colord has registered for the file; empty when it has none.
    QString find_profile_by_filename(const QString& path);
    bool delete_profile(const QString& profile);

    // Adds the profile to the device as the user's choice ("hard"); a profile it has already
    // counts as added.
    bool add_profile(const QString& device, const QString& profile);
    bool make_profile_default(const QString& device, const QString& profile);
    bool remove_profile(const QString& device, const QString& profile);
    // The device's profiles, the default first; false when the list cannot be read.
    bool device_profiles(const QString& device, QStringList& profiles);

    QString profile_filename(const QString& profile);
    // colord's kind of a profile: "display-device", "output-device", "colorspace-conversion" ...
    QString profile_kind(const QString& profile);

    QString error() const { return error_; }

  private:
    QString version_;
    QString error_;
};

// colord's id for a profile file: "icc-" and the hex of the header's profile ID, or of the
// file's MD5 when the header's ID is zero; empty for a file that cannot be read.
QString colord_profile_id(const QString& path);

}  // namespace platform
