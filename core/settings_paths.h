#pragma once

#include <QString>

// The settings folder ("<shared documents>/Kestrel/Orvale"), created with its parents when a
// settings file's path is asked for.
QString settings_folder();
QString preferences_file_path();
QString config_file_path();
// The targets folder inside the settings folder; empty when it is missing and either creation
// was not asked for or failed.
QString targets_folder(bool create);
