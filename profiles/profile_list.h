#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>

// One installed profile as the profile choosers show it.
struct ProfileEntry {
    QString path;
    // The 'desc' text: its Unicode part when that holds more than the terminator, else its
    // ASCII part; empty without a textDescriptionType 'desc'.
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

// The readable profiles ("*.icm", "*.icc") of the colour directory whose class is in `filter`,
// in directory order. Files that are no profile are passed over.
QList<ProfileEntry> listProfiles(int filter);
