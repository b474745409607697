#pragma once

#include <QString>

#include "profiles/profile_texts.h"

// Results of installing a profile for a display.
constexpr int kInstallFailed = 255;
constexpr int kAssociateFailed = 254;

// The system colour directory, where the picture modes' profiles go; empty when unknown.
QString colorDirectory();

// The program's targets folder (shared documents / company / application / targets), where the
// reference profiles live. Empty when it does not exist and may not (create false) or cannot be
// created.
QString targetFolder(bool create, const ProfileTexts& texts);

// Installs the profile at `path` and makes it the display's: 0, kInstallFailed or
// kAssociateFailed.
int installAndAssociate(const QString& deviceName, const QString& path);

// Installs the profile at `path` and makes it the display's only display profile: the old
// ones are removed once the new one is installed, right before it is associated, and come back
// when the association fails. 0, kInstallFailed (the old ones untouched) or kAssociateFailed.
int installAndReplaceAssociations(const QString& deviceName, const QString& path);

// Removes every display profile from the display. Always 0.
int disassociateAll(const QString& deviceName);

// `name` receives the file name of the display's first display profile, and stays as it was
// when there is none. Always 0.
int associatedProfile(const QString& deviceName, QString& name);

// Uninstalls the profile at `path` from the colour system, deleting the file.
bool uninstallProfile(const QString& path);

// Whether a colour matching module whose registry name contains "adbe" (any case) is
// registered.
bool isAdobeCmmRegistered();
