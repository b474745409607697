// Saves a configuration with many monitor records through the real controller and says when
// the save starts, so that a test can kill it in the middle of writing.
//   config_writer <records>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "core/master_control.h"

namespace {

// A record as a calibrated monitor leaves it: a programmable curve set of three 256-point
// curves and a copy of a long capability string.
CMonitorEntry sample_entry(int i) {
    CMonitorEntry e;
    e.modelName = QStringLiteral("KX271W");
    e.serialNumber = QString::number(i);
    e.adjust.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("mode %1").arg(i), 1));
    CCurveSet set;
    set.key = 8;
    for (CSpline* curve : {&set.red, &set.green, &set.blue}) {
        curve->init(4, 256, 0.0, 1.0);
        curve->makeGamma(2.2);
    }
    e.adjust.setCurveSet(set);
    e.adjust.extra = QByteArray(8192, 'c');
    return e;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    const int records = std::atoi(argv[1]);
    MasterControl master;
    for (int i = 0; i < records; ++i)
        master.monitor_tracker().store(sample_entry(i));
    master.monitor_list().set_mapping(0, records % 10);

    std::puts("saving");
    std::fflush(stdout);
    const int result = master.save_config();
    std::printf("saved %d\n", result);
    std::fflush(stdout);
    // The controller's own teardown would save once more; one save is what is being tested.
    std::_Exit(result == 0 ? 0 : 1);
}
