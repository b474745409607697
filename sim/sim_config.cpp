#include "sim/sim_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cmath>
#include <map>
#include <set>

#include "sim/sim_edid.h"
#include "sim/sim_model.h"
#include "sim/sim_monitor.h"

namespace sim {

namespace {

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

int input_code(const QJsonValue& v) {
    if (v.isDouble()) return v.toInt();
    const QString s = v.toString().toLower();
    if (s == QLatin1String("vga")) return 0x01;
    if (s == QLatin1String("dvi")) return 0x03;
    if (s == QLatin1String("dp") || s == QLatin1String("displayport")) return 0x0F;
    if (s == QLatin1String("hdmi")) return 0x11;
    bool ok = false;
    const int code = s.toInt(&ok, 0);
    return ok ? code : -2;
}

QString connector_kind(int input) {
    switch (input) {
        case 0x01:
            return QStringLiteral("VGA-");
        case 0x03:
            return QStringLiteral("DVI-D-");
        case 0x11:
            return QStringLiteral("HDMI-A-");
        default:
            return QStringLiteral("DP-");
    }
}

bool parse_video(const QJsonValue& v, CSimVideoLink& link) {
    const QString s = v.toString(QStringLiteral("usable"));
    if (s == QLatin1String("usable"))
        link = CSimVideoLink::usable;
    else if (s == QLatin1String("skip"))
        link = CSimVideoLink::skip;
    else if (s == QLatin1String("unusable"))
        link = CSimVideoLink::unusable;
    else if (s == QLatin1String("none"))
        link = CSimVideoLink::none;
    else
        return false;
    return true;
}

bool parse_faults(const QJsonArray& list, std::vector<CSimFaultRule>& rules, QString* error) {
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        CSimFaultRule rule;
        const QString name = o.value(QStringLiteral("fault")).toString();
        if (!CSimFaultScript::from_name(name, rule.fault)) {
            return fail(error, QStringLiteral("unknown fault \"%1\"").arg(name));
        }
        rule.exchange = o.value(QStringLiteral("exchange")).toInt(-1);
        const QJsonValue command = o.value(QStringLiteral("command"));
        bool ok = true;
        if (command.isString())
            rule.command = command.toString().toInt(&ok, 0);
        else if (command.isDouble())
            rule.command = command.toInt();
        if (!ok)
            return fail(error, QStringLiteral("bad fault command \"%1\"").arg(command.toString()));
        rule.count = o.value(QStringLiteral("count")).toInt(1);
        rule.repeat = o.value(QStringLiteral("repeat")).toInt(1);
        rules.push_back(rule);
    }
    return true;
}

bool parse_monitor(const QJsonObject& o, int index, CSimMonitorConfig& m, QString* error) {
    m.model = o.value(QStringLiteral("model")).toString();
    const CSimModel* model = find_sim_model(m.model);
    if (!model)
        return fail(error,
                    QStringLiteral("monitor %1: unknown model \"%2\"").arg(index).arg(m.model));
    m.model = model->name;
    m.id = o.value(QStringLiteral("id")).toString(model->name.toLower().remove(QLatin1Char(' ')));
    m.setup.serial = o.value(QStringLiteral("serial")).toString().toLatin1();
    if (m.setup.serial.isEmpty() || m.setup.serial.size() > 13) {
        return fail(
            error,
            QStringLiteral("monitor %1: the serial must have 1 to 13 characters").arg(index));
    }
    const QJsonValue usb = o.value(QStringLiteral("usb"));
    if (usb.isBool()) {
        m.setup.usb_present = m.setup.usb_plugged = usb.toBool();
    } else if (usb.isObject()) {
        m.setup.usb_present = usb.toObject().value(QStringLiteral("present")).toBool(true);
        m.setup.usb_plugged = usb.toObject().value(QStringLiteral("plugged")).toBool(true);
    }
    if (m.setup.usb_present && !model->maker_commands) {
        return fail(error,
                    QStringLiteral("monitor %1: a %2 has no USB link").arg(index).arg(model->name));
    }
    if (o.contains(QStringLiteral("input"))) {
        m.setup.input_source = input_code(o.value(QStringLiteral("input")));
        const CSimFeature* input = model->feature(code::input_source);
        if (!input || !input->allows(m.setup.input_source)) {
            return fail(error, QStringLiteral("monitor %1: input not offered by a %2")
                                   .arg(index)
                                   .arg(model->name));
        }
    }
    if (!parse_video(o.value(QStringLiteral("video")), m.video)) {
        return fail(
            error,
            QStringLiteral("monitor %1: video must be usable, skip, unusable or none").arg(index));
    }
    const QJsonValue ddcci = o.value(QStringLiteral("ddcci"));
    if (!ddcci.isUndefined()) {
        if (!ddcci.isBool())
            return fail(error,
                        QStringLiteral("monitor %1: ddcci must be true or false").arg(index));
        m.setup.video_ddcci = ddcci.toBool();
    }
    const QJsonValue source = o.value(QStringLiteral("reply_source"));
    if (!source.isUndefined()) {
        const int s = source.isString() ? source.toString().toInt(nullptr, 0) : source.toInt();
        if (s != 0x6E && s != 0x51)
            return fail(error,
                        QStringLiteral("monitor %1: reply_source must be 0x6E or 0x51").arg(index));
        m.setup.reply_source = static_cast<std::uint8_t>(s);
    }
    m.setup.operating_half_hours =
        static_cast<int>(std::lround(o.value(QStringLiteral("operating_hours")).toDouble(0) * 2));
    const QJsonValue memories = o.value(QStringLiteral("memories"));
    if (!memories.isUndefined()) {
        m.memories = memories.toInt(-1);
        if (!sim_model_with_memories(*model, m.memories)) {
            return fail(error, QStringLiteral("monitor %1: a %2 has 1 to %3 memories")
                                   .arg(index)
                                   .arg(model->name)
                                   .arg(model->memory_count));
        }
    }
    return parse_faults(o.value(QStringLiteral("faults")).toArray(), m.faults, error);
}

void add_edid(CSimConfig& config, CSimDisplay& d) {
    if (d.monitor < 0) return;
    const CSimMonitorConfig& m = config.monitors[static_cast<std::size_t>(d.monitor)];
    d.edid = build_edid(*find_sim_model(m.model), m.setup.serial);
    if (d.description.isEmpty()) d.description = m.model;
}

// Without a display list each monitor gets one output of its input's kind, side by side.
void lay_out_displays(CSimConfig& config) {
    int x = 0;
    std::map<QString, int> used;
    for (int i = 0; i < static_cast<int>(config.monitors.size()); ++i) {
        const CSimMonitorConfig& m = config.monitors[static_cast<std::size_t>(i)];
        const CSimModel* model = find_sim_model(m.model);
        CSimDisplay d;
        const int input = m.setup.input_source >= 0 ? m.setup.input_source
                                                    : model->feature(code::input_source)->factory;
        const QString kind = connector_kind(input);
        d.connector = kind + QString::number(++used[kind]);
        d.adapter = QStringLiteral("card0");
        d.adapter_description = QStringLiteral("Simulated graphics adapter");
        d.monitor = i;
        d.geometry = QRect(x, 0, model->width_px, model->height_px);
        d.primary = i == 0;
        add_edid(config, d);
        x += model->width_px;
        config.displays.push_back(d);
    }
}

}  // namespace

QString CSimConfig::default_state_file() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/orvale-sim/state.json");
}

CSimConfig CSimConfig::default_set() {
    const char* json = R"({
        "monitors": [
            {"id": "kx271w", "model": "KX271W", "serial": "71000123", "usb": true,
             "input": "DisplayPort", "operating_hours": 1234.5},
            {"id": "kx241w", "model": "KX241W", "serial": "41000456", "input": "DVI",
             "operating_hours": 5210},
            {"id": "generic", "model": "Generic 24", "serial": "24000789", "input": "HDMI"},
            {"id": "kx302w", "model": "KX302W", "serial": "30000987", "input": "DisplayPort",
             "ddcci": false, "operating_hours": 812}
        ]
    })";
    CSimConfig config;
    parse(QByteArray(json), QString(), config, nullptr);
    return config;
}

bool CSimConfig::load(const QString& source, CSimConfig& config, QString* error) {
    if (source == QLatin1String(kDefaultSet)) {
        config = default_set();
        return true;
    }
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(error, QStringLiteral("cannot read %1: %2").arg(source, file.errorString()));
    }
    if (parse(file.readAll(), QFileInfo(source).absolutePath(), config, error)) return true;
    if (error) *error = QFileInfo(source).absoluteFilePath() + QStringLiteral(": ") + *error;
    return false;
}

bool CSimConfig::from_environment(CSimConfig& config, QString* error) {
    const QString source = qEnvironmentVariable(kConfigVariable);
    if (source.isEmpty()) return false;
    if (!load(source, config, error)) return false;
    const QString state = qEnvironmentVariable(kStateVariable);
    if (!state.isEmpty()) config.state_file = QFileInfo(state).absoluteFilePath();
    return true;
}

bool CSimConfig::parse(const QByteArray& json, const QString& base_folder, CSimConfig& config,
                       QString* error) {
    QJsonParseError parse_error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse_error);
    if (doc.isNull()) return fail(error, json_error_text(json, parse_error));
    if (!doc.isObject()) return fail(error, QStringLiteral("not a JSON object"));
    const QJsonObject root = doc.object();
    CSimConfig c;

    const QJsonArray monitors = root.value(QStringLiteral("monitors")).toArray();
    std::set<QString> ids, keys;
    for (int i = 0; i < monitors.size(); ++i) {
        CSimMonitorConfig m;
        if (!parse_monitor(monitors[i].toObject(), i, m, error)) return false;
        const QString key = m.model + QLatin1Char('/') + QString::fromLatin1(m.setup.serial);
        if (!ids.insert(m.id).second || !keys.insert(key).second) {
            return fail(error,
                        QStringLiteral("monitor %1: id or model and serial used twice").arg(i));
        }
        c.monitors.push_back(m);
    }

    const QJsonValue displays = root.value(QStringLiteral("displays"));
    if (!displays.isArray()) {
        lay_out_displays(c);
    } else {
        for (const QJsonValue& v : displays.toArray()) {
            const QJsonObject o = v.toObject();
            CSimDisplay d;
            d.connector = o.value(QStringLiteral("connector")).toString();
            d.adapter = o.value(QStringLiteral("adapter")).toString(QStringLiteral("card0"));
            d.adapter_description = o.value(QStringLiteral("adapter_description"))
                                        .toString(QStringLiteral("Simulated graphics adapter"));
            d.description = o.value(QStringLiteral("description")).toString();
            d.geometry =
                QRect(o.value(QStringLiteral("x")).toInt(), o.value(QStringLiteral("y")).toInt(),
                      o.value(QStringLiteral("width")).toInt(1920),
                      o.value(QStringLiteral("height")).toInt(1080));
            d.primary = o.value(QStringLiteral("primary")).toBool(false);
            d.active = o.value(QStringLiteral("active")).toBool(true);
            d.attached = o.value(QStringLiteral("attached")).toBool(true);
            d.mirroring = o.value(QStringLiteral("mirroring")).toBool(false);
            const QJsonValue monitor = o.value(QStringLiteral("monitor"));
            if (!monitor.isUndefined() && !monitor.isNull()) {
                d.monitor = c.find_monitor(monitor.isDouble() ? QString::number(monitor.toInt())
                                                              : monitor.toString());
                if (d.monitor < 0) {
                    return fail(error,
                                QStringLiteral("display %1: unknown monitor").arg(d.connector));
                }
            }
            if (d.connector.isEmpty())
                return fail(error, QStringLiteral("a display without connector"));
            if (o.value(QStringLiteral("edid")).toBool(true)) add_edid(c, d);
            if (d.description.isEmpty()) d.description = QStringLiteral("Generic display");
            c.displays.push_back(d);
        }
    }

    const QString state = root.value(QStringLiteral("state_file")).toString();
    if (state.isEmpty()) {
        c.state_file = default_state_file();
    } else {
        c.state_file =
            QFileInfo(state).isAbsolute() ? state : QDir(base_folder).absoluteFilePath(state);
    }
    config = std::move(c);
    return true;
}

int CSimConfig::find_monitor(const QString& name) const {
    for (int i = 0; i < static_cast<int>(monitors.size()); ++i) {
        const CSimMonitorConfig& m = monitors[static_cast<std::size_t>(i)];
        if (m.id == name || QString::fromLatin1(m.setup.serial) == name) return i;
    }
    bool ok = false;
    const int index = name.toInt(&ok);
    return ok && index >= 0 && index < static_cast<int>(monitors.size()) ? index : -1;
}

std::vector<std::unique_ptr<CSimMonitor>> create_monitors(const CSimConfig& config) {
    std::vector<std::unique_ptr<CSimMonitor>> list;
    for (const CSimMonitorConfig& m : config.monitors) {
        const CSimModel* model = find_sim_model(m.model);
        if (m.memories > 0) model = sim_model_with_memories(*model, m.memories);
        auto monitor = std::make_unique<CSimMonitor>(*model, m.setup);
        for (const CSimFaultRule& rule : m.faults)
            monitor->faults().add(rule);
        list.push_back(std::move(monitor));
    }
    return list;
}

}  // namespace sim
