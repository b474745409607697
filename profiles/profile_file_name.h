#pragma once

#include <QString>

// The file name of a picture mode's profile: model name, a space, serial number and " ORV.icm".
// Both come from what the monitor reports, so anything in them that could leave the colour
// directory or break a file name (slashes, backslashes, control characters, a leading dot) is
// replaced by '_'.
QString displayProfileFileName(const QString& modelName, const QString& serialNumber);
