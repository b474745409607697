// Writes the seeds of the stored-format fuzzers with the program's own writers:
//   fuzz_seeds <folder>   (fills <folder>/preferences, config, adjust_record and profile)
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "color/curve_builders.h"
#include "comm/multi_monitor.h"
#include "core/monitor_tracker.h"
#include "core/preferences.h"
#include "core/settings_paths.h"
#include "profiles/display_profile.h"

namespace {

bool save(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A record as a calibrated monitor leaves it, small enough for a fuzzer to work on.
CAdjustValue sample_record(int curves, int points) {
    CAdjustValue r;
    CModeSettings item;
    item.values[0] = 1;
    item.values[1] = 3;
    r.modeSettings.append(item);
    r.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("Studio"), 1));
    r.set_has_factory_primaries(true);
    r.set_factory_primary(CAdjustValue::kRed, 640, 330);
    for (int i = 0; i < curves; ++i) {
        CCurveSet set;
        set.key = static_cast<std::int8_t>(8 + i);
        set.red.init(CSpline::kCatmullRom, points, 0.0, 1.0);
        set.red.makeGamma(2.2);
        set.green.init(CSpline::kHermite, points, 0.0, 1.0);
        set.blue.init(CSpline::kBSpline, 2, 0.0, 1.0);
        r.setCurveSet(set);
    }
    r.extra = QByteArrayLiteral("vcp(10 12 14(05 06))");
    return r;
}

QByteArray record_bytes(const CAdjustValue& r) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    r.write(out);
    return bytes;
}

QByteArray config_bytes(int monitors) {
    CMultiMonitor interfaces;
    CMonitorTracker tracker;
    for (int i = 0; i < monitors; ++i) {
        CMonitorEntry e;
        e.modelName = QStringLiteral("KX271W");
        e.serialNumber = QString::number(71000123 + i);
        e.adjust = sample_record(i % 2, 5);
        tracker.store(e);
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    interfaces.write_config(out);
    tracker.write(out);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const char* name : {"preferences", "config", "adjust_record", "profile"})
        QDir().mkpath(out + QLatin1Char('/') + QLatin1String(name));
    bool ok = true;

    {
        Preferences p;
        p.set_defaults();
        p.set_main_window_position(QPoint(120, 80));
        p.set_wizard_position(QPoint(-1, 300));
        p.set_profile_storage_location(0);
        ok = ok && p.save() == 0;
        QFile file(preferences_file_path());
        ok = ok && file.open(QIODevice::ReadOnly) &&
             save(out + QStringLiteral("/preferences/written.dat"), file.readAll());
    }
    ok = ok && save(out + QStringLiteral("/config/empty.dat"), config_bytes(0));
    ok = ok && save(out + QStringLiteral("/config/three_monitors.dat"), config_bytes(3));
    ok = ok && save(out + QStringLiteral("/adjust_record/empty.bin"), record_bytes(CAdjustValue()));
    ok = ok &&
         save(out + QStringLiteral("/adjust_record/curves.bin"), record_bytes(sample_record(2, 6)));

    ProfileSpec spec;
    spec.description = QStringLiteral("KX272W 12345678 ORV Mode 1");
    spec.whiteX = 0.3127;
    spec.whiteY = 0.3290;
    spec.redX = 0.680;
    spec.redY = 0.320;
    spec.greenX = 0.265;
    spec.greenY = 0.690;
    spec.blueX = 0.150;
    spec.blueY = 0.060;
    spec.luminance = 160.0;
    spec.monitorId = 0x2E6F6C12;
    spec.gamma = 2.2;
    spec.path = out + QStringLiteral("/profile/power.icm");
    ok = ok && writeDisplayProfile(spec, QStringLiteral("Copyright")) == 0;
    spec.useCurves = true;
    make_srgb_curve(spec.redCurve);
    make_lstar_curve(spec.greenCurve);
    make_gamma_curve(spec.blueCurve, 2.4);
    spec.path = out + QStringLiteral("/profile/curves.icm");
    ok = ok && writeDisplayProfile(spec, QStringLiteral("Copyright")) == 0;
    if (!ok) std::fprintf(stderr, "fuzz_seeds: a seed could not be written\n");
    return ok ? 0 : 1;
}
