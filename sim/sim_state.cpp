#include "sim/sim_state.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

#include "sim/sim_model.h"

namespace sim {

namespace {

void put_le32(QByteArray& m, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put_le16(QByteArray& m, int at, std::uint16_t v) {
    m[at] = static_cast<char>(v & 0xFF);
    m[at + 1] = static_cast<char>(v >> 8);
}

QString code_key(int code) {
    return QStringLiteral("0x%1")
        .arg(code, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("0X"), QLatin1String("0x"));
}

QJsonObject values_to_json(const std::map<int, int>& values) {
    QJsonObject o;
    for (const auto& [code, value] : values)
        o.insert(code_key(code), value);
    return o;
}

// Takes values of known codes of the right scope that the feature's range allows.
void values_from_json(const CSimModel& model, const QJsonObject& o, CSimScope scope,
                      std::map<int, int>& values) {
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool ok = false;
        const int code = it.key().toInt(&ok, 0);
        const CSimFeature* f = ok ? model.feature(code) : nullptr;
        if (!f || f->scope != scope || !it.value().isDouble()) continue;
        const int v = it.value().toInt();
        if (v >= f->minimum && v <= f->maximum && values.count(code)) values[code] = v;
    }
}

QString words_to_hex(const std::vector<std::uint16_t>& words) {
    QByteArray bytes;
    bytes.reserve(static_cast<int>(words.size()) * 2);
    for (std::uint16_t w : words) {
        bytes.append(static_cast<char>(w >> 8));
        bytes.append(static_cast<char>(w & 0xFF));
    }
    return QString::fromLatin1(bytes.toHex());
}

bool words_from_hex(const QJsonValue& v, std::vector<std::uint16_t>& words) {
    const QByteArray bytes = QByteArray::fromHex(v.toString().toLatin1());
    if (bytes.size() != static_cast<int>(words.size()) * 2) return false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto hi = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i)]);
        const auto lo = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i + 1)]);
        words[i] = static_cast<std::uint16_t>(hi << 8 | lo);
    }
    return true;
}

const char* const kChannels[3] = {"red", "green", "blue"};

}  // namespace

QByteArray factory_memory(const CSimModel& model) {
    QByteArray m(address::memory_size, static_cast<char>(0xFF));
    if (!model.maker_commands) return m;
    const auto xyz = factory_primaries_xyz(model);
    for (int i = 0; i < 3; ++i) {
        const int group = address::factory_primaries + 16 * i;
        m[group] = "RGB"[i];
        m[group + 1] = 0x01;  // layout version
        m[group + 2] = 0x00;
        m[group + 3] = 0x00;
        for (int c = 0; c < 3; ++c) {
            put_le32(m, group + 4 + 4 * c,
                     xyz[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)]);
        }
    }
    for (int i = 0; i < 9; ++i) {
        const long v = std::lround(model.factory_matrix[static_cast<std::size_t>(i)] * 10000.0);
        put_le16(m, address::factory_matrix + 2 * i, static_cast<std::uint16_t>(v & 0xFFFF));
    }
    if (model.change_table) {
        m[address::change_table] = 0x01;      // table present
        m[address::change_table + 1] = 0x00;  // nothing changed on the monitor's own controls
        m[address::change_table + 2] = 0x00;  // no entries
        for (int i = 0; i < 6 * address::change_entry_capacity; ++i) {
            m[address::change_entries + i] = 0x00;
        }
    }
    return m;
}

std::vector<std::uint16_t> factory_table(const CSimModel& model) {
    std::vector<std::uint16_t> t(static_cast<std::size_t>(model.table_entries));
    const int n = model.table_entries;
    for (int i = 0; i < n; ++i) {
        t[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(std::lround(i * 65535.0 / std::max(1, n - 1)));
    }
    return t;
}

std::vector<std::uint16_t> identity_lut() {
    std::vector<std::uint16_t> lut(3 * kLutPoints);
    for (int p = 0; p < kLutPoints; ++p) {
        const int index[3] = {p % kLutNodes, (p / kLutNodes) % kLutNodes,
                              p / (kLutNodes * kLutNodes)};
        for (int c = 0; c < 3; ++c) {
            lut[static_cast<std::size_t>(3 * p + c)] = static_cast<std::uint16_t>(
                std::lround(index[c] * double(kLutMaxValue) / (kLutNodes - 1)));
        }
    }
    return lut;
}

QByteArray factory_slot_name(int slot) {
    return QByteArray("Programmable") + QByteArray::number(slot);
}

CSimMonitorState factory_state(const CSimModel& model, const CSimMonitorSetup& setup) {
    CSimMonitorState s;
    for (const CSimFeature& f : model.features) {
        // Actions and values the monitor derives from others are not kept.
        const bool derived = f.code == code::uniformity_limit ||
                             (f.code == code::brightness && model.maker_commands);
        if (f.scope == CSimScope::global && !f.has(feature_flag::momentary) && !derived) {
            s.values[f.code] = f.factory;
        }
    }
    if (const CSimFeature* input = model.feature(code::input_source)) {
        if (setup.input_source >= 0 && input->allows(setup.input_source)) {
            s.values[code::input_source] = setup.input_source;
        }
    }
    if (s.values.count(code::operating_hours)) {
        s.values[code::operating_hours] = std::clamp(setup.operating_half_hours, 0, 0xFFFF);
    }
    s.active_memory = 1;
    for (int i = 0; i < model.memory_count; ++i) {
        CSimMemoryState mem;
        mem.values = preset_settings(model, model.factory_presets[static_cast<std::size_t>(i)]);
        for (auto& t : mem.tables)
            t = factory_table(model);
        s.memories.push_back(std::move(mem));
    }
    s.memory = factory_memory(model);
    for (int i = 0; i < model.slot_count; ++i) {
        s.lut_slots.push_back(identity_lut());
        s.slot_names.push_back(factory_slot_name(i + 1));
    }
    s.usb_plugged = setup.usb_present && setup.usb_plugged;
    return s;
}

QJsonObject state_to_json(const CSimModel& model, const CSimMonitorState& state) {
    QJsonObject o;
    o.insert(QStringLiteral("model"), model.name);
    o.insert(QStringLiteral("usb_plugged"), state.usb_plugged);
    o.insert(QStringLiteral("active_memory"), state.active_memory);
    o.insert(QStringLiteral("features"), values_to_json(state.values));

    const std::vector<std::uint16_t> ramp = factory_table(model);
    QJsonArray memories;
    for (const CSimMemoryState& mem : state.memories) {
        QJsonObject m;
        m.insert(QStringLiteral("features"), values_to_json(mem.values));
        QJsonObject tables;
        for (int c = 0; c < 3; ++c) {
            if (mem.tables[static_cast<std::size_t>(c)] != ramp) {
                tables.insert(QLatin1String(kChannels[c]),
                              words_to_hex(mem.tables[static_cast<std::size_t>(c)]));
            }
        }
        if (!tables.isEmpty()) m.insert(QStringLiteral("tables"), tables);
        memories.append(m);
    }
    o.insert(QStringLiteral("memories"), memories);

    QJsonArray runs;
    const int size = static_cast<int>(state.memory.size());
    for (int at = 0; at < size;) {
        if (static_cast<std::uint8_t>(state.memory[at]) == 0xFF) {
            ++at;
            continue;
        }
        int end = at;
        while (end < size && static_cast<std::uint8_t>(state.memory[end]) != 0xFF)
            ++end;
        QJsonObject run;
        run.insert(QStringLiteral("address"),
                   QStringLiteral("0x%1").arg(at, 4, 16, QLatin1Char('0')));
        run.insert(QStringLiteral("bytes"),
                   QString::fromLatin1(state.memory.mid(at, end - at).toHex()));
        runs.append(run);
        at = end;
    }
    o.insert(QStringLiteral("memory"), runs);

    const std::vector<std::uint16_t> identity = identity_lut();
    QJsonObject lut_entries;
    for (std::size_t i = 0; i < state.lut_slots.size(); ++i) {
        if (state.lut_slots[i] != identity) {
            lut_entries.insert(QString::number(i + 1), words_to_hex(state.lut_slots[i]));
        }
    }
    o.insert(QStringLiteral("lut_slots"), lut_entries);
    QJsonArray names;
    for (const QByteArray& n : state.slot_names)
        names.append(QString::fromLatin1(n));
    o.insert(QStringLiteral("slot_names"), names);
    return o;
}

bool state_from_json(const CSimModel& model, const QJsonObject& o, CSimMonitorState& state) {
    if (o.value(QStringLiteral("model")).toString().compare(model.name, Qt::CaseInsensitive) != 0) {
        return false;
    }
    if (o.value(QStringLiteral("usb_plugged")).isBool()) {
        state.usb_plugged = o.value(QStringLiteral("usb_plugged")).toBool();
    }
    const int active = o.value(QStringLiteral("active_memory")).toInt(state.active_memory);
    if (active >= 1 && active <= static_cast<int>(state.memories.size()))
        state.active_memory = active;
    values_from_json(model, o.value(QStringLiteral("features")).toObject(), CSimScope::global,
                     state.values);

    const QJsonArray memories = o.value(QStringLiteral("memories")).toArray();
    for (int i = 0; i < memories.size() && i < static_cast<int>(state.memories.size()); ++i) {
        CSimMemoryState& mem = state.memories[static_cast<std::size_t>(i)];
        const QJsonObject m = memories[i].toObject();
        values_from_json(model, m.value(QStringLiteral("features")).toObject(), CSimScope::memory,
                         mem.values);
        const QJsonObject tables = m.value(QStringLiteral("tables")).toObject();
        for (int c = 0; c < 3; ++c) {
            const QJsonValue v = tables.value(QLatin1String(kChannels[c]));
            if (v.isString()) {
                std::vector<std::uint16_t> words(mem.tables[static_cast<std::size_t>(c)].size());
                if (words_from_hex(v, words))
                    mem.tables[static_cast<std::size_t>(c)] = std::move(words);
            }
        }
    }

    const QJsonValue runs_value = o.value(QStringLiteral("memory"));
    if (runs_value.isArray()) {
        QByteArray memory(address::memory_size, static_cast<char>(0xFF));
        for (const QJsonValue& r : runs_value.toArray()) {
            bool ok = false;
            const int at = r.toObject().value(QStringLiteral("address")).toString().toInt(&ok, 0);
            const QByteArray bytes = QByteArray::fromHex(
                r.toObject().value(QStringLiteral("bytes")).toString().toLatin1());
            if (!ok || at < 0 || at + bytes.size() > memory.size()) continue;
            memory.replace(at, bytes.size(), bytes);
        }
        state.memory = memory;
    }

    const QJsonObject lut_entries = o.value(QStringLiteral("lut_slots")).toObject();
    for (auto it = lut_entries.begin(); it != lut_entries.end(); ++it) {
        const int slot = it.key().toInt();
        if (slot < 1 || slot > static_cast<int>(state.lut_slots.size())) continue;
        std::vector<std::uint16_t> words(3 * kLutPoints);
        if (words_from_hex(it.value(), words))
            state.lut_slots[static_cast<std::size_t>(slot - 1)] = std::move(words);
    }
    const QJsonArray names = o.value(QStringLiteral("slot_names")).toArray();
    for (int i = 0; i < names.size() && i < static_cast<int>(state.slot_names.size()); ++i) {
        const QByteArray n = names[i].toString().toLatin1();
        if (n.size() == kSlotNameLength) state.slot_names[static_cast<std::size_t>(i)] = n;
    }
    return true;
}

}  // namespace sim
