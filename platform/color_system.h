#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {

// The colour system the program installs its profiles into and associates them with displays.
// Installed profiles live in the user's ICC folder ($XDG_DATA_HOME/icc, where the desktop's
// colour services look for them); which profiles belong to which display is kept in a store of
// the colour system's own beside the user's configuration.

// The folder installed profiles live in; empty when the user has no data folder.
QString color_directory();

// Copies the profile into the colour directory (a profile already there by that name is
// replaced). False when the file cannot be read or copied.
bool install_color_profile(const QString& path);

// Uninstalls an installed profile, given by its file name or by its path in the colour
// directory: its device associations are dropped and, with `delete_file`, the file is deleted.
// False when no such profile is installed or it cannot be deleted.
bool uninstall_color_profile(const QString& profile, bool delete_file);

// Associates an installed profile (by file name) with a device. False for an empty device name
// or a profile that is not installed.
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

// The file names of the installed profiles the query selects, in association order. Only
// associated profiles are listed, so a query needs the device-name field.
QStringList enum_color_profiles(const CColorProfileQuery& query);

}  // namespace platform
