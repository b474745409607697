#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "color/spline.h"

// What a display profile says: the input of the profile builder and the output of the reader.
// Copies are member-wise (curves by CSpline assignment).
struct ProfileSpec {
    QString path;
    QString description;
    QString copyright;   // empty: the builder writes the default notice it is given
    QDateTime created;   // invalid: the builder writes the current date-time
    double gamma = 0.0;  // the TRCs' power when useCurves is false
    double whiteX = 0.0;
    double whiteY = 0.0;
    double redX = 0.0;
    double redY = 0.0;
    double greenX = 0.0;
    double greenY = 0.0;
    double blueX = 0.0;
    double blueY = 0.0;
    // Manufacturer code in the high 16 bits, product code in the low 16 bits; 0 = none.
    std::uint32_t monitorId = 0;
    CSpline redCurve;
    CSpline greenCurve;
    CSpline blueCurve;
    bool useCurves = false;  // TRCs sampled from the curves instead of a single gamma
    double luminance = 0.0;  // white in cd/m², 0 = unknown
    bool adobeCmm = false;   // the header names the Adobe CMM as the preferred one
    // The display the profile is made for, by its device name ("MONITOR\KST6C11\card0-DP-1");
    // it gives the profile the metadata by which the desktop recognises that display. Empty for
    // profiles of no particular display.
    QString displayDevice;
};
