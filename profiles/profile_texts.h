#pragma once

#include <QString>

// The program's own texts that profile code writes or builds paths from. They live in the
// string table, which this library cannot reach; callers fill this from it.
struct ProfileTexts {
    QString copyright;          // the default copyright notice of written profiles
    QString companyName;        // first folder below the shared documents folder
    QString applicationName;    // second folder
    QString targetsFolderName;  // the targets folder's own name, with its slashes ("/Targets/")
};
