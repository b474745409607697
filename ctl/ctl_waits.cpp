#include "ctl/ctl_waits.h"

#include "sim/sim_config.h"

namespace ctl {

std::unique_ptr<CCountingSleeper> CCountingSleeper::from_environment(QString& error) {
    const QString mode = qEnvironmentVariable(kVariable);
    if (mode.isEmpty()) return nullptr;
    if (mode == QLatin1String("report"))
        return std::unique_ptr<CCountingSleeper>(new CCountingSleeper(true));
    if (mode == QLatin1String("virtual")) {
        // A real monitor ignores or misreads what comes too soon after a change.
        if (qEnvironmentVariable(sim::CSimConfig::kConfigVariable).isEmpty()) {
            error = QStringLiteral("%1=virtual needs the simulator (ORVALE_SIM_CONFIG)")
                        .arg(QLatin1String(kVariable));
            return nullptr;
        }
        return std::unique_ptr<CCountingSleeper>(new CCountingSleeper(false));
    }
    error = QStringLiteral("%1 must be \"report\" or \"virtual\", not \"%2\"")
                .arg(QLatin1String(kVariable), mode);
    return nullptr;
}

void CCountingSleeper::sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    total_ms_ += milliseconds;
    ++count_;
    if (real_) sleeper_.sleep(milliseconds);
}

void CCountingSleeper::print(QTextStream& err) const {
    err << "orvale-ctl: " << count_ << " protocol waits, " << total_ms_ << " ms"
        << (real_ ? "" : " (virtual)") << '\n';
}

}  // namespace ctl
