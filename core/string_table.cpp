#include "core/string_table.h"

#include <QObject>

QString string(int id) {
    switch (id) {
        case 1:
            return QObject::tr("Orvale", "STR_RES_ID_APPLICATION_NAME");
        case 9:
            return QObject::tr("/Targets/", "STR_RES_ID_DEFAULT_TARGET_FILE_FOLDER_NAME");
        case 11:
            return QObject::tr("Kestrel", "STR_RES_ID_COMPANY_NAME");
        case 12:
            return QStringLiteral("preferences.dat");
        case 13:
            return QObject::tr("config.dat", "STR_RES_ID_SETTINGS_FILE_NAME");
        case 14:
            return QObject::tr(":/images/Resources/splashtw.png",
                               "STR_RES_ID_SPLASHSCREEN_FILE_NAME");
        case 19:
            return QObject::tr("Unknown Display", "STR_RES_ID_UNKNOWN_DISPLAY_NAME_AND_DISPLAY");
        case 303:
            return QObject::tr(" (Unsupported)",
                               "added to monitor name if not supported model");
        case 304:
            return QObject::tr(" (No Communications)",
                               "added to monitor name if no DDC/CI (no capability string read)");
        case 502:
            return QObject::tr("Display %1 - %2",
                               "display list string. %1 is display number, %2 is model name");
        default:
            return QObject::tr("Missing message text", "default text should never see this");
    }
}
