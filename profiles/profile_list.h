#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>

// One installed profile as the profile choosers show it.
struct ProfileEntry {
    QString path;
    // The 'desc' text: its Unicode part when that holds more than the terminator, else its
    // ASCII part; for a version 4 'desc' (multiLocalizedUnicodeType) its English text; empty
    // without a 'desc' of either type.
    QString description;
    std::uint32_t profileClass = 0;   // the header's device class signature
    std::uint32_t profileId[4] = {};  // the header's profile ID, as four big-endian words
    QDateTime created;
};

// Which classes of profile to list: a bit set.
enum ProfileClassFilter : int {
    kPrinterProfiles = 1,     // 'prtr'
    kDisplayProfiles = 2,     // 'mntr'
    kColorSpaceProfiles = 4,  // 'spac'
};

// The readable profiles ("*.icm", "*.icc", any letter case) whose class is in `filter`, from the
// folders colord and the desktop read (platform::profile_search_folders(): the colour
// directory first, then ~/.color/icc and the system folders, each with its subfolders), in
// directory order, each folder's files before its subfolders'. A profile is listed once, where
// it is found first, however many links or copies lead to it. Files that are no profile, and
// folders that cannot be read, are passed over.
QList<ProfileEntry> listProfiles(int filter);
