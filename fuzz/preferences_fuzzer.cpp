#include <QFile>

#include "core/preferences.h"
#include "core/settings_paths.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_support::private_home();
    return 0;
}

// Any bytes as preferences.dat. What loads must be saved and loaded again unchanged; what does
// not load leaves the defaults.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = preferences_file_path();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz_support::fail("no file");
        file.write(fuzz_support::bytes_of(data, size));
    }
    Preferences p;  // loads on construction
    if (p.load() != 0) return 0;
    if (p.save() != 0) fuzz_support::fail("loaded preferences cannot be saved");
    Preferences q;
    if (q.load() != 0) fuzz_support::fail("saved preferences do not load");
    if (q.auto_manage_icc_profiles() != p.auto_manage_icc_profiles() ||
        q.profile_storage_location() != p.profile_storage_location() ||
        q.lut_viewer_position() != p.lut_viewer_position() ||
        q.main_window_position() != p.main_window_position() ||
        q.wizard_position() != p.wizard_position())
        fuzz_support::fail("preferences change on their way round");
    return 0;
}
