#include "sim/sim_faults.h"

#include <numeric>

namespace sim {

namespace {
const char* const kNames[kSimFaultKinds] = {
    "lost_reply",   "null_replies", "bad_checksum",  "wrong_source", "wrong_length",
    "wrong_opcode", "wrong_echo",   "write_failure", "unplug",       "slow",
};
}

void CSimFaultScript::add(const CSimFaultRule& rule) {
    if (rule.repeat <= 0) return;
    rules_.push_back(rule);
}

int CSimFaultScript::total_fired() const {
    return std::accumulate(fired_.begin(), fired_.end(), 0);
}

bool CSimFaultScript::spoils_reply(CSimFault fault) {
    switch (fault) {
        case CSimFault::null_replies:
        case CSimFault::write_failure:
        case CSimFault::unplug:
            return false;
        default:
            return true;
    }
}

QString CSimFaultScript::name(CSimFault fault) {
    return QString::fromLatin1(kNames[static_cast<int>(fault)]);
}

bool CSimFaultScript::from_name(const QString& name, CSimFault& fault) {
    for (int i = 0; i < kSimFaultKinds; ++i) {
        if (name == QLatin1String(kNames[i])) {
            fault = static_cast<CSimFault>(i);
            return true;
        }
    }
    return false;
}

}  // namespace sim
