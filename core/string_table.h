#pragma once

#include <QString>

// The program's numbered texts and fixed names, translated; unknown ids give the translation
// of "Missing message text".
QString string(int id);

// The unit of luminance wherever a brightness or black level is shown: "cd/m²".
constexpr int kLuminanceUnitString = 817;
