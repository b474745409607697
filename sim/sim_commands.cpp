// The monitor's side of every DDC/CI command: request payload in, reply payload out. A
// request that is malformed, out of range or unknown is ignored (the host then reads a null
// message), as the maker's firmware does.
#include "sim/sim_monitor.h"

namespace sim {

namespace {

constexpr int kMaxMemoryBlock = 32;
constexpr int kMaxWords = 16;
constexpr int kMaxLutPoints = 8;
constexpr int kCapabilityFragment = 32;

std::uint8_t at(const QByteArray& p, int i) {
    return static_cast<std::uint8_t>(p[i]);
}
int word_at(const QByteArray& p, int i) {
    return at(p, i) << 8 | at(p, i + 1);
}

void append_word(QByteArray& out, int v) {
    out.append(static_cast<char>((v >> 8) & 0xFF));
    out.append(static_cast<char>(v & 0xFF));
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v & 0xFF));
    return out;
}

// Characters the on-screen display can show in a slot name.
bool name_character(std::uint8_t c) {
    return c == ' ' || (c >= 0x2B && c <= 0x3A) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

CSimMonitor::Reply CSimMonitor::process(const QByteArray& p) {
    Reply ignored;
    switch (at(p, 0)) {
        case 0x01:
            return get_vcp(p);
        case 0x03:
            return set_vcp(p);
        case 0x0C:
            if (p.size() != 1) break;
            ++counters_.saves;
            if (on_save_) on_save_();
            return ignored;
        case 0xF3:
            return capabilities(p);
        default:
            break;
    }
    if (model_->maker_commands) {
        switch (at(p, 0)) {
            case 0xC6:
                return get_paged(p);
            case 0xC8:
                return set_paged(p);
            case 0xC0:
                return memory_command(p);
            case 0xC2:
                return table_command(p);
            default:
                break;
        }
    }
    ++counters_.ignored_requests;
    return ignored;
}

CSimMonitor::Reply CSimMonitor::get_vcp(const QByteArray& p) {
    if (p.size() != 2) {
        ++counters_.ignored_requests;
        return {};
    }
    const int code = at(p, 1);
    const CSimReading r = read_feature(code);
    Reply reply{true, bytes({0x02, r.result, code, r.type}), 0};
    append_word(reply.payload, r.maximum);
    append_word(reply.payload, r.current);
    return reply;
}

CSimMonitor::Reply CSimMonitor::set_vcp(const QByteArray& p) {
    if (p.size() != 4 || !model_->feature(at(p, 1))) {
        ++counters_.ignored_requests;
        return {};
    }
    write_feature(at(p, 1), word_at(p, 2));
    return {};
}

CSimMonitor::Reply CSimMonitor::capabilities(const QByteArray& p) {
    if (p.size() != 3) {
        ++counters_.ignored_requests;
        return {};
    }
    const int offset = word_at(p, 1);
    const QByteArray& caps = model_->capabilities;
    Reply reply{true, bytes({0xE3, offset >> 8, offset}), 0};
    // At and past the end the fragment is empty, which ends the host's read.
    if (offset < caps.size()) reply.payload += caps.mid(offset, kCapabilityFragment);
    return reply;
}

CSimMonitor::Reply CSimMonitor::get_paged(const QByteArray& p) {
    if (p.size() != 3) {
        ++counters_.ignored_requests;
        return {};
    }
    const CSimReading r = read_feature(at(p, 1) << 8 | at(p, 2));
    Reply reply{true, bytes({0xC7, r.result, at(p, 1), at(p, 2), r.type}), 0};
    append_word(reply.payload, r.maximum);
    append_word(reply.payload, r.current);
    return reply;
}

CSimMonitor::Reply CSimMonitor::set_paged(const QByteArray& p) {
    if (p.size() != 5) {
        ++counters_.ignored_requests;
        return {};
    }
    const int code = at(p, 1) << 8 | at(p, 2);
    const CSimReading r = write_feature(code, word_at(p, 3));
    Reply reply{true, bytes({0xC7, r.result, at(p, 1), at(p, 2), r.type}), 0};
    append_word(reply.payload, r.maximum);
    append_word(reply.payload, r.current);
    const CSimFeature* f = model_->feature(code);
    // The firmware answers only once it has carried out a slow change; until then every
    // poll gets a null message.
    if (f && f->has(feature_flag::slow)) reply.busy_polls = model_->busy_polls;
    return reply;
}

CSimMonitor::Reply CSimMonitor::memory_command(const QByteArray& p) {
    if (p.size() >= 5) {
        const int count = at(p, 2);
        const int address = word_at(p, 3);
        const bool in_range =
            count >= 1 && count <= kMaxMemoryBlock && address + count <= address::memory_size;
        if (at(p, 1) == 0x09 && p.size() == 5 && in_range) {
            return {true, bytes({0xC1, 0x09}) + state_.memory.mid(address, count), 0};
        }
        const bool protected_area =
            address <= address::factory_area_last && address + count > address::factory_area_first;
        if (at(p, 1) == 0x02 && p.size() == 5 + count && in_range && !protected_area) {
            state_.memory.replace(address, count, p.mid(5, count));
            return {};
        }
    }
    ++counters_.ignored_requests;
    return {};
}

CSimMonitor::Reply CSimMonitor::table_command(const QByteArray& p) {
    if (p.size() >= 2) {
        switch (at(p, 1)) {
            case 0x0A:
                return read_words(p);
            case 0x0B:
                return write_words(p);
            case 0x24:
                return read_lut(p);
            case 0x25:
                return write_lut(p);
            case 0x26:
                return read_slot_name(p);
            case 0x27:
                return write_slot_name(p);
            case 0x06:
                if (p.size() != 2) break;
                // Applies the uploaded tables; a 256-entry transfer mode ends here.
                ++counters_.table_applies;
                if (state_.values.count(code::table_transfer))
                    state_.values[code::table_transfer] = 0;
                return {};
            case 0x07:
                if (p.size() != 2) break;
                ++counters_.table_stores;
                return {};
            default:
                break;
        }
    }
    ++counters_.ignored_requests;
    return {};
}

bool CSimMonitor::map_word(int address, int& channel, int& entry, int& span) const {
    const int entries = model_->table_entries;
    const auto transfer = state_.values.find(code::table_transfer);
    // In transfer mode a 256-entry table stands for the larger one: each word covers
    // entries / 256 neighbouring entries.
    const bool compact = transfer != state_.values.end() && transfer->second == 1 && entries > 256;
    const int view = compact ? 256 : entries;
    span = compact ? entries / 256 : 1;
    for (int c = 0; c < 3; ++c) {
        const int first = model_->table_offsets[static_cast<std::size_t>(c)];
        if (address >= first && address < first + view) {
            channel = c;
            entry = (address - first) * span;
            return true;
        }
    }
    return false;
}

CSimMonitor::Reply CSimMonitor::read_words(const QByteArray& p) {
    const int count = p.size() == 5 ? at(p, 4) : 0;
    if (count < 1 || count > kMaxWords || model_->table_entries == 0) {
        ++counters_.ignored_requests;
        return {};
    }
    const int address = word_at(p, 2);
    const CSimMemoryState& mem =
        state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    Reply reply{true, bytes({0xC3, 0x0A}), 0};
    for (int i = 0; i < count; ++i) {
        int channel = 0, entry = 0, span = 1;
        if (!map_word(address + i, channel, entry, span)) {
            ++counters_.ignored_requests;
            return {};
        }
        append_word(reply.payload,
                    mem.tables[static_cast<std::size_t>(channel)][static_cast<std::size_t>(entry)]);
    }
    return reply;
}

CSimMonitor::Reply CSimMonitor::write_words(const QByteArray& p) {
    const int count = (static_cast<int>(p.size()) - 4) / 2;
    if (p.size() < 6 || p.size() % 2 != 0 || count > kMaxWords || model_->table_entries == 0) {
        ++counters_.ignored_requests;
        return {};
    }
    const int address = word_at(p, 2);
    int channel[kMaxWords], entry[kMaxWords], span[kMaxWords];
    for (int i = 0; i < count; ++i) {
        if (!map_word(address + i, channel[i], entry[i], span[i])) {
            ++counters_.ignored_requests;
            return {};
        }
    }
    CSimMemoryState& mem = state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    for (int i = 0; i < count; ++i) {
        auto& table = mem.tables[static_cast<std::size_t>(channel[i])];
        for (int k = 0; k < span[i]; ++k) {
            table[static_cast<std::size_t>(entry[i] + k)] =
                static_cast<std::uint16_t>(word_at(p, 4 + 2 * i));
        }
    }
    return {};
}

int CSimMonitor::active_lut_slot() const {
    const CSimMemoryState& mem =
        state_.memories[static_cast<std::size_t>(state_.active_memory - 1)];
    const auto it = mem.values.find(code::lut_slot);
    return it == mem.values.end() ? 0 : it->second;
}

CSimMonitor::Reply CSimMonitor::read_lut(const QByteArray& p) {
    const int slot = active_lut_slot();
    const int count = p.size() == 6 ? at(p, 5) : 0;
    const int i0 = p.size() == 6 ? at(p, 2) : kLutNodes;
    const int i1 = p.size() == 6 ? at(p, 3) : kLutNodes;
    const int i2 = p.size() == 6 ? at(p, 4) : kLutNodes;
    if (slot < 1 || count < 1 || count > kMaxLutPoints || i0 + count > kLutNodes ||
        i1 >= kLutNodes || i2 >= kLutNodes) {
        ++counters_.ignored_requests;
        return {};
    }
    const auto& lut = state_.lut_slots[static_cast<std::size_t>(slot - 1)];
    Reply reply{true, bytes({0xC3, 0x24}), 0};
    for (int k = 0; k < count; ++k) {
        const int node = (i2 * kLutNodes + i1) * kLutNodes + i0 + k;
        for (int c = 0; c < 3; ++c)
            append_word(reply.payload, lut[static_cast<std::size_t>(3 * node + c)]);
    }
    return reply;
}

CSimMonitor::Reply CSimMonitor::write_lut(const QByteArray& p) {
    const int slot = active_lut_slot();
    const int payload = static_cast<int>(p.size()) - 5;
    const int count = payload / 6;
    if (slot < 1 || payload < 6 || payload % 6 != 0 || count > kMaxLutPoints ||
        at(p, 2) + count > kLutNodes || at(p, 3) >= kLutNodes || at(p, 4) >= kLutNodes) {
        ++counters_.ignored_requests;
        return {};
    }
    auto& lut = state_.lut_slots[static_cast<std::size_t>(slot - 1)];
    for (int k = 0; k < count; ++k) {
        const int node = (at(p, 4) * kLutNodes + at(p, 3)) * kLutNodes + at(p, 2) + k;
        for (int c = 0; c < 3; ++c) {
            lut[static_cast<std::size_t>(3 * node + c)] =
                static_cast<std::uint16_t>(word_at(p, 5 + 6 * k + 2 * c));
        }
    }
    return {true, bytes({0xC3, 0x25, at(p, 2), at(p, 3), at(p, 4)}), 0};
}

CSimMonitor::Reply CSimMonitor::read_slot_name(const QByteArray& p) {
    const int slot = p.size() == 3 ? at(p, 2) : 0;
    if (slot < 1 || slot > model_->slot_count) {
        ++counters_.ignored_requests;
        return {};
    }
    return {true, bytes({0xC3, 0x26}) + state_.slot_names[static_cast<std::size_t>(slot - 1)], 0};
}

CSimMonitor::Reply CSimMonitor::write_slot_name(const QByteArray& p) {
    const int slot = p.size() == 3 + kSlotNameLength ? at(p, 2) : 0;
    bool printable = slot >= 1 && slot <= model_->slot_count;
    for (int i = 3; printable && i < p.size(); ++i)
        printable = name_character(at(p, i));
    if (!printable) {
        ++counters_.ignored_requests;
        return {};
    }
    state_.slot_names[static_cast<std::size_t>(slot - 1)] = p.mid(3, kSlotNameLength);
    return {true, bytes({0xC3, 0x27, slot}), 0};
}

}  // namespace sim
