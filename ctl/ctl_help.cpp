#include "ctl/ctl_help.h"

namespace ctl {

QString usage() {
    return QStringLiteral(
        "usage: orvale-ctl [--json] COMMAND [ARGUMENTS]\n"
        "Controls the monitors Orvale controls, from the command line.\n"
        "\n"
        "  list                     every display and monitor, as the main window lists them\n"
        "  info N                   model, serial, firmware, hours, EDID, capabilities, link\n"
        "  get N CODE...            read features (value and maximum)\n"
        "  set N CODE VALUE         write a feature, then save the monitor's settings\n"
        "  mode N [MEMORY]          show the picture-mode memories, or select one\n"
        "  profile N                write and associate the active mode's ICC profile\n"
        "  lut N SLOT FILE          load a .cube 3D LUT into Programmable slot SLOT\n"
        "  lut N SLOT --dump [FILE] write the slot out as a .cube file (stdout without FILE)\n"
        "  verify N                 measure the active mode against its target (simulated)\n"
        "\n"
        "N is the display number of the main window's selector. CODE is a feature code as\n"
        "page * 256 + VCP code, decimal or hexadecimal with 0x (0x10, 0x1051, 0x02B3, 16).\n"
        "--json prints one JSON object instead of lines. \"orvale-ctl help COMMAND\" or\n"
        "\"orvale-ctl COMMAND --help\" describes a command.\n"
        "\n"
        "Exit status: 0 done, 1 the monitor, the colour system or a file failed, 2 bad input.\n"
        "With ORVALE_SIM_CONFIG set, the simulated monitors come first (see orvale-sim).\n");
}

QString command_help(const QString& command) {
    if (command == QLatin1String("list"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] list\n"
            "Lists every display with its number, name and suffix as the main window's\n"
            "display selector shows them, the interface that reaches its monitor (USB or the\n"
            "video cable) and, for a monitor that cannot be controlled, why. Every supported\n"
            "monitor is asked whether it answers.\n");
    if (command == QLatin1String("info"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] info N\n"
            "Shows display N's monitor: model, serial number, firmware, operating hours, the\n"
            "decoded EDID, the capability string (as read and as parsed) and the link's\n"
            "figures for this run (exchanges, retries, null replies, checksum errors, failed\n"
            "operations).\n");
    if (command == QLatin1String("get"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] get N CODE...\n"
            "Reads each feature's value and maximum. CODE is page * 256 + VCP code, 0 to\n"
            "0xFFFF: 0x1051 (picture mode), 0x02B3 (brightness in cd/m2), 16 (brightness %).\n"
            "A feature the monitor lacks fails with code -1027.\n");
    if (command == QLatin1String("set"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] set N CODE VALUE [--no-save]\n"
            "Writes VALUE (0 to the feature's maximum) to the feature with the monitor's\n"
            "settle wait for it, reports what the monitor took, and saves the monitor's\n"
            "settings (not with --no-save). A value above the maximum writes nothing.\n");
    if (command == QLatin1String("mode"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] mode N [MEMORY] [--no-profile]\n"
            "Without MEMORY, shows the picture-mode memories labelled as the Picture Mode\n"
            "page labels its buttons: by the program's record, with the active memory's preset\n"
            "as the monitor reports it; \"Mode N\" where the record names none (without the\n"
            "program's record only the active memory is named).\n"
            "With MEMORY (1 to the monitor's number of memories), selects it as the Picture\n"
            "Mode page does: the write, the settle wait, the save; then, when the program's\n"
            "preference to create and manage ICC display profiles is on, the profile of the\n"
            "new mode as \"profile\" makes it (not with --no-profile).\n");
    if (command == QLatin1String("profile"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] profile N\n"
            "Writes the ICC display profile of the active picture mode into the colour\n"
            "directory and associates it with display N, as the Picture Mode page does. A mode\n"
            "calibrated on the monitor gets the profile made at its calibration time instead.\n"
            "Nothing is written when the display's profile was made for the same mode and its\n"
            "colours have not changed since (\"unchanged\").\n");
    if (command == QLatin1String("lut"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] lut N SLOT FILE\n"
            "       orvale-ctl [--json] lut N SLOT --dump [FILE]\n"
            "Loads a 3D LUT in the .cube text format (any LUT_3D_SIZE from 2 to 256, values 0\n"
            "to 1) into Programmable slot SLOT (1 to 5): resampled to the monitor's 9 x 9 x 9\n"
            "grid by trilinear interpolation and scaled to 0..1020. The active memory keeps\n"
            "the slot it uses. A file that does not read as a .cube LUT writes nothing.\n"
            "--dump writes the slot's 9 x 9 x 9 table out as .cube, to FILE or stdout.\n");
    if (command == QLatin1String("verify"))
        return QStringLiteral(
            "usage: orvale-ctl [--json] verify N\n"
            "Shows the verification patches (grayscale, primaries and secondaries, the colour\n"
            "checker chart) on display N, reads each with the simulated colorimeter after the\n"
            "settle time and reports the CIEDE2000 differences from the active mode's target,\n"
            "the white and black, and whether the default limits are met. Simulated monitors\n"
            "only: real ones are verified with Verify... on the Picture Mode page.\n");
    return QString();
}

}  // namespace ctl
