#pragma once

#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "color/adjust_value.h"

namespace fuzz_support {

// Every settings, profile and colour-system folder goes to a private folder of this process.
inline QString private_home() {
    static const QString home = [] {
        const QString folder =
            QDir::tempPath() +
            QStringLiteral("/orvale-fuzz-%1").arg(static_cast<qint64>(::getpid()));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "HOME"})
            qputenv(name, QFile::encodeName(folder));
        return folder;
    }();
    return home;
}

inline void fail(const char* what) {
    std::fprintf(stderr, "stored-format invariant broken: %s\n", what);
    std::abort();
}

inline QByteArray bytes_of(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A loaded curve, however damaged, evaluates to numbers within reach of its points.
inline void check_curve(const CSpline& curve) {
    for (double x : {-0.5, 0.0, 0.25, 0.5, 0.999, 1.0, 1.5, std::nan("")}) {
        if (std::isnan(curve.evaluate(x))) fail("a curve evaluates to NaN");
        if (std::isnan(curve.evaluateInverse(x))) fail("a curve's inverse evaluates to NaN");
    }
    // The fit runs on every profile a user picks; a loaded curve must not make it crash.
    if (curve.size() <= 4096) (void)curve.fitGamma();
}

inline void check_record(const CAdjustValue& record) {
    for (const CCurveSet& set : record.curveSets)
        for (const CSpline* c : {&set.red, &set.green, &set.blue})
            check_curve(*c);
}

}  // namespace fuzz_support
