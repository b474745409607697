#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

#include "sim/sim_faults.h"
#include "sim/sim_state.h"

namespace sim {

class CSimMonitor;

// How the monitor's video cable presents itself as an access-library interface.
enum class CSimVideoLink {
    usable,    // an interface that reaches the monitor
    skip,      // listed, but marked to be skipped
    unusable,  // listed, not usable; transfers fail
    none,      // no interface (the graphics driver offers no DDC on this output)
};

struct CSimMonitorConfig {
    QString id;  // name used by the tool and by display entries
    QString model;
    CSimMonitorSetup setup;
    CSimVideoLink video = CSimVideoLink::usable;
    std::vector<CSimFaultRule> faults;
    int memories = 0;  // picture-mode memories; 0: as many as the model has
};

// One display of the simulated desktop.
struct CSimDisplay {
    QString connector;            // "DP-1"
    QString adapter;              // "card0"
    QString adapter_description;  // the graphics adapter's name
    QString description;          // the system's name for the monitor
    int monitor = -1;             // index into CSimConfig::monitors; -1: no simulated monitor
    QRect geometry;
    bool primary = false;
    bool active = true;
    bool attached = true;
    bool mirroring = false;  // a mirroring pseudo-adapter, never a real output
    QByteArray edid;         // the EDID the system holds; empty when it has none
};

// The simulator's own configuration (not the application's): which monitors exist, how they
// are linked, the desktop displays they show on, and where their state is kept.
struct CSimConfig {
    static constexpr const char* kConfigVariable = "ORVALE_SIM_CONFIG";
    static constexpr const char* kStateVariable = "ORVALE_SIM_STATE";
    static constexpr const char* kDefaultSet = "default";

    std::vector<CSimMonitorConfig> monitors;
    std::vector<CSimDisplay> displays;
    QString state_file;

    // The configuration ORVALE_SIM_CONFIG names (a file, or "default"); false when the
    // variable is unset or empty (no simulator), or when the configuration is unusable (then
    // error says why). ORVALE_SIM_STATE, when set, overrides the state file.
    static bool from_environment(CSimConfig& config, QString* error);
    static bool load(const QString& source, CSimConfig& config, QString* error);
    // Relative state-file paths are taken relative to base_folder.
    static bool parse(const QByteArray& json, const QString& base_folder, CSimConfig& config,
                      QString* error);
    static CSimConfig default_set();
    static QString default_state_file();

    // A monitor by id, serial or index ("0"); -1 when none matches.
    int find_monitor(const QString& name) const;
};

std::vector<std::unique_ptr<CSimMonitor>> create_monitors(const CSimConfig& config);

}  // namespace sim
