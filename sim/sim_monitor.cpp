#include "sim/sim_monitor.h"

#include "sim/sim_edid.h"
#include "sim/sim_frame.h"

namespace sim {

namespace {

// Rules are matched against the opcode, or opcode and sub-command for the C0 and C2 families.
int command_key(const QByteArray& payload) {
    if (payload.isEmpty()) return -1;
    const auto op = static_cast<std::uint8_t>(payload[0]);
    if ((op == 0xC0 || op == 0xC2) && payload.size() >= 2) {
        return op * 256 + static_cast<std::uint8_t>(payload[1]);
    }
    return op;
}

bool strikes_transfer(CSimFault f) {
    return f == CSimFault::write_failure || f == CSimFault::unplug;
}

}  // namespace

CSimMonitor::CSimMonitor(const CSimModel& model, const CSimMonitorSetup& setup)
    : model_(&model), setup_(setup), edid_(build_edid(model, setup.serial)) {
    state_ = factory_state(model, setup_);
}

QString CSimMonitor::key() const {
    return model_->name + QLatin1Char('/') + QString::fromLatin1(setup_.serial);
}

void CSimMonitor::reset_to_factory() {
    const bool plugged = state_.usb_plugged;
    const bool ddcci = state_.video_ddcci;
    const int hours = read_feature(code::operating_hours).current;
    CSimMonitorSetup setup = setup_;
    setup.operating_half_hours = hours;  // the hour meter is not a setting
    state_ = factory_state(*model_, setup);
    state_.usb_plugged = plugged;  // nor are the cable and the way it is connected
    state_.video_ddcci = ddcci;
}

QJsonObject CSimMonitor::to_json() const {
    return state_to_json(*model_, state_);
}

bool CSimMonitor::restore(const QJsonObject& object, CSimStateIssues* issues) {
    CSimMonitorState state = factory_state(*model_, setup_);
    if (!state_from_json(*model_, object, state, issues)) return false;
    state_ = std::move(state);
    return true;
}

int CSimMonitor::i2c_write(int address, const std::uint8_t* data, int length) {
    if (length < 0 || (length > 0 && !data)) return kSimBadArguments;
    if (link_lost_) return kSimNoDevice;
    if ((address & 0xFE) == kEdidAddress) {
        if (length >= 1) edid_offset_ = data[0];  // the EDID itself is write-protected
        return length;
    }
    if ((address & 0xFE) != kDdcAddress) return kSimNoAcknowledge;

    const int exchange = counters_.exchanges++;
    QByteArray payload;
    const bool framed = parse_request(data, length, payload);
    const int command = framed ? command_key(payload) : -1;

    bool unplug = false;
    for (const CSimFaultRule& r : faults_.take(exchange, command, true, strikes_transfer)) {
        if (r.fault == CSimFault::write_failure) return kSimNoAcknowledge;
        unplug = true;
    }

    // Any write starts a new exchange: an earlier reply not yet read is dropped.
    pending_ = Reply{};
    null_polls_ = 0;
    reply_faults_.clear();
    Reply reply;
    if (framed) {
        reply = process(payload);
    } else {
        ++counters_.rejected_frames;
    }

    auto spoils = [](CSimFault f) { return !strikes_transfer(f); };
    for (const CSimFaultRule& r : faults_.take(exchange, command, reply.present, spoils)) {
        switch (r.fault) {
            case CSimFault::lost_reply:
                reply = Reply{};
                break;
            case CSimFault::null_replies:
                null_polls_ += r.count;
                break;
            case CSimFault::slow:
                reply.busy_polls += r.count;
                break;
            default:
                reply_faults_.push_back(r.fault);
                break;
        }
    }
    pending_ = reply;
    if (unplug) link_lost_ = true;  // the request went out; the reply never comes back
    return length;
}

int CSimMonitor::i2c_read(int address, std::uint8_t* buffer, int length) {
    if (length < 0 || (length > 0 && !buffer)) return kSimBadArguments;
    if (link_lost_) return kSimNoDevice;
    if ((address | 1) == (kEdidAddress | 1)) {
        ++counters_.edid_reads;
        const int size = static_cast<int>(edid_.size());
        for (int i = 0; i < length; ++i) {
            // A 128-byte EEPROM answers the upper half of the address range with its lower half.
            buffer[i] = static_cast<std::uint8_t>(edid_[(edid_offset_ + i) % 256 % size]);
        }
        edid_offset_ = (edid_offset_ + length) % 256;
        return 0;
    }
    if ((address | 1) != (kDdcAddress | 1)) return kSimNoAcknowledge;
    const QByteArray frame = next_reply_frame();
    for (int i = 0; i < length; ++i) {
        buffer[i] = i < frame.size() ? static_cast<std::uint8_t>(frame[i]) : 0x00;
    }
    return 0;
}

QByteArray CSimMonitor::next_reply_frame() {
    const bool busy = pending_.present && pending_.busy_polls > 0;
    if (null_polls_ > 0 || busy || !pending_.present) {
        if (null_polls_ > 0) {
            --null_polls_;
        } else if (busy) {
            --pending_.busy_polls;
        }
        ++counters_.null_replies;
        return build_reply(QByteArray(), setup_.reply_source);
    }
    QByteArray frame = build_reply(pending_.payload, setup_.reply_source);
    for (CSimFault f : reply_faults_)
        spoil(frame, f);
    pending_ = Reply{};
    reply_faults_.clear();
    ++counters_.replies;
    return frame;
}

void CSimMonitor::spoil(QByteArray& frame, CSimFault fault) const {
    const int n = static_cast<int>(frame.size()) - 3;
    if (n < 1) return;
    auto byte = [&](int i) { return static_cast<std::uint8_t>(frame[i]); };
    switch (fault) {
        case CSimFault::bad_checksum:
            frame[n + 2] = static_cast<char>(byte(n + 2) ^ 0xFF);
            break;
        case CSimFault::wrong_source:
            frame[0] = static_cast<char>(0x6F);
            break;
        case CSimFault::wrong_length:
            frame[1] = static_cast<char>(0x80 | ((n + 1) & 0x7F));
            break;
        case CSimFault::wrong_opcode:
            frame[2] = static_cast<char>(byte(2) ^ 0x01);
            reseal_reply(frame);
            break;
        case CSimFault::wrong_echo: {
            // The echoed field: VCP code, page code, capability offset, LUT index, slot; for
            // replies without one, the sub-command.
            const std::uint8_t op = byte(2);
            int at = 1;
            if (op == 0x02 || op == 0xE3) at = 2;
            if (op == 0xC7) at = 3;
            if (op == 0xC3 && n >= 3 && (byte(3) == 0x25 || byte(3) == 0x27)) at = 2;
            if (at >= n) at = n - 1;
            frame[2 + at] = static_cast<char>(byte(2 + at) + 1);
            reseal_reply(frame);
            break;
        }
        default:
            break;
    }
}

}  // namespace sim
