#pragma once

#include <QByteArray>
#include <memory>
#include <random>
#include <vector>

#include "platform/instrument.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "sim/sim_store.h"

namespace platform {

// A colorimeter placed on a simulated monitor's screen: it reads the colour the monitor's panel
// makes of what the program shows there (CSimScreen), from the monitor's state as the shared
// state file holds it now, with a small measurement noise. Each reading takes the
// instrument's integration time through the platform sleeper.
//
// The noise is seeded anew for every instrument (every run), as a real instrument never reads
// the same twice; the seed is told (seed(), description()) and can be set for a run that must
// repeat exactly: set_seed(), or the stand-in's own ORVALE_SIM_COLORIMETER_SEED.
class CSimColorimeter final : public CInstrument {
  public:
    // Relative noise of a reading (one standard deviation) and its floor in cd/m².
    static constexpr double kNoise = 0.0015;
    static constexpr double kNoiseFloor = 0.002;

    CSimColorimeter(sim::CSimConfig config, QByteArray serial);
    ~CSimColorimeter() override;

    QString name() const override;
    // The name with the noise seed, for a report.
    QString description() const override;
    std::uint32_t seed() const { return seed_; }
    void set_seed(std::uint32_t seed);
    int open() override;
    int read(CInstrumentSample& sample) override;
    void close() override;

  private:
    sim::CSimConfig config_;
    QByteArray serial_;
    std::vector<std::unique_ptr<sim::CSimMonitor>> monitors_;
    std::vector<sim::CSimMonitor*> list_;
    std::unique_ptr<sim::CSimStateStore> store_;
    sim::CSimMonitor* monitor_ = nullptr;
    std::mt19937 noise_;
    std::uint32_t seed_ = 0;
    bool open_ = false;
};

}  // namespace platform
