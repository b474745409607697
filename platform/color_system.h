#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {

// The colour system the program installs its profiles into and associates them with displays.
// Installed profiles live in the user's ICC folder ($XDG_DATA_HOME/icc, where the desktop's
// colour services look for them). Which profiles belong to which display is kept by colord, the
// system's colour daemon, when it answers on the system bus (log category orvale.colord), so
// that the desktop and every colour-managed program use them; without colord, in a store of the
// colour system's own beside the user's configuration. A colord that is present but refuses
// makes the association fail; the installed file stays.

// The folder installed profiles live in; empty when the user has no data folder.
QString color_directory();

// The folders installed profiles are found in, as colord and the desktop read them, each once
// and in this order: the colour directory, ~/.color/icc, then color/icc under every folder of
// $XDG_DATA_DIRS (by default /usr/local/share and /usr/share). Their subfolders count too.
QStringList profile_search_folders();

// Copies the profile into the colour directory (a profile already there by that name is
// replaced). False when the file cannot be read or copied.
bool install_color_profile(const QString& path);

// Uninstalls an installed profile, given by its file name or by its path in the colour
// directory: its device associations are dropped and, with `delete_file`, the file is deleted.
// False when no such profile is installed or it cannot be deleted.
bool uninstall_color_profile(const QString& profile, bool delete_file);

// Associates an installed profile (by file name) with a device and, in colord, makes it the
// device's default profile. False for an empty device name, a profile that is not installed,
// or a colord that refuses (the reason is logged).
bool associate_color_profile(const QString& device, const QString& file_name);
// False when the profile was not associated with the device.
bool disassociate_color_profile(const QString& device, const QString& file_name);

// What a per-device profile query asks for; each field counts only when its bit is set.
struct CColorProfileQuery {
    static constexpr std::uint32_t kDeviceName = 0x1;
    static constexpr std::uint32_t kProfileClass = 0x20;
    static constexpr std::uint32_t kDeviceClass = 0x10000;

    std::uint32_t fields = 0;
    QString device_name;
    std::uint32_t profile_class = 0;  // header signature, e.g. 'mntr'
    std::uint32_t device_class = 0;
};

// The file names of the profiles the query selects, in association order (colord's default
// first). Only associated profiles are listed, so a query needs the device-name field.
QStringList enum_color_profiles(const CColorProfileQuery& query);

}  // namespace platform
