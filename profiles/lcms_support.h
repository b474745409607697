#pragma once

#include <lcms2.h>

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <memory>

class CIccIO;

// Profiles held by Little CMS, closed when the holder goes.
struct CLcmsProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using LcmsProfile = std::unique_ptr<void, CLcmsProfileCloser>;

// Opens the profile in `io` for reading; Little CMS reads tags through `io` as they are asked
// for, so `io` must stay open while the profile is. Null when `io` holds no profile.
LcmsProfile open_lcms_profile(CIccIO& io);

// The tag as stored (type signature first, links followed); empty when the profile has none.
QByteArray read_raw_tag(cmsHPROFILE profile, std::uint32_t signature);

// The header's creation date-time, field by field; invalid when it cannot be read.
QDateTime header_created(cmsHPROFILE profile);
