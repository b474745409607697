#include "sim/sim_tool.h"

#include <map>

#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "sim/sim_store.h"

namespace sim {

namespace {

const char* const kUsage =
    "usage: orvale-sim [--config FILE|default] [--state FILE] COMMAND\n"
    "  list                      the configured monitors and their links\n"
    "  displays                  the simulated desktop displays\n"
    "  show MONITOR              a monitor's settings, memories, tables and change table\n"
    "  osd MONITOR [--memory N] [--preset P] [--luminance CD] [--black-level V] [--stamp S]\n"
    "                            change settings as with the monitor's own buttons; adds a\n"
    "                            change-table entry for the memory and preset\n"
    "  plug MONITOR | unplug MONITOR   connect or pull the monitor's USB link\n"
    "  ddcci MONITOR on|off      switch DDC/CI over the video cable on or off, as in the\n"
    "                            monitor's menu (the EDID stays readable, USB still answers)\n"
    "  reset MONITOR | reset all       back to factory settings\n"
    "MONITOR is an id, a serial number or an index. Without --config, ORVALE_SIM_CONFIG or\n"
    "else the default set is used.\n";

QString feature_name(int c) {
    static const std::map<int, const char*> names = {
        {code::restore_factory, "restore factory"},
        {code::restore_color, "restore colour"},
        {code::brightness, "brightness %"},
        {code::contrast, "contrast"},
        {code::color_preset, "colour preset"},
        {code::red_gain, "red gain"},
        {code::green_gain, "green gain"},
        {code::blue_gain, "blue gain"},
        {code::input_source, "input source"},
        {code::firmware_level, "firmware level"},
        {code::power_mode, "power mode"},
        {code::vcp_version, "VCP version"},
        {code::select_e3, "E3"},
        {code::select_fb, "FB"},
        {code::operating_hours, "operating half hours"},
        {code::adjust_233, "adjust 233"},
        {code::adjust_237, "adjust 237"},
        {code::adjust_254, "adjust 254"},
        {code::gamma_type, "gamma type"},
        {code::pip_size, "PIP size"},
        {code::pip_h_position, "PIP horizontal"},
        {code::pip_v_position, "PIP vertical"},
        {code::red_drive, "red drive"},
        {code::green_drive, "green drive"},
        {code::blue_drive, "blue drive"},
        {code::luminance, "luminance cd/m2"},
        {code::max_luminance, "highest luminance"},
        {code::response_improve, "response improve"},
        {code::power_led, "power LED"},
        {code::gamma_value, "gamma value"},
        {code::uniformity, "uniformity"},
        {code::adjust_2f8, "adjust 2F8"},
        {code::table_transfer, "table transfer"},
        {code::pbp_state, "PBP state"},
        {code::memory_select, "memory"},
        {code::preset, "preset"},
        {code::white_x, "white x"},
        {code::white_y, "white y"},
        {code::black_level, "black level"},
        {code::red_x, "red x"},
        {code::red_y, "red y"},
        {code::green_x, "green x"},
        {code::green_y, "green y"},
        {code::blue_x, "blue x"},
        {code::blue_y, "blue y"},
        {code::color_vision, "colour vision"},
        {code::metamerism, "metamerism"},
        {code::adjust_105d, "adjust 105D"},
        {code::pip_mode, "PIP mode"},
        {code::pip_input, "PIP input"},
        {code::pip_memory, "PIP memory"},
        {code::pip_color_vision, "PIP colour vision"},
        {code::lut_mode, "LUT mode"},
        {code::lut_use, "LUT use"},
        {code::lut_slot, "3D LUT slot"},
        {code::uniformity_limit, "uniformity limit"},
        {code::contrast_limit, "contrast limit"},
        {code::black_floor, "black floor"},
        {code::brightness_floor, "brightness floor"},
        {code::reset_mode, "reset mode"},
        {code::reset_gamut, "reset gamut"},
    };
    const auto it = names.find(c);
    return it == names.end() ? QString() : QString::fromLatin1(it->second);
}

QString hex4(int v) {
    return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0'));
}

const char* video_name(CSimVideoLink v) {
    switch (v) {
        case CSimVideoLink::usable:
            return "usable";
        case CSimVideoLink::skip:
            return "skip";
        case CSimVideoLink::unusable:
            return "unusable";
        case CSimVideoLink::none:
            return "none";
    }
    return "";
}

QString usb_text(const CSimMonitor& m) {
    const QString video =
        m.video_ddcci() ? QString() : QStringLiteral(", DDC/CI off on the video cable");
    if (!m.usb_present()) return QStringLiteral("no USB link") + video;
    return (m.usb_plugged() ? QStringLiteral("USB plugged") : QStringLiteral("USB unplugged")) +
           video;
}

// What an OSD change left the monitor holding, with every request it clamped or refused.
QString osd_report(const CSimMonitor& m, const CSimOsdChange& asked) {
    struct Item {
        const char* name;
        int code;
        int requested;
        const char* unit;
    };
    const Item items[] = {{"memory", code::memory_select, asked.memory, ""},
                          {"preset", code::preset, asked.preset, ""},
                          {"luminance", code::luminance, asked.luminance, " cd/m2"},
                          {"black level", code::black_level, asked.black_level, ""}};
    QStringList held, notes;
    for (const Item& item : items) {
        const int now = m.read_feature(item.code).current;
        held << QStringLiteral("%1 %2%3")
                    .arg(QLatin1String(item.name))
                    .arg(now)
                    .arg(QLatin1String(item.unit));
        const bool asked_for = item.code == code::memory_select || item.code == code::preset
                                   ? item.requested > 0
                                   : item.requested >= 0;
        if (!asked_for || item.requested == now) continue;
        const CSimFeature* f = m.model().feature(item.code);
        const bool clamped = f && f->values.empty() && !f->has(feature_flag::read_only);
        notes << (clamped ? QStringLiteral("%1 %2 was clamped to %3")
                          : QStringLiteral("%1 %2 was not taken (it stays %3)"))
                     .arg(QLatin1String(item.name))
                     .arg(item.requested)
                     .arg(now);
    }
    QString text = held.join(QStringLiteral(", "));
    if (!notes.isEmpty()) text += QStringLiteral("; ") + notes.join(QStringLiteral("; "));
    return text;
}

void show_monitor(const CSimMonitor& m, QTextStream& out) {
    const CSimMonitorState& s = m.state();
    out << m.key() << "  (" << usb_text(m) << ")\n";
    out << "overlapping conversations: " << s.overlapping_conversations << "\n";
    out << "features:\n";
    for (const CSimFeature& f : m.model().features) {
        if (f.scope != CSimScope::global) continue;
        const CSimReading r = m.read_feature(f.code);
        out << "  " << hex4(f.code) << "  " << feature_name(f.code).leftJustified(22) << r.current
            << " (max " << r.maximum << ")\n";
    }
    for (int i = 0; i < static_cast<int>(s.memories.size()); ++i) {
        const CSimMemoryState& mem = s.memories[static_cast<std::size_t>(i)];
        out << "memory " << i + 1 << (i + 1 == s.active_memory ? " (active)" : "") << ":";
        for (const auto& [c, v] : mem.values)
            out << ' ' << feature_name(c) << '=' << v;
        const auto ramp = factory_table(m.model());
        const bool changed =
            mem.tables[0] != ramp || mem.tables[1] != ramp || mem.tables[2] != ramp;
        out << "  1D tables " << (changed ? "programmed" : "factory") << "\n";
    }
    const auto identity = identity_lut();
    for (int i = 0; i < static_cast<int>(s.slot_names.size()); ++i) {
        out << "slot " << i + 1 << ": \""
            << QString::fromLatin1(s.slot_names[static_cast<std::size_t>(i)]) << "\"  3D LUT "
            << (s.lut_slots[static_cast<std::size_t>(i)] == identity ? "identity" : "programmed")
            << "\n";
    }
    if (m.model().change_table) {
        const QByteArray t = s.memory.mid(address::change_table, 3);
        out << "change table: marker " << static_cast<std::uint8_t>(t[0]) << ", changed "
            << static_cast<std::uint8_t>(t[1]) << ", entries " << static_cast<std::uint8_t>(t[2])
            << "\n";
        for (int i = 0; i < static_cast<std::uint8_t>(t[2]) && i < address::change_entry_capacity;
             ++i) {
            const QByteArray e = s.memory.mid(address::change_entries + 6 * i, 6);
            std::uint32_t v = 0;
            for (int k = 2; k < 6; ++k)
                v = v << 8 | static_cast<std::uint8_t>(e[k]);
            out << "  memory " << static_cast<std::uint8_t>(e[0]) << " preset "
                << static_cast<std::uint8_t>(e[1]) << " value " << v << "\n";
        }
    }
}

bool take_option(QStringList& args, const QString& name, QString& value) {
    const int i = args.indexOf(name);
    if (i < 0 || i + 1 >= args.size()) return false;
    value = args.at(i + 1);
    args.remove(i, 2);
    return true;
}

bool take_int(QStringList& args, const QString& name, int& value, QTextStream& err) {
    QString text;
    if (!take_option(args, name, text)) return true;
    bool ok = false;
    value = text.toInt(&ok, 0);
    if (!ok) err << "orvale-sim: " << name << " needs a number\n";
    return ok;
}

}  // namespace

int run_sim_tool(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString source = qEnvironmentVariable(CSimConfig::kConfigVariable);
    QString state_file;
    take_option(args, QStringLiteral("--config"), source);
    take_option(args, QStringLiteral("--state"), state_file);
    if (source.isEmpty()) source = QString::fromLatin1(CSimConfig::kDefaultSet);
    if (args.isEmpty() || args.first() == QLatin1String("help") ||
        args.first() == QLatin1String("--help")) {
        (args.isEmpty() ? err : out) << kUsage;
        return args.isEmpty() ? 2 : 0;
    }

    CSimConfig config;
    QString error;
    if (!CSimConfig::load(source, config, &error)) {
        err << "orvale-sim: " << error << "\n";
        return 1;
    }
    if (state_file.isEmpty()) state_file = qEnvironmentVariable(CSimConfig::kStateVariable);
    if (!state_file.isEmpty()) config.state_file = state_file;

    auto owned = create_monitors(config);
    std::vector<CSimMonitor*> monitors;
    for (auto& m : owned)
        monitors.push_back(m.get());
    CSimStateStore store(config.state_file);
    // Read, change and write as one step, so that a program using the monitors meanwhile
    // neither loses this change nor has its own undone.
    CSimStateStore::Lock hold(store);
    QStringList warnings;
    const bool loaded = store.load(monitors, &error, &warnings);
    for (const QString& text : warnings)
        err << "orvale-sim: " << text << "\n";
    if (!loaded) {
        err << "orvale-sim: " << error << "\n";
        return 1;
    }

    const QString command = args.takeFirst();
    if (command == QLatin1String("list")) {
        out << "state file: " << config.state_file << "\n";
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            const CSimMonitorConfig& c = config.monitors[i];
            out << i << "  " << c.id << "  " << monitors[i]->key() << "  video "
                << video_name(c.video) << ", " << usb_text(*monitors[i]) << "\n";
        }
        return 0;
    }
    if (command == QLatin1String("displays")) {
        for (const CSimDisplay& d : config.displays) {
            out << d.adapter << "-" << d.connector << "  " << d.geometry.x() << ","
                << d.geometry.y() << " " << d.geometry.width() << "x" << d.geometry.height() << "  "
                << (d.monitor >= 0 ? config.monitors[static_cast<std::size_t>(d.monitor)].id
                                   : QStringLiteral("-"))
                << (d.primary ? " primary" : "") << (d.active ? "" : " inactive")
                << (d.attached ? "" : " detached") << (d.mirroring ? " mirroring" : "")
                << (d.edid.isEmpty() ? " no-EDID" : "") << "\n";
        }
        return 0;
    }

    if (args.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const QString target = args.takeFirst();
    std::vector<CSimMonitor*> chosen;
    if (command == QLatin1String("reset") && target == QLatin1String("all")) {
        chosen = monitors;
    } else {
        const int index = config.find_monitor(target);
        if (index < 0) {
            err << "orvale-sim: no monitor \"" << target << "\"\n";
            return 1;
        }
        chosen.push_back(monitors[static_cast<std::size_t>(index)]);
    }
    CSimMonitor& m = *chosen.front();
    QString report;

    if (command == QLatin1String("show")) {
        show_monitor(m, out);
        return 0;
    }
    if (command == QLatin1String("osd")) {
        CSimOsdChange change;
        int stamp = 0;
        if (!take_int(args, QStringLiteral("--memory"), change.memory, err) ||
            !take_int(args, QStringLiteral("--preset"), change.preset, err) ||
            !take_int(args, QStringLiteral("--luminance"), change.luminance, err) ||
            !take_int(args, QStringLiteral("--black-level"), change.black_level, err) ||
            !take_int(args, QStringLiteral("--stamp"), stamp, err)) {
            return 2;
        }
        change.stamp = static_cast<std::uint32_t>(stamp);
        if (!m.model().maker_commands) {
            err << "orvale-sim: a " << m.model().name << " has no picture-mode memories\n";
            return 1;
        }
        m.osd_change(change);
        report = osd_report(m, change);
    } else if (command == QLatin1String("plug") || command == QLatin1String("unplug")) {
        if (!m.usb_present()) {
            err << "orvale-sim: " << m.key() << " has no USB link\n";
            return 1;
        }
        m.set_usb_plugged(command == QLatin1String("plug"));
    } else if (command == QLatin1String("ddcci")) {
        const QString setting = args.isEmpty() ? QString() : args.takeFirst();
        if (setting != QLatin1String("on") && setting != QLatin1String("off")) {
            err << "orvale-sim: ddcci needs on or off\n";
            return 2;
        }
        m.set_video_ddcci(setting == QLatin1String("on"));
    } else if (command == QLatin1String("reset")) {
        for (CSimMonitor* c : chosen)
            c->reset_to_factory();
        report = QStringLiteral("factory settings");
    } else {
        err << kUsage;
        return 2;
    }
    if (!args.isEmpty()) {
        err << "orvale-sim: unexpected " << args.join(QLatin1Char(' ')) << "\n";
        return 2;
    }
    if (!store.save(monitors, &error)) {
        err << "orvale-sim: " << error << "\n";
        return 1;
    }
    for (const CSimMonitor* c : chosen) {
        out << c->key() << ": " << (report.isEmpty() ? QStringLiteral("done") : report) << " ("
            << usb_text(*c) << ")\n";
    }
    return 0;
}

}  // namespace sim
