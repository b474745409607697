#include "ctl/ctl_commands.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSaveFile>
#include <functional>

#include "comm/ddc_monitor.h"
#include "comm/edid_record.h"
#include "comm/low_level_ddc.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/check_restore_monitor_settings_thread.h"
#include "core/monitor_change_notes.h"
#include "core/picture_mode_controller.h"
#include "core/preferences.h"
#include "core/string_table.h"
#include "core/verify_files.h"
#include "core/verify_run.h"
#include "ctl/ctl_help.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_session.h"
#include "ctl/cube_lut.h"
#include "platform/sim_colorimeter.h"
#include "platform/sim_screen.h"
#include "sim/sim_state.h"

namespace ctl {

namespace {

namespace mf = monitor_feature;
using namespace picture_mode;

constexpr int kMaximumCode = 0xFFFF;
constexpr int kMaximumValue = 0xFFFF;
constexpr int kSlots = 5;
constexpr int kLockedProfileString = 132;

std::optional<int> parse_number(const QString& word, int maximum) {
    bool ok = false;
    int value = 0;
    if (word.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = word.mid(2).toInt(&ok, 16);
    else
        value = word.toInt(&ok, 10);
    // A sign or blanks are not part of a code; toInt would take them.
    if (!ok || word.isEmpty() || !word.front().isDigit() || value < 0 || value > maximum)
        return std::nullopt;
    return value;
}

// The words of a command after its name, with the options it knows taken out.
struct Words {
    QStringList positional;
    QStringList options;
    bool has(const char* option) const { return options.contains(QLatin1String(option)); }
};

struct Command {
    Output& out;
    Words words;
    QString name;

    int bad_input(const QString& message) { return out.fail(message, kExitBadInput); }

    // Opens display `number`'s monitor in `session`; 0 or the exit code of the failure.
    int open(CSession& session, int number) {
        QString why;
        const int result = session.open(number, why);
        if (result == 0) return 0;
        if (result == CTargetDisplay::kUnsupportedMonitor) return out.fail(why, kExitBadInput);
        return out.fail(QStringLiteral("%1 (code %2)").arg(why).arg(result), kExitFailure, result);
    }
    std::optional<int> display_argument(int index) {
        if (index >= words.positional.size()) {
            bad_input(QStringLiteral("%1: a display number is missing").arg(name));
            return std::nullopt;
        }
        const auto number = parse_display(words.positional[index]);
        if (!number)
            bad_input(QStringLiteral("%1: \"%2\" is not a display number (1, 2, ...)")
                          .arg(name, words.positional[index]));
        return number;
    }
    // Before the first write to a monitor's colour settings: the program's stored record of
    // the monitor no longer holds, and the program reads it again before using it.
    static void note_change(CSession& session) {
        if (CDDCMonitor* m = session.monitor())
            monitor_change_notes::note(m->model_name(), m->serial_number());
    }
    int monitor_failure(CSession& session, const QString& what, int code) {
        return out.monitor_failure(QStringLiteral("display %1, %2").arg(number_).arg(what), code,
                                   session.monitor() && session.monitor()->is_usb());
    }
    int number_ = 0;
};

QJsonObject display_json(const CSession& session, int number, const DisplayInfo& info) {
    QJsonObject o{{QStringLiteral("number"), number},
                  {QStringLiteral("name"), info.text1},
                  {QStringLiteral("serial"), info.text2},
                  {QStringLiteral("text"), CSession::selector_text(number, info)},
                  {QStringLiteral("supported"), info.supported_model != 0}};
    if (info.index >= 0) {
        o.insert(QStringLiteral("interface"), info.index);
        o.insert(QStringLiteral("link"),
                 info.writeNames ? QStringLiteral("usb") : QStringLiteral("video"));
    }
    const QString obstacle = session.obstacle(info);
    o.insert(QStringLiteral("controllable"), obstacle.isEmpty());
    if (!obstacle.isEmpty()) o.insert(QStringLiteral("reason"), obstacle);
    return o;
}

int cmd_list(Command& c) {
    if (!c.words.positional.isEmpty())
        return c.bad_input(QStringLiteral("list takes no arguments"));
    CSession session(true);
    QJsonArray displays;
    for (int n = 1; n <= session.display_count(); ++n) {
        const DisplayInfo info = session.display(n);
        displays.append(display_json(session, n, info));
        QString link = QStringLiteral("no monitor interface");
        if (info.index >= 0) {
            link = (info.writeNames ? QStringLiteral("USB") : QStringLiteral("video cable")) +
                   QStringLiteral(" (interface %1)").arg(info.index);
        }
        QString line = CSession::selector_text(n, info).leftJustified(36) + QLatin1Char(' ') + link;
        if (!info.text2.isEmpty()) line += QStringLiteral(", serial ") + info.text2;
        if (const QString obstacle = session.obstacle(info); !obstacle.isEmpty())
            line += QStringLiteral("; not controllable: ") + obstacle;
        c.out.line(line);
    }
    if (session.display_count() == 0) c.out.line(QStringLiteral("no displays found"));
    c.out.data().insert(QStringLiteral("displays"), displays);
    return c.out.finish();
}

QJsonObject edid_json(const DisplayInfo& info, QStringList& lines) {
    CEdidRecord edid;
    std::array<std::uint8_t, 256> bytes{};
    std::copy(info.edid.begin(), info.edid.end(), reinterpret_cast<char*>(bytes.data()));
    if (edid.decode(bytes.data()) != 0) {
        lines << QStringLiteral("EDID: none that decodes");
        return {};
    }
    const QString vendor = QString::fromLatin1(edid.vendor_letters.data(), 3);
    QJsonObject o{
        {QStringLiteral("manufacturer"), vendor},
        {QStringLiteral("product_code"), sim::hex_code(edid.product_code)},
        {QStringLiteral("identifier"), QString::fromStdString(edid.id_text)},
        {QStringLiteral("name"), QString::fromStdString(edid.name_text)},
        {QStringLiteral("serial"), QString::fromStdString(edid.serial_text)},
        {QStringLiteral("version"), QStringLiteral("%1.%2").arg(edid.version).arg(edid.revision)},
        {QStringLiteral("week"), edid.week},
        {QStringLiteral("year"), edid.year},
        {QStringLiteral("digital"), edid.digital_input()},
        {QStringLiteral("size_cm"), QJsonArray{edid.max_h_cm, edid.max_v_cm}},
        {QStringLiteral("gamma"), edid.gamma},
        {QStringLiteral("largest_mode"), QJsonArray{edid.max_width, edid.max_height}},
        {QStringLiteral("preferred_mode"), QJsonArray{edid.preferred_width, edid.preferred_height}},
        {QStringLiteral("chromaticities"),
         QJsonObject{{QStringLiteral("red"), QJsonArray{edid.red_x, edid.red_y}},
                     {QStringLiteral("green"), QJsonArray{edid.green_x, edid.green_y}},
                     {QStringLiteral("blue"), QJsonArray{edid.blue_x, edid.blue_y}},
                     {QStringLiteral("white"), QJsonArray{edid.white_x, edid.white_y}}}},
        {QStringLiteral("extensions"), edid.extension_count},
    };
    lines << QStringLiteral("EDID: %1 \"%2\" serial %3, version %4.%5, made week %6 of %7")
                 .arg(QString::fromStdString(edid.id_text), QString::fromStdString(edid.name_text),
                      QString::fromStdString(edid.serial_text))
                 .arg(edid.version)
                 .arg(edid.revision)
                 .arg(edid.week)
                 .arg(edid.year);
    lines << QStringLiteral(
                 "      %1 input, %2 x %3 cm, gamma %4, largest mode %5 x %6, "
                 "preferred %7 x %8")
                 .arg(edid.digital_input() ? QStringLiteral("digital") : QStringLiteral("analog"))
                 .arg(edid.max_h_cm)
                 .arg(edid.max_v_cm)
                 .arg(edid.gamma, 0, 'f', 2)
                 .arg(edid.max_width)
                 .arg(edid.max_height)
                 .arg(edid.preferred_width)
                 .arg(edid.preferred_height);
    lines << QStringLiteral("      red %1,%2  green %3,%4  blue %5,%6  white %7,%8")
                 .arg(edid.red_x, 0, 'f', 4)
                 .arg(edid.red_y, 0, 'f', 4)
                 .arg(edid.green_x, 0, 'f', 4)
                 .arg(edid.green_y, 0, 'f', 4)
                 .arg(edid.blue_x, 0, 'f', 4)
                 .arg(edid.blue_y, 0, 'f', 4)
                 .arg(edid.white_x, 0, 'f', 4)
                 .arg(edid.white_y, 0, 'f', 4);
    return o;
}

int cmd_info(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() > 1) return c.bad_input(QStringLiteral("info takes one display"));
    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    const DisplayInfo& info = session.opened();
    QJsonObject& o = c.out.data();
    o.insert(QStringLiteral("display"), display_json(session, *number, info));

    const int read = m.read_capabilities();
    if (read < 0) return c.monitor_failure(session, QStringLiteral("capability string"), read);
    double hours = 0;
    if (const int r = m.operating_hours(hours); r != 0)
        return c.monitor_failure(session, QStringLiteral("operating hours"), r);
    const QString model = m.model_name();
    const QString serial = m.serial_number();
    const QString firmware = m.firmware_version();
    o.insert(QStringLiteral("model"), model);
    o.insert(QStringLiteral("serial"), serial);
    o.insert(QStringLiteral("firmware"), firmware);
    o.insert(QStringLiteral("operating_hours"), hours);
    c.out.line(CSession::selector_text(*number, info));
    c.out.line(QStringLiteral("model: %1").arg(model));
    c.out.line(QStringLiteral("serial number: %1").arg(serial));
    c.out.line(QStringLiteral("firmware: %1").arg(firmware));
    c.out.line(QStringLiteral("operating hours: %1").arg(hours, 0, 'f', 1));
    c.out.line(QStringLiteral("link: %1, interface %2")
                   .arg(m.is_usb() ? QStringLiteral("USB") : QStringLiteral("video cable"))
                   .arg(info.index));

    QStringList edid_lines;
    const QJsonObject edid = edid_json(info, edid_lines);
    if (!edid.isEmpty()) o.insert(QStringLiteral("edid"), edid);
    for (const QString& l : edid_lines)
        c.out.line(l);

    std::array<char, CDDCMonitor::kCapabilitySize> text{};
    m.copy_capabilities(text.data(), static_cast<int>(text.size()));
    const CCapabilityRecord& caps = m.capability_record();
    QJsonArray codes;
    QStringList code_words;
    for (const std::int32_t code : caps.vcp_codes) {
        QJsonObject entry{{QStringLiteral("code"), sim::hex_code(code)}};
        QString word = QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
        if (caps.has_value_list(code)) {
            QJsonArray values;
            QStringList listed;
            for (const std::int32_t v : caps.values(code)) {
                values.append(v);
                listed << QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
            }
            entry.insert(QStringLiteral("values"), values);
            word += QLatin1Char('(') + listed.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
        codes.append(entry);
        code_words << word;
    }
    o.insert(QStringLiteral("capabilities"),
             QJsonObject{{QStringLiteral("text"), QString::fromLatin1(text.data())},
                         {QStringLiteral("type"), QString::fromStdString(caps.type)},
                         {QStringLiteral("mccs"), QString::fromStdString(caps.mccs_ver)},
                         {QStringLiteral("vcp"), codes},
                         {QStringLiteral("gamma_table_size"), caps.size}});
    c.out.line(QStringLiteral("capability string: %1").arg(QString::fromLatin1(text.data())));
    c.out.line(QStringLiteral("  type %1, MCCS %2, gamma table %3 entries")
                   .arg(QString::fromStdString(caps.type), QString::fromStdString(caps.mccs_ver))
                   .arg(caps.size));
    c.out.line(QStringLiteral("  VCP codes: %1").arg(code_words.join(QLatin1Char(' '))));

    const CLinkCounters link = low_level_ddc::interface_counters(info.index);
    o.insert(QStringLiteral("link"),
             QJsonObject{{QStringLiteral("interface"), info.index},
                         {QStringLiteral("usb"), m.is_usb()},
                         {QStringLiteral("exchanges"), link.exchanges},
                         {QStringLiteral("retries"), link.retries},
                         {QStringLiteral("null_replies"), link.null_replies},
                         {QStringLiteral("checksum_errors"), link.checksum_errors},
                         {QStringLiteral("failed_operations"), link.failed_operations}});
    c.out.line(QStringLiteral("link figures (this run): %1 exchanges, %2 retries, %3 null "
                              "replies, %4 checksum errors, %5 failed operations")
                   .arg(link.exchanges)
                   .arg(link.retries)
                   .arg(link.null_replies)
                   .arg(link.checksum_errors)
                   .arg(link.failed_operations));
    return c.out.finish();
}

int cmd_get(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() < 2)
        return c.bad_input(QStringLiteral("get: name at least one feature code"));
    std::vector<int> codes;
    for (int i = 1; i < c.words.positional.size(); ++i) {
        const auto code = parse_code(c.words.positional[i]);
        if (!code)
            return c.bad_input(QStringLiteral("get: \"%1\" is not a feature code (0 to 0xFFFF)")
                                   .arg(c.words.positional[i]));
        codes.push_back(*code);
    }
    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    QJsonArray features;
    for (const int code : codes) {
        int value = 0, maximum = 0;
        if (const int r = m.get_value_max(code, value, maximum); r != 0)
            return c.monitor_failure(session, QStringLiteral("feature %1").arg(sim::hex_code(code)),
                                     r);
        features.append(QJsonObject{{QStringLiteral("code"), sim::hex_code(code)},
                                    {QStringLiteral("value"), value},
                                    {QStringLiteral("maximum"), maximum}});
        c.out.line(
            QStringLiteral("%1  %2 (max %3)").arg(sim::hex_code(code)).arg(value).arg(maximum));
    }
    c.out.data().insert(QStringLiteral("display"), *number);
    c.out.data().insert(QStringLiteral("features"), features);
    return c.out.finish();
}

int cmd_set(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() != 3)
        return c.bad_input(QStringLiteral("set: give a display, a feature code and a value"));
    const auto code = parse_code(c.words.positional[1]);
    if (!code)
        return c.bad_input(QStringLiteral("set: \"%1\" is not a feature code (0 to 0xFFFF)")
                               .arg(c.words.positional[1]));
    const auto value = parse_value(c.words.positional[2]);
    if (!value)
        return c.bad_input(
            QStringLiteral("set: \"%1\" is not a value (0 to 65535)").arg(c.words.positional[2]));
    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    int current = 0, maximum = 0;
    if (const int r = m.get_value_max(*code, current, maximum); r != 0)
        return c.monitor_failure(session, QStringLiteral("feature %1").arg(sim::hex_code(*code)),
                                 r);
    if (*value > maximum) {
        return c.bad_input(QStringLiteral("set: %1 is above the maximum %2 of feature %3; "
                                          "nothing was written")
                               .arg(*value)
                               .arg(maximum)
                               .arg(sim::hex_code(*code)));
    }
    // A list of one entry: the write gets the monitor model's settle wait for this feature.
    CMonitorSettingList list{CMonitorSetting{CMonitorSetting::kWrite, *code, *value, 0, 0}};
    Command::note_change(session);
    m.apply_settings(list);
    if (const int r = list.front().result; r != 0)
        return c.monitor_failure(session, QStringLiteral("feature %1").arg(sim::hex_code(*code)),
                                 r);
    const int taken = list.front().value;
    bool saved = false;
    if (!c.words.has("--no-save")) {
        if (const int r = m.save_settings(); r != 0)
            return c.monitor_failure(session, QStringLiteral("save"), r);
        saved = true;
    }
    c.out.data() = QJsonObject{
        {QStringLiteral("display"), *number},  {QStringLiteral("code"), sim::hex_code(*code)},
        {QStringLiteral("requested"), *value}, {QStringLiteral("value"), taken},
        {QStringLiteral("previous"), current}, {QStringLiteral("maximum"), maximum},
        {QStringLiteral("saved"), saved}};
    c.out.line(QStringLiteral("%1  %2 (was %3, max %4)%5")
                   .arg(sim::hex_code(*code))
                   .arg(taken)
                   .arg(current)
                   .arg(maximum)
                   .arg(taken != *value
                            ? QStringLiteral("; the monitor took %1 for %2").arg(taken).arg(*value)
                            : QString()));
    return c.out.finish();
}

// What a failed or refused profile step says.
QString spec_problem(SpecResult spec) {
    switch (spec) {
        case SpecResult::needs_curves:
        case SpecResult::invalid_curves:
            return QStringLiteral("the programmable mode's tone curves could not be read");
        case SpecResult::no_colorimetry:
            return QStringLiteral("the mode reports no usable chromaticities");
        case SpecResult::no_folder:
            return QStringLiteral("the colour directory is unknown");
        case SpecResult::ready:
            break;
    }
    return QString();
}

// The Picture Mode page's steps on the opened monitor. A locked old profile has no one to ask
// on a command line: the message says what to do and the run fails.
CPictureModeController picture_mode_controller(CSession& session) {
    CPictureModeController::Hooks hooks;
    hooks.read_curves = [&session](CCurveSet& set) {
        return CheckRestoreMonitorSettingsThread::read_curves(*session.monitor(), set.red,
                                                              set.green, set.blue);
    };
    hooks.retry_locked = [](const QString&) { return false; };
    return CPictureModeController(
        [&session] {
            return CPictureModeController::Target{session.monitor(), &session.records(),
                                                  &session.opened()};
        },
        hooks);
}

// The page works on the record the program synchronised when the display was selected. The
// tool cannot synchronise (every memory read with the screen flashing), so without the
// program's record it keeps one of its own for this run, holding what the monitor reports
// for the active memory; 0 or the monitor's error.
int ensure_record(CSession& session, CPictureModeController& controller) {
    CMonitorEntry entry;
    if (controller.lookup_record(entry)) return 0;
    CMonitorEntry own;
    own.modelName = entry.modelName;
    own.serialNumber = entry.serialNumber;
    session.records().store(own);
    return controller.refresh_record_item();
}

// The profile of the active mode, as the Picture Mode page makes it after a reset: the
// record's item of the active memory read again first; 0 or the exit code.
int make_profile(Command& c, CSession& session, QJsonObject& result) {
    CDDCMonitor& m = *session.monitor();
    const auto failed = [&](const QString& what, int code) {
        return c.monitor_failure(session, what, code);
    };
    CPictureModeController controller = picture_mode_controller(session);
    if (const int r = ensure_record(session, controller); r != 0)
        return failed(QStringLiteral("mode settings"), r);
    if (const int r = controller.refresh_record_item(); r != 0)
        return failed(QStringLiteral("mode settings"), r);
    CPictureModeController::ProfileLevels levels;
    int unused = 0;
    if (const int r = m.get_value_max(mf::luminance, levels.brightness, unused); r != 0)
        return failed(QStringLiteral("brightness"), r);
    if (const int r = m.get_value_max(mf::black_level, levels.black_level, unused); r != 0)
        return failed(QStringLiteral("black level"), r);
    if (const int r = m.get_value(mf::black_level_minimum, levels.black_limit);
        r != 0 && r != CDDCMonitor::kUnsupported) {
        return failed(QStringLiteral("black limit"), r);
    }

    const CPictureModeController::ActiveModeProfile profile =
        controller.profile_active_mode(levels);
    using Step = CPictureModeController::ProfileStep;
    if (profile.step == Step::not_read) return failed(QStringLiteral("memory"), profile.read_error);
    result.insert(QStringLiteral("memory"), profile.memory);
    result.insert(QStringLiteral("preset"), profile.preset);
    const QString label = controller.label_of_preset(profile.preset);
    if (profile.step != Step::made) {
        return c.out.fail(QStringLiteral("no profile for memory %1 (%2): the monitor changed its "
                                         "mode while it was read")
                              .arg(profile.memory)
                              .arg(label),
                          kExitFailure);
    }
    const ProfileResult& made = profile.result;
    if (!made.path.isEmpty()) result.insert(QStringLiteral("path"), made.path);
    switch (made.outcome) {
        case ProfileOutcome::updated:
        case ProfileOutcome::calibrated_selected:
            result.insert(QStringLiteral("outcome"), made.outcome == ProfileOutcome::updated
                                                         ? QStringLiteral("updated")
                                                         : QStringLiteral("calibrated"));
            c.out.line(QStringLiteral("%1 (memory %2, %3): %4")
                           .arg(outcome_text(made.outcome))
                           .arg(profile.memory)
                           .arg(label, made.path));
            return 0;
        case ProfileOutcome::unchanged:
            result.insert(QStringLiteral("outcome"), QStringLiteral("unchanged"));
            c.out.line(QStringLiteral("the display's profile already describes memory %1 (%2)")
                           .arg(profile.memory)
                           .arg(label));
            return 0;
        case ProfileOutcome::calibrated_missing:
            return c.out.fail(outcome_text(made.outcome), kExitFailure);
        case ProfileOutcome::not_possible:
            return c.out.fail(QStringLiteral("no profile for memory %1 (%2): %3")
                                  .arg(profile.memory)
                                  .arg(label, spec_problem(made.spec)),
                              kExitFailure);
        case ProfileOutcome::ignored:
            return c.out.fail(
                plain_text(string(kLockedProfileString).arg(QDir::toNativeSeparators(made.path))) +
                    QStringLiteral(" (code %1)").arg(made.code),
                kExitFailure, made.code);
        case ProfileOutcome::write_failed:
        case ProfileOutcome::associate_failed:
            return c.out.monitor_failure(QStringLiteral("profile %1").arg(made.path),
                                         outcome_error(made), m.is_usb());
    }
    return 0;
}

int cmd_profile(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() > 1)
        return c.bad_input(QStringLiteral("profile takes one display"));
    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    QJsonObject result{{QStringLiteral("display"), *number}};
    if (const int r = make_profile(c, session, result)) return r;
    c.out.data() = result;
    return c.out.finish();
}

// Measures the active mode against its own target. A command line has no window to show the
// patches in, so only a simulated monitor, whose screen the simulated colorimeter reads, can be
// verified from here.
int cmd_verify(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() > 1)
        return c.bad_input(QStringLiteral("verify takes one display"));
    c.number_ = *number;
    sim::CSimConfig config;
    QString config_error;
    if (!sim::CSimConfig::from_environment(config, &config_error)) {
        return c.out.fail(
            QStringLiteral(
                "verify: orvale-ctl can measure simulated monitors only; to verify a "
                "real monitor with an instrument use Verify... on the Picture Mode page"),
            kExitFailure);
    }
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    verify::ActiveMode mode;
    QString what;
    if (const int r = verify::read_active_mode(m, mode, what); r != 0)
        return c.monitor_failure(session, what, r);
    CModeTarget target;
    if (verify::mode_target(mode, target) != verify::TargetResult::ready) {
        return c.out.fail(
            QStringLiteral("verify: the active mode (memory %1) has no target to measure against")
                .arg(mode.memory),
            kExitFailure);
    }
    const QByteArray serial = m.serial_number().toLatin1();
    // What the simulated screen draws, 8 bits per channel: the targets are of that.
    const auto patches = verify::as_drawn(verify::standard_patches(),
                                          platform::CSimScreen::instance().bits_per_channel());
    platform::CSimColorimeter meter(config, serial);
    verify::CVerificationRun run(meter, [&serial](const verify::Patch* p) {
        if (p)
            platform::CSimScreen::instance().show(serial, p->signal);
        else
            platform::CSimScreen::instance().clear(serial);
    });
    std::vector<CCIEXYZ> readings;
    if (const int r = run.run(patches, readings); r != 0)
        return c.out.fail(QStringLiteral("verify: %1").arg(run.error_text()), kExitFailure, r);
    verify::Report report = verify::compute_report(patches, verify::mode_targets(target, patches),
                                                   readings, verify::Thresholds());
    report.monitor = m.model_name() + QLatin1Char(' ') + m.serial_number();
    report.mode = QStringLiteral("memory %1, %2")
                      .arg(mode.memory)
                      .arg(picture_mode_controller(session).label_of_preset(mode.item.preset()));
    report.instrument = meter.description();
    report.measured = QDateTime::currentDateTimeUtc();
    c.out.data() = verify::report_json(report);
    c.out.data().insert(QStringLiteral("display"), *number);
    c.out.line(QStringLiteral("%1, %2").arg(report.monitor, report.mode));
    c.out.line(QStringLiteral("instrument: %1").arg(report.instrument));
    for (const verify::PatchResult& row : report.rows) {
        c.out.line(
            QStringLiteral("%1  dE2000 %2").arg(row.patch.name, -16).arg(row.delta_e, 6, 'f', 2));
    }
    c.out.line(QStringLiteral("average %1, 95th percentile %2, maximum %3 (%4)")
                   .arg(report.average, 0, 'f', 2)
                   .arg(report.percentile95, 0, 'f', 2)
                   .arg(report.maximum, 0, 'f', 2)
                   .arg(report.worst));
    c.out.line(QStringLiteral("white %1 cd/m2, black %2 cd/m2, contrast %3:1, white point error "
                              "%4 u'v'")
                   .arg(report.white_luminance, 0, 'f', 1)
                   .arg(report.black_luminance, 0, 'f', 3)
                   .arg(report.contrast, 0, 'f', 0)
                   .arg(report.white_point_error, 0, 'f', 4));
    c.out.line(report.passed() ? QStringLiteral("passed") : QStringLiteral("failed"));
    return c.out.finish();
}

int cmd_mode(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    if (c.words.positional.size() > 2)
        return c.bad_input(QStringLiteral("mode: give a display and at most one memory"));
    std::optional<int> wanted;
    if (c.words.positional.size() == 2) {
        wanted = parse_display(c.words.positional[1]);
        if (!wanted || *wanted > kSlots)
            return c.bad_input(
                QStringLiteral("mode: \"%1\" is not a memory (1 to 5)").arg(c.words.positional[1]));
    }
    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    int active = 0, count = 0;
    if (const int r = m.get_value_max(mf::memory_select, active, count); r != 0)
        return c.monitor_failure(session, QStringLiteral("memory"), r);
    QJsonObject& o = c.out.data();
    o.insert(QStringLiteral("display"), *number);

    if (wanted) {
        if (*wanted > count)
            return c.bad_input(QStringLiteral("mode: this monitor has memories 1 to %1, not %2")
                                   .arg(count)
                                   .arg(*wanted));
        Command::note_change(session);
        const MemorySelection done = picture_mode_controller(session).select_memory(*wanted);
        if (done.select != 0)
            return c.monitor_failure(session, QStringLiteral("memory"), done.select);
        if (done.save != 0) return c.monitor_failure(session, QStringLiteral("save"), done.save);
        active = *wanted;
        o.insert(QStringLiteral("selected"), active);
        c.out.line(QStringLiteral("memory %1 selected").arg(active));
        const Preferences preferences(Preferences::Access::read_only);
        if (preferences.auto_manage_icc_profiles() && !c.words.has("--no-profile")) {
            QJsonObject profile;
            if (const int r = make_profile(c, session, profile)) return r;
            o.insert(QStringLiteral("profile"), profile);
        }
        return c.out.finish();
    }

    // The memories as the page's buttons name them.
    CPictureModeController controller = picture_mode_controller(session);
    if (const int r = ensure_record(session, controller); r != 0)
        return c.monitor_failure(session, QStringLiteral("mode settings"), r);
    const QStringList labels = controller.memory_labels(active, count);
    CMonitorEntry entry;
    controller.lookup_record(entry);
    QJsonArray memories;
    for (int memory = 1; memory <= count; ++memory) {
        const QString& label = labels[memory - 1];
        QJsonObject item{{QStringLiteral("memory"), memory},
                         {QStringLiteral("label"), label},
                         {QStringLiteral("active"), memory == active}};
        if (const CModeSettings* named = entry.adjust.findModeSettings(memory))
            item.insert(QStringLiteral("preset"), named->preset());
        memories.append(item);
        c.out.line(QStringLiteral("%1 %2  %3")
                       .arg(memory == active ? QLatin1Char('*') : QLatin1Char(' '))
                       .arg(memory)
                       .arg(label));
    }
    o.insert(QStringLiteral("active"), active);
    o.insert(QStringLiteral("memories"), memories);
    return c.out.finish();
}

bool write_text(const QString& path, const std::string& text, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

// Runs `work` with the 3D LUT slot selector on `slot`, and puts the active memory's own slot
// back afterwards, so that loading a slot does not change what the active mode shows.
int with_slot(CDDCMonitor& m, int slot, int& previous, const std::function<int()>& work) {
    int maximum = 0;
    if (const int r = m.get_value_max(mf::lut_slot, previous, maximum); r != 0) return r;
    const int result = work();
    if (previous == slot) return result;
    int back = previous;
    const int restored = m.set_value(mf::lut_slot, back);
    if (restored == 0) m.wait(monitor_timing::kLutSlotSelectWaitMs);
    return result != 0 ? result : restored;
}

int cmd_lut(Command& c) {
    const auto number = c.display_argument(0);
    if (!number) return kExitBadInput;
    const bool dump = c.words.has("--dump");
    if (c.words.positional.size() < 2)
        return c.bad_input(QStringLiteral("lut: give a display and a slot (1 to 5)"));
    const auto slot = parse_display(c.words.positional[1]);
    if (!slot || *slot > kSlots)
        return c.bad_input(
            QStringLiteral("lut: \"%1\" is not a slot (1 to 5)").arg(c.words.positional[1]));
    const QString file = c.words.positional.value(2);
    if (c.words.positional.size() > 3 || (!dump && file.isEmpty()))
        return c.bad_input(dump ? QStringLiteral("lut: --dump takes at most one file")
                                : QStringLiteral("lut: name the .cube file to load"));

    // The file is read before the monitor is touched: a file that does not read writes nothing.
    std::vector<std::int32_t> points;
    if (!dump) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return c.out.fail(QStringLiteral("lut: cannot read %1: %2").arg(file, in.errorString()),
                              kExitBadInput);
        const QByteArray text = in.readAll();
        cube::CubeLut lut;
        QString error;
        if (!cube::parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                         lut, error)) {
            return c.bad_input(QStringLiteral("lut: %1: %2").arg(file, error));
        }
        points = cube::resample(lut);
    }

    c.number_ = *number;
    CSession session(false);
    if (const int r = c.open(session, *number)) return r;
    CDDCMonitor& m = *session.monitor();
    int slot_count = 0, current = 0;
    if (const int r = m.get_value_max(mf::lut_slot, current, slot_count); r != 0)
        return c.monitor_failure(session, QStringLiteral("3D LUT slot"), r);
    if (*slot > slot_count)
        return c.bad_input(QStringLiteral("lut: this monitor has slots 1 to %1, not %2")
                               .arg(slot_count)
                               .arg(*slot));
    QJsonObject& o = c.out.data();
    o.insert(QStringLiteral("display"), *number);
    o.insert(QStringLiteral("slot"), *slot);
    o.insert(QStringLiteral("nodes"), cube::kMonitorNodes);
    int previous = 0;
    if (!dump) {
        Command::note_change(session);
        const int r =
            with_slot(m, *slot, previous, [&] { return m.write_lut_to_slot(*slot, points); });
        if (r != 0)
            return c.monitor_failure(session, QStringLiteral("3D LUT slot %1").arg(*slot), r);
        if (const int s = m.save_settings(); s != 0)
            return c.monitor_failure(session, QStringLiteral("save"), s);
        o.insert(QStringLiteral("loaded"), file);
        c.out.line(QStringLiteral("slot %1 loaded from %2 (9 x 9 x 9)").arg(*slot).arg(file));
        return c.out.finish();
    }

    points.assign(3 * cube::kMonitorNodes * cube::kMonitorNodes * cube::kMonitorNodes, 0);
    const int r = with_slot(m, *slot, previous, [&]() -> int {
        if (previous != *slot) {
            int value = *slot;
            if (const int s = m.set_value(mf::lut_slot, value); s != 0) return s;
            m.wait(monitor_timing::kLutSlotSelectWaitMs);
        }
        return m.read_lut(points, cube::kMonitorNodes);
    });
    if (r != 0) return c.monitor_failure(session, QStringLiteral("3D LUT slot %1").arg(*slot), r);
    const QString title =
        QStringLiteral("%1 %2 slot %3").arg(m.model_name(), m.serial_number()).arg(*slot);
    const std::string text = cube::write(points, cube::kMonitorNodes, title);
    if (!file.isEmpty()) {
        QString error;
        if (!write_text(file, text, error))
            return c.out.fail(QStringLiteral("lut: cannot write %1: %2").arg(file, error),
                              kExitFailure);
        o.insert(QStringLiteral("written"), file);
        c.out.line(QStringLiteral("slot %1 written to %2").arg(*slot).arg(file));
        return c.out.finish();
    }
    if (c.out.json()) {
        QJsonArray rows;
        for (std::size_t i = 0; i + 2 < points.size(); i += 3)
            rows.append(QJsonArray{points[i], points[i + 1], points[i + 2]});
        o.insert(QStringLiteral("values"), rows);
        return c.out.finish();
    }
    c.out.out() << QString::fromStdString(text);
    return c.out.finish();
}

struct Entry {
    const char* name;
    int (*run)(Command&);
    QStringList options;
};

}  // namespace

std::optional<int> parse_display(const QString& word) {
    const auto n = parse_number(word, 1 << 20);
    if (!n || *n < 1) return std::nullopt;
    return n;
}

std::optional<int> parse_code(const QString& word) {
    return parse_number(word, kMaximumCode);
}

std::optional<int> parse_value(const QString& word) {
    return parse_number(word, kMaximumValue);
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const Entry commands[] = {
        {"list", cmd_list, {}},
        {"info", cmd_info, {}},
        {"get", cmd_get, {}},
        {"set", cmd_set, {QStringLiteral("--no-save")}},
        {"mode", cmd_mode, {QStringLiteral("--no-profile")}},
        {"profile", cmd_profile, {}},
        {"lut", cmd_lut, {QStringLiteral("--dump")}},
        {"verify", cmd_verify, {}},
    };
    QStringList args = arguments;
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    const bool help =
        args.removeAll(QStringLiteral("--help")) + args.removeAll(QStringLiteral("-h")) > 0;
    Output output(out, err, json);
    if (args.isEmpty()) {
        (help ? out : err) << usage();
        return help ? kExitOk : kExitBadInput;
    }
    QString name = args.takeFirst();
    if (name == QLatin1String("help")) {
        if (args.isEmpty()) {
            out << usage();
            return kExitOk;
        }
        name = args.takeFirst();
        const QString text = command_help(name);
        if (text.isEmpty())
            return output.fail(QStringLiteral("no command \"%1\"").arg(name), kExitBadInput);
        out << text;
        return kExitOk;
    }
    for (const Entry& entry : commands) {
        if (name != QLatin1String(entry.name)) continue;
        if (help) {
            out << command_help(name);
            return kExitOk;
        }
        Command command{output, {}, name};
        for (const QString& word : args) {
            if (word.startsWith(QLatin1String("--"))) {
                if (!entry.options.contains(word))
                    return output.fail(
                        QStringLiteral("%1: unknown option %2 (see orvale-ctl help %1)")
                            .arg(name, word),
                        kExitBadInput);
                command.words.options << word;
            } else {
                command.words.positional << word;
            }
        }
        return entry.run(command);
    }
    return output.fail(QStringLiteral("no command \"%1\" (see orvale-ctl --help)").arg(name),
                       kExitBadInput);
}

}  // namespace ctl
