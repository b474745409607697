#pragma once

#include <QList>
#include <QStringLiteral>
#include <memory>

#include "platform/sim_colorimeter.h"
#include "sim/sim_config.h"
#include "ui/verify/verify_dialog.h"

namespace testing_support {

// Gives the verification dialog one instrument, the simulated colorimeter, which reads the
// simulated monitors as `config`'s state file holds them. Undo with set_instrument_list({}).
inline void offer_simulated_colorimeter(const sim::CSimConfig& config) {
    verify_dialog::set_instrument_list([config] {
        return QList<verify_dialog::InstrumentChoice>{
            {QStringLiteral("Simulated colorimeter"), [config](const QByteArray& serial) {
                 return std::make_unique<platform::CSimColorimeter>(config, serial);
             }}};
    });
}

}  // namespace testing_support
