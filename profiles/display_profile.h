#pragma once

#include <QString>

#include "profiles/profile_spec.h"

// Results of writing a profile.
constexpr int kProfileMissingPathOrDescription = -1;
constexpr int kProfileCannotReplace =
    -1013;  // the existing profile can be neither uninstalled nor deleted
constexpr int kProfileCannotWrite = -1015;
// Result of reading one.
constexpr int kProfileUnreadable = -3;

// Builds the version 2.1 display profile `spec` describes and saves it at spec.path. The new
// profile is written whole beside the old one first, so a failure leaves the old one in place.
// An empty spec.copyright takes `defaultCopyright` (the program's copyright notice). The header
// carries the profile ID (colord names profiles after it); a profile for a display
// (spec.displayDevice) carries colord's metadata in a 'meta' tag after the others.
// 0, kProfileMissingPathOrDescription, kProfileCannotReplace or kProfileCannotWrite.
int writeDisplayProfile(const ProfileSpec& spec, const QString& defaultCopyright);

// Fills `out` from the display profile at `path`: texts, creation date, primaries and white
// (un-adapted from D50), luminance, and the tone response as a gamma or as curves.
// 0, or kProfileUnreadable when the file cannot be opened or read as a profile.
int readDisplayProfile(const QString& path, ProfileSpec& out);
