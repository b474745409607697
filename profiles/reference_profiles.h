#pragma once

#include <QList>

#include "profiles/profile_texts.h"

// File names of the reference profiles in the targets folder.
inline constexpr char kFullGamutProfile[] = "full.icm";
inline constexpr char kAdobeRgbProfile[] = "argb.icm";
inline constexpr char kSrgbProfile[] = "srgb.icm";

// Writes the three reference profiles of the panel into the targets folder, in the order
// "full.icm" (the native primaries), "argb.icm", "srgb.icm", all with the given white.
// `nativeGamut` holds thousandths, red x, red y, green x, green y, blue x and blue y at indices 1
// to 6; a white x of 0 means (0.313, 0.329). 0, or the first failure of writeDisplayProfile
// (the others are still written).
int makeReferenceProfiles(const QList<quint16>& nativeGamut, quint16 whiteX, quint16 whiteY,
                          bool adobeCmm, const ProfileTexts& texts);

// Deletes the three files from the targets folder.
void removeReferenceProfiles(const ProfileTexts& texts);
