#pragma once

#include <QString>
#include <array>
#include <vector>

namespace sim {

enum class CSimFault {
    lost_reply,     // the request is carried out, its reply never arrives (reads give null)
    null_replies,   // `count` reads answer null messages before the reply
    bad_checksum,   // the reply's checksum byte is wrong
    wrong_source,   // the reply starts with a source byte other than 0x6E / 0x51
    wrong_length,   // the reply's length byte claims one byte more than it carries
    wrong_opcode,   // the reply's opcode is altered (checksum still right)
    wrong_echo,     // the reply echoes another feature code, offset, index or slot
    write_failure,  // the request's I2C write fails; the monitor never sees it
    unplug,         // the link goes away after the request: every later transfer fails
    slow,           // the request takes `count` more polls before its reply
};
constexpr int kSimFaultKinds = 10;

// One scripted fault. A rule bound to an exchange number spoils exchanges number,
// number + 1, ... (`repeat` of them); an unbound rule (exchange -1) spoils the next `repeat`
// exchanges that match. `command` filters by opcode, or by opcode * 256 + sub-command for
// the C0 and C2 families (0xC20B); -1 matches any request. Faults that spoil a reply only
// match exchanges that produce one.
struct CSimFaultRule {
    CSimFault fault = CSimFault::lost_reply;
    int exchange = -1;
    int command = -1;
    int count = 1;
    int repeat = 1;
};

class CSimFaultScript {
  public:
    void add(const CSimFaultRule& rule);
    void clear() { rules_.clear(); }
    int pending() const { return static_cast<int>(rules_.size()); }

    // Takes the rules that fire for this exchange (command: opcode key of the request, -1
    // for a frame the monitor rejected; has_reply: whether the request produced a reply),
    // restricted to the faults `wanted` accepts, and counts them.
    template <typename Pred>
    std::vector<CSimFaultRule> take(int exchange, int command, bool has_reply, Pred wanted);

    int fired(CSimFault fault) const { return fired_[static_cast<std::size_t>(fault)]; }
    int total_fired() const;

    static bool spoils_reply(CSimFault fault);
    static QString name(CSimFault fault);
    static bool from_name(const QString& name, CSimFault& fault);

  private:
    std::vector<CSimFaultRule> rules_;
    std::array<int, kSimFaultKinds> fired_{};
};

template <typename Pred>
std::vector<CSimFaultRule> CSimFaultScript::take(int exchange, int command, bool has_reply,
                                                 Pred wanted) {
    std::vector<CSimFaultRule> out;
    for (auto it = rules_.begin(); it != rules_.end();) {
        CSimFaultRule& r = *it;
        if (r.exchange >= 0 && r.exchange < exchange) {
            it = rules_.erase(it);  // its exchange passed without qualifying
            continue;
        }
        const bool matches = wanted(r.fault) && (r.exchange < 0 || r.exchange == exchange) &&
                             (r.command < 0 || r.command == command) &&
                             (has_reply || !spoils_reply(r.fault));
        if (!matches) {
            ++it;
            continue;
        }
        out.push_back(r);
        ++fired_[static_cast<std::size_t>(r.fault)];
        if (r.exchange >= 0) ++r.exchange;
        if (--r.repeat <= 0) {
            it = rules_.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}

}  // namespace sim
