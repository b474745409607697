#include <QFile>

#include "fuzz/fuzz_support.h"
#include "profiles/display_profile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_support::private_home();
    return 0;
}

// Any bytes as a display profile a user picks. What reads must hold curves that evaluate
// safely and a finite gamma.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz_support::private_home() + QStringLiteral("/picked.icc");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz_support::fail("no file");
        file.write(fuzz_support::bytes_of(data, size));
    }
    ProfileSpec spec;
    if (readDisplayProfile(path, spec) != 0) return 0;
    for (const CSpline* c : {&spec.redCurve, &spec.greenCurve, &spec.blueCurve})
        fuzz_support::check_curve(*c);
    if (!std::isfinite(spec.gamma) && spec.useCurves)
        fuzz_support::fail("a fitted gamma is not finite");
    return 0;
}
