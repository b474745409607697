#include "sim/sim_state.h"

#include <QJsonArray>
#include <algorithm>
#include <cctype>
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

QJsonObject values_to_json(const std::map<int, int>& values) {
    QJsonObject o;
    for (const auto& [code, value] : values)
        o.insert(hex_code(code), value);
    return o;
}

// What reading one monitor's entry found; a field is named by its path inside the entry.
struct Reader {
    CSimStateIssues* issues;
    bool refuse(const QString& field, const QString& why) {
        if (issues && issues->refusal.isEmpty())
            issues->refusal = field + QStringLiteral(": ") + why;
        return false;
    }
    void ignore(const QString& field, const QString& why) {
        if (issues)
            issues->ignored << field + QStringLiteral(": ") + why + QStringLiteral("; ignored");
    }
};

QString shown(const QJsonValue& v) {
    if (v.isString()) return QLatin1Char('"') + v.toString().left(40) + QLatin1Char('"');
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 12);
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (v.isArray()) return QStringLiteral("an array");
    if (v.isObject()) return QStringLiteral("an object");
    return QStringLiteral("null");
}

bool whole_number(const QJsonValue& v) {
    return v.isDouble() && std::isfinite(v.toDouble()) &&
           v.toDouble() == std::floor(v.toDouble()) && std::abs(v.toDouble()) < 2147483648.0;
}

// An optional section of the entry must have its type; a missing one leaves the factory data.
bool section(Reader& r, const QJsonObject& o, const QString& key, const QString& field, bool array,
             QJsonValue& out) {
    out = o.value(key);
    if (out.isUndefined()) return true;
    if (array ? out.isArray() : out.isObject()) return true;
    return r.refuse(
        field, QStringLiteral("%1 is not %2").arg(shown(out), array ? "an array" : "an object"));
}

// Takes values of known codes of the right scope that the feature's range allows.
void values_from_json(Reader& r, const QString& field, const CSimModel& model, const QJsonObject& o,
                      CSimScope scope, std::map<int, int>& values) {
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString name = field + QLatin1Char('.') + it.key();
        bool ok = false;
        const int code = it.key().toInt(&ok, 0);
        const CSimFeature* f = ok ? model.feature(code) : nullptr;
        if (!f || f->scope != scope || !values.count(code)) {
            r.ignore(name, QStringLiteral("not a %1 feature of a %2")
                               .arg(scope == CSimScope::global ? "monitor" : "memory", model.name));
            continue;
        }
        if (!whole_number(it.value())) {
            r.ignore(name, shown(it.value()) + QStringLiteral(" is not a whole number"));
            continue;
        }
        const int v = it.value().toInt();
        if (v < f->minimum || v > f->maximum) {
            r.ignore(name,
                     QStringLiteral("%1 is outside %2..%3").arg(v).arg(f->minimum).arg(f->maximum));
            continue;
        }
        values[code] = v;
    }
}

// Hex digits only, two per byte (QByteArray::fromHex skips anything else).
bool strict_hex(const QJsonValue& v, QByteArray& bytes) {
    if (!v.isString()) return false;
    const QByteArray text = v.toString().toLatin1();
    if (text.size() % 2 != 0) return false;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    bytes = QByteArray::fromHex(text);
    return true;
}

bool protected_address(int at) {
    return at >= address::factory_area_first && at <= address::factory_area_last;
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
    QByteArray bytes;
    if (!strict_hex(v, bytes) || bytes.size() != static_cast<int>(words.size()) * 2) return false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto hi = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i)]);
        const auto lo = static_cast<std::uint8_t>(bytes[static_cast<int>(2 * i + 1)]);
        words[i] = static_cast<std::uint16_t>(hi << 8 | lo);
    }
    return true;
}

const char* const kChannels[3] = {"red", "green", "blue"};

}  // namespace

QString hex_code(int code) {
    return QStringLiteral("0x%1")
        .arg(code, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("0X"), QLatin1String("0x"));
}

QString json_error_text(const QByteArray& text, const QJsonParseError& error) {
    const int offset = std::clamp(error.offset, 0, static_cast<int>(text.size()));
    int line = 1, column = 1;
    for (int i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QStringLiteral("not JSON: %1 at line %2, column %3 (offset %4)")
        .arg(error.errorString())
        .arg(line)
        .arg(column)
        .arg(offset);
}

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
    s.video_ddcci = setup.video_ddcci;
    return s;
}

QJsonObject state_to_json(const CSimModel& model, const CSimMonitorState& state) {
    QJsonObject o;
    o.insert(QStringLiteral("model"), model.name);
    o.insert(QStringLiteral("usb_plugged"), state.usb_plugged);
    o.insert(QStringLiteral("video_ddcci"), state.video_ddcci);
    o.insert(QStringLiteral("active_memory"), state.active_memory);
    // Only a faulty program makes one; files of monitors that never met one stay as they were.
    if (state.overlapping_conversations > 0) {
        o.insert(QStringLiteral("overlapping_conversations"), state.overlapping_conversations);
    }
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
    // The write-protected area is the model's factory data, never the state file's.
    auto kept = [&](int at) {
        return static_cast<std::uint8_t>(state.memory[at]) != 0xFF && !protected_address(at);
    };
    for (int at = 0; at < size;) {
        if (!kept(at)) {
            ++at;
            continue;
        }
        int end = at;
        while (end < size && kept(end))
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
    if (!state.change_order.empty()) {
        QJsonArray order;
        for (int slot : state.change_order)
            order.append(slot);
        o.insert(QStringLiteral("change_order"), order);
    }

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

bool state_from_json(const CSimModel& model, const QJsonObject& o, CSimMonitorState& state,
                     CSimStateIssues* issues) {
    Reader r{issues};
    const QJsonValue named = o.value(QStringLiteral("model"));
    if (named.toString().compare(model.name, Qt::CaseInsensitive) != 0) {
        return r.refuse(QStringLiteral("model"),
                        QStringLiteral("%1 is not a %2").arg(shown(named), model.name));
    }
    QJsonValue features, memories, runs, lut_entries, names;
    if (!section(r, o, QStringLiteral("features"), QStringLiteral("features"), false, features) ||
        !section(r, o, QStringLiteral("memories"), QStringLiteral("memories"), true, memories) ||
        !section(r, o, QStringLiteral("memory"), QStringLiteral("memory"), true, runs) ||
        !section(r, o, QStringLiteral("lut_slots"), QStringLiteral("lut_slots"), false,
                 lut_entries) ||
        !section(r, o, QStringLiteral("slot_names"), QStringLiteral("slot_names"), true, names)) {
        return false;
    }
    const QJsonArray memory_list = memories.toArray();
    for (int i = 0; i < memory_list.size(); ++i) {
        const QString field = QStringLiteral("memories[%1]").arg(i);
        if (!memory_list[i].isObject())
            return r.refuse(field, shown(memory_list[i]) + QStringLiteral(" is not an object"));
        QJsonValue unused;
        if (!section(r, memory_list[i].toObject(), QStringLiteral("features"),
                     field + QStringLiteral(".features"), false, unused) ||
            !section(r, memory_list[i].toObject(), QStringLiteral("tables"),
                     field + QStringLiteral(".tables"), false, unused)) {
            return false;
        }
    }
    for (int i = 0; i < runs.toArray().size(); ++i) {
        if (!runs.toArray()[i].isObject()) {
            return r.refuse(QStringLiteral("memory[%1]").arg(i),
                            shown(runs.toArray()[i]) + QStringLiteral(" is not an object"));
        }
    }

    // The entry has the shape of one; single values that do not fit are left as they were.
    for (const char* flag : {"usb_plugged", "video_ddcci"}) {
        const QJsonValue v = o.value(QLatin1String(flag));
        if (v.isUndefined()) continue;
        if (!v.isBool()) {
            r.ignore(QLatin1String(flag), shown(v) + QStringLiteral(" is not true or false"));
        } else if (QLatin1String(flag) == QLatin1String("usb_plugged")) {
            state.usb_plugged = v.toBool();
        } else {
            state.video_ddcci = v.toBool();
        }
    }
    const QJsonValue overlaps = o.value(QStringLiteral("overlapping_conversations"));
    if (!overlaps.isUndefined()) {
        if (whole_number(overlaps) && overlaps.toInt() >= 0) {
            state.overlapping_conversations = overlaps.toInt();
        } else {
            r.ignore(QStringLiteral("overlapping_conversations"),
                     shown(overlaps) + QStringLiteral(" is not a count"));
        }
    }
    const QJsonValue active = o.value(QStringLiteral("active_memory"));
    if (!active.isUndefined()) {
        // A monitor without memories keeps writing the 1 it always holds.
        if (whole_number(active) &&
            (active.toInt() == state.active_memory ||
             (active.toInt() >= 1 && active.toInt() <= static_cast<int>(state.memories.size())))) {
            state.active_memory = active.toInt();
        } else {
            r.ignore(QStringLiteral("active_memory"), QStringLiteral("%1 is not a memory of 1..%2")
                                                          .arg(shown(active))
                                                          .arg(state.memories.size()));
        }
    }
    values_from_json(r, QStringLiteral("features"), model, features.toObject(), CSimScope::global,
                     state.values);

    for (int i = 0; i < memory_list.size(); ++i) {
        const QString field = QStringLiteral("memories[%1]").arg(i);
        if (i >= static_cast<int>(state.memories.size())) {
            r.ignore(field,
                     QStringLiteral("this monitor has %1 memories").arg(state.memories.size()));
            continue;
        }
        CSimMemoryState& mem = state.memories[static_cast<std::size_t>(i)];
        const QJsonObject m = memory_list[i].toObject();
        values_from_json(r, field + QStringLiteral(".features"), model,
                         m.value(QStringLiteral("features")).toObject(), CSimScope::memory,
                         mem.values);
        const QJsonObject tables = m.value(QStringLiteral("tables")).toObject();
        for (auto it = tables.begin(); it != tables.end(); ++it) {
            const QString name = field + QStringLiteral(".tables.") + it.key();
            int c = 0;
            while (c < 3 && it.key() != QLatin1String(kChannels[c]))
                ++c;
            if (c == 3) {
                r.ignore(name, QStringLiteral("not red, green or blue"));
                continue;
            }
            std::vector<std::uint16_t> words(mem.tables[static_cast<std::size_t>(c)].size());
            if (!words_from_hex(it.value(), words)) {
                r.ignore(name, QStringLiteral("not %1 words in hex").arg(words.size()));
                continue;
            }
            mem.tables[static_cast<std::size_t>(c)] = std::move(words);
        }
    }

    if (!runs.isUndefined()) {
        QByteArray memory(address::memory_size, static_cast<char>(0xFF));
        bool protected_differs = false;
        for (int i = 0; i < runs.toArray().size(); ++i) {
            const QString field = QStringLiteral("memory[%1]").arg(i);
            const QJsonObject run = runs.toArray()[i].toObject();
            bool ok = false;
            const QJsonValue where = run.value(QStringLiteral("address"));
            const int at = where.toString().toInt(&ok, 0);
            QByteArray bytes;
            if (!ok || at < 0 || at >= address::memory_size) {
                r.ignore(field + QStringLiteral(".address"),
                         shown(where) + QStringLiteral(" is not an address of 0x0000..0xFFFF"));
                continue;
            }
            if (!strict_hex(run.value(QStringLiteral("bytes")), bytes)) {
                r.ignore(field + QStringLiteral(".bytes"), QStringLiteral("not bytes in hex"));
                continue;
            }
            if (at + bytes.size() > memory.size()) {
                r.ignore(field, QStringLiteral("runs past 0xFFFF"));
                continue;
            }
            for (int k = 0; k < bytes.size(); ++k) {
                if (protected_address(at + k)) {
                    protected_differs |= bytes[k] != state.memory[at + k];
                } else {
                    memory[at + k] = bytes[k];
                }
            }
        }
        // The calibration area stays as the model made it, whatever the file holds there.
        for (int a = address::factory_area_first; a <= address::factory_area_last; ++a)
            memory[a] = state.memory[a];
        if (protected_differs) {
            r.ignore(QStringLiteral("memory"),
                     QStringLiteral("bytes in the write-protected area 0x8000..0x8FFF differ from "
                                    "the model's factory data"));
        }
        state.memory = memory;
    }

    const QJsonValue order = o.value(QStringLiteral("change_order"));
    if (!order.isUndefined()) {
        std::vector<int> taken_slots;
        bool ok = order.isArray();
        for (const QJsonValue& v : order.toArray()) {
            ok = ok && whole_number(v) && v.toInt() >= 0 &&
                 v.toInt() < address::change_entry_capacity &&
                 std::find(taken_slots.begin(), taken_slots.end(), v.toInt()) == taken_slots.end();
            if (ok) taken_slots.push_back(v.toInt());
        }
        if (ok) {
            state.change_order = std::move(taken_slots);
        } else {
            r.ignore(QStringLiteral("change_order"),
                     QStringLiteral("not a list of distinct taken_slots of 0..%1")
                         .arg(address::change_entry_capacity - 1));
        }
    }

    const QJsonObject luts = lut_entries.toObject();
    for (auto it = luts.begin(); it != luts.end(); ++it) {
        const QString name = QStringLiteral("lut_slots.") + it.key();
        bool ok = false;
        const int slot = it.key().toInt(&ok);
        if (!ok || slot < 1 || slot > static_cast<int>(state.lut_slots.size())) {
            r.ignore(name, QStringLiteral("not a slot of 1..%1").arg(state.lut_slots.size()));
            continue;
        }
        std::vector<std::uint16_t> words(3 * kLutPoints);
        if (!words_from_hex(it.value(), words)) {
            r.ignore(name, QStringLiteral("not %1 words in hex").arg(words.size()));
            continue;
        }
        state.lut_slots[static_cast<std::size_t>(slot - 1)] = std::move(words);
    }
    const QJsonArray name_list = names.toArray();
    for (int i = 0; i < name_list.size(); ++i) {
        const QString field = QStringLiteral("slot_names[%1]").arg(i);
        if (i >= static_cast<int>(state.slot_names.size())) {
            r.ignore(field,
                     QStringLiteral("this monitor has %1 slots").arg(state.slot_names.size()));
            continue;
        }
        const QByteArray n = name_list[i].toString().toLatin1();
        if (!name_list[i].isString() || n.size() != kSlotNameLength) {
            r.ignore(field,
                     shown(name_list[i]) +
                         QStringLiteral(" is not a name of %1 characters").arg(kSlotNameLength));
            continue;
        }
        state.slot_names[static_cast<std::size_t>(i)] = n;
    }
    return true;
}

}  // namespace sim
