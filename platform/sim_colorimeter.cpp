#include "platform/sim_colorimeter.h"

#include <QCoreApplication>

#include "platform/platform_timing.h"
#include "platform/sim_screen.h"
#include "platform/sleeper.h"
#include "sim/sim_panel.h"

namespace platform {

CSimColorimeter::CSimColorimeter(sim::CSimConfig config, QByteArray serial)
    : config_(std::move(config)), serial_(std::move(serial)) {
    bool given = false;
    const uint wanted = qEnvironmentVariable("ORVALE_SIM_COLORIMETER_SEED").toUInt(&given);
    set_seed(given ? wanted : std::random_device{}());
}

void CSimColorimeter::set_seed(std::uint32_t seed) {
    seed_ = seed;
    noise_.seed(seed);
}

QString CSimColorimeter::description() const {
    return QCoreApplication::translate("Instrument", "%1, noise seed %2").arg(name()).arg(seed_);
}

CSimColorimeter::~CSimColorimeter() = default;

QString CSimColorimeter::name() const {
    return QCoreApplication::translate("Instrument", "Simulated colorimeter");
}

int CSimColorimeter::open() {
    clear_error();
    if (cancelled()) return fail(instrument_error::kCancelled, instrument_error_text(-4));
    monitors_ = sim::create_monitors(config_);
    list_.clear();
    monitor_ = nullptr;
    for (auto& m : monitors_) {
        list_.push_back(m.get());
        if (m->serial() == serial_ && m->model().maker_commands) monitor_ = m.get();
    }
    if (!monitor_) {
        return fail(instrument_error::kNone,
                    QCoreApplication::translate("Instrument",
                                                "No simulated monitor has the serial number %1.")
                        .arg(QString::fromLatin1(serial_)));
    }
    store_ = std::make_unique<sim::CSimStateStore>(config_.state_file);
    QString error;
    if (!store_->load(list_, &error)) return fail(instrument_error::kFailed, error);
    open_ = true;
    return 0;
}

int CSimColorimeter::read(CInstrumentSample& sample) {
    clear_error();
    if (!open_)
        return fail(instrument_error::kNone, instrument_error_text(instrument_error::kNone));
    sleep_ms(platform_timing::kSimIntegrationMs);
    if (cancelled())
        return fail(instrument_error::kCancelled,
                    instrument_error_text(instrument_error::kCancelled));
    store_->reload_if_changed(list_);
    const auto shown = CSimScreen::instance().shown(serial_);
    const sim::CSimPanel panel(monitor_->model(), monitor_->state(),
                               sim::panel_flaws(monitor_->serial()));
    const sim::CSimTriple xyz = panel.xyz(shown.value_or(CSimScreen::Signal{0.0, 0.0, 0.0}));
    std::normal_distribution<double> unit(0.0, 1.0);
    const double relative = 1.0 + kNoise * unit(noise_);
    sample.X = std::max(0.0, xyz[0] * relative + kNoiseFloor * unit(noise_));
    sample.Y = std::max(0.0, xyz[1] * relative + kNoiseFloor * unit(noise_));
    sample.Z = std::max(0.0, xyz[2] * relative + kNoiseFloor * unit(noise_));
    return 0;
}

void CSimColorimeter::close() {
    open_ = false;
    store_.reset();
    list_.clear();
    monitors_.clear();
    monitor_ = nullptr;
}

}  // namespace platform
