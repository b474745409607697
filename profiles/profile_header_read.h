#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

// What the profile choosers need to know about a file before they offer it: its class and its
// texts, read without building the whole profile.
struct ProfileHeaderInfo {
    std::uint32_t deviceClass = 0;  // 'prtr', 'mntr', 'spac', ...
    std::uint32_t colorSpace = 0;   // 'RGB ', 'CMYK', ...
    QString description;
    QString copyright;
    QDateTime created;  // invalid when the header's date cannot be read
    // Red, green and blue colorants and tone curves and a media white: what reading a
    // display's primaries, white and gamma needs. A profile without them would read as zeros.
    bool hasDisplayColorimetry = false;
};

// Results of readProfileHeader.
constexpr int kHeaderRead = 0;
// Readable, but not quite as its header says: the declared size differs from the file's length,
// or a profile ID is present and does not match the bytes. Many profiles in use are like this;
// they read and transform correctly, so callers accept them.
constexpr int kHeaderReadWithWarnings = -3;
constexpr int kHeaderCannotOpen = -1;
constexpr int kHeaderNotAProfile = -2;  // too short, no 'acsp', or the tag table is unusable

// Reads the header and the texts of the profile at `path` into `out`. kHeaderRead,
// kHeaderReadWithWarnings, kHeaderCannotOpen or kHeaderNotAProfile; `out` is filled only for
// the first two.
int readProfileHeader(const QString& path, ProfileHeaderInfo& out);

// Whether a result of readProfileHeader means the profile can be used.
inline bool profileHeaderUsable(int result) {
    return result == kHeaderRead || result == kHeaderReadWithWarnings;
}
