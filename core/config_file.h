#pragma once

#include <QString>

class CMultiMonitor;
class CMonitorTracker;

// Reads "config.dat" without changing it: the monitor configuration block into `monitors` (its
// assignments are taken over only when saved for the interfaces known now), then the stored
// monitor records into `tracker`. 0 or the loaders' error code; `detail` receives what the log
// should say about it.
int read_config_file(const QString& path, CMultiMonitor& monitors, CMonitorTracker& tracker,
                     QString& detail);
