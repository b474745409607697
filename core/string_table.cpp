#include "core/string_table.h"

#include <QObject>

// Every entry goes through the translation lookup with its comment as part of the key; the
// literals must stay inside QObject::tr so that the catalogue tools find them.
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
        case 15:
            return QObject::tr("Copyright (c) Kestrel. All rights reserved.",
                               "STR_RES_ID_ICC_PROFILE_COPYRIGHT_TEXT");
        case 16:
            return QObject::tr("None", "STR_RES_ID_MONITOR_CONFIGURATION_MONITORS_NONE");
        case 17:
            return QObject::tr(".icc", "STR_RES_ID_ICC_FILE_EXTENSION");
        case 18:
            return QObject::tr("Unknown", "STR_RES_ID_UNKNOWN_DISPLAY_NAME");
        case 19:
            return QObject::tr("Unknown Display", "STR_RES_ID_UNKNOWN_DISPLAY_NAME_AND_DISPLAY");
        case 100:
            return QObject::tr("Unknown Error #%1", "STR_RES_ID_ERROR_UNKNOWN_ERROR");
        case 101:
            return QObject::tr("Error: Unable to open the file.",
                               "STR_RES_ID_ERROR_UNABLE_TO_OPEN_FILE");
        case 102:
            return QObject::tr("Error: The file is not of the expected kind.",
                               "STR_RES_ID_ERROR_FILE_WRONG_MAGIC");
        case 103:
            return QObject::tr("Error: The file was written by an unsupported version.",
                               "STR_RES_ID_ERROR_FILE_UNSUPPORTED_VERSION");
        case 104:
            return QObject::tr("Error: Unable to save file.",
                               "STR_RES_ID_ERROR_UNABLE_TO_SAVE_FILE");
        case 105:
            return QObject::tr("Error: The operation could not be completed.",
                               "STR_RES_ID_ERROR_OPERATION_FAILED");
        case 107:
            return QObject::tr("Error: No supported monitor", "STR_RES_ID_ERROR_NO_MONITOR");
        case 111:
            return QObject::tr("Error: The monitor did not accept the new settings.",
                               "STR_RES_ID_ERROR_SETTINGS_NOT_ACCEPTED");
        case 113:
            return QObject::tr("Error: The monitor's color settings could not be read.",
                               "STR_RES_ID_ERROR_UNABLE_TO_READ_COLOR_SETTINGS");
        case 115:
            return QObject::tr(
                "Warning: The selected target could not be reached exactly; the "
                "closest possible settings were used.",
                "STR_RES_ID_WARNING_TARGET_OUT_OF_RANGE");
        case 117:
            return QObject::tr("Error: The target file could not be read.",
                               "STR_RES_ID_ERROR_UNABLE_TO_READ_TARGET_FILE");
        case 119:
            return QObject::tr("Error: The 3D look-up table could not be computed.",
                               "STR_RES_ID_ERROR_UNABLE_TO_COMPUTE_3D_LUT");
        case 121:
            return QObject::tr("Error: The 3D look-up table could not be written to the monitor.",
                               "STR_RES_ID_ERROR_UNABLE_TO_WRITE_3D_LUT");
        case 123:
            return QObject::tr(
                "Error: Unable to save the ICC profile. The file appears to be in "
                "use by another application.",
                "STR_RES_ID_ERROR_UNABLE_TO_CREATE_ICC_PROFILE_FILE_IN_USE");
        case 125:
            return QObject::tr("Error: The ICC profile could not be read.",
                               "STR_RES_ID_ERROR_UNABLE_TO_READ_ICC_PROFILE");
        case 127:
            return QObject::tr(
                "Error: An error occurred while saving the display profile. Make "
                "sure you have write permissions for the default ICC profile "
                "location.\n",
                "STR_RES_ID_ERROR_UNABLE_TO_SAVE_ICC_PROFILE");
        case 131:
            return QObject::tr("Error: Unable to associate ICC profile with display.\n",
                               "STR_RES_ID_ERROR_UNABLE_TO_SET_SYSTEM_PROFILE");
        case 132:
            return QObject::tr(
                "Error: Unable to update the ICC profile <b>%1</b> because the existing file is "
                "locked or you do not have the necessary access privileges. <br><br>Close the "
                "Windows Display Properties window if it is currently open. Navigate to the file "
                "in Windows Explorer and either delete the file, or use the 'Properties' command "
                "in to unlock the file.",
                "STR_RES_ERROR_UNABLE_TO_CREATE_ICC_PROFILE_FILE_IN_USE_WINDOWS");
        case 143:
            return QObject::tr(
                "Error %1: An error occurred while communicating with the display monitor.<br><br>"
                "Please retry the last operation.<br><br>If this problem continues, please check "
                "the README file included with the software and Vantor website for any specific "
                "compatibility issues with your hardware configuration.",
                "STR_RES_ID_ERROR_COMMUNICATING_WITH_MONITOR");
        case 144:
            return QObject::tr("Error: The monitor's 1D look-up tables could not be written.",
                               "STR_RES_ID_ERROR_UNABLE_TO_WRITE_1D_LUT");
        case 146:
            return QObject::tr(
                "Error: The selected profile could not be opened by the color "
                "management system.",
                "STR_RES_ID_ERROR_UNABLE_TO_OPEN_PROFILE");
        case 147:
            return QObject::tr(
                "Error: The color management system could not create the color "
                "transform.",
                "STR_RES_ID_ERROR_UNABLE_TO_CREATE_TRANSFORM");
        case 148:
            return QObject::tr("Error: The selected color matching module is not available.",
                               "STR_RES_ID_ERROR_CMM_NOT_AVAILABLE");
        case 149:
            return QObject::tr(
                "Error: The colors could not be converted by the color management "
                "system.",
                "STR_RES_ID_ERROR_UNABLE_TO_TRANSLATE_COLORS");
        case 151:
            return QObject::tr("Error: The monitor's stored settings could not be restored.",
                               "STR_RES_ID_ERROR_UNABLE_TO_RESTORE_SETTINGS");
        case 152:
            return QObject::tr(
                "The current user does not have file write permissions to the default ICC Color "
                "Profile storage location:<br><tt>%1</tt><br><br>The ICC Color Profile will not be "
                "generated. <br><br>The default ICC Color Profile storage location can be changed "
                "in the Preferences dialog.<br><br>Do you want to proceed anyway?",
                "STR_RES_ICC_PROFILE_PERMISSIONS_WARNING");
        case 156:
            return QObject::tr("Error: Unable to retrieve latest version information. %1.",
                               "STR_RES_ID_ERROR_CANT_GET_UPDATE_INFORMATION");
        case 157:
            return QObject::tr("No newer updates are available. You are using the latest version.",
                               "STR_RES_ID_UPDATE_INFORMATION_NO_NEWER_VERSION_AVAILABLE");
        case 158:
            return QObject::tr("https://updates.kestrel.example/tintwell/updates.txt",
                               "STR_RES_ID_UPDATES_WEB_SERVER_URL");
        case 160:
            return QObject::tr("This will reset all Preferences to default values. Continue?",
                               "STR_RES_ID_WILL_RESET_ALL_PREFERENCES_WARNING");
        case 172:
            return QObject::tr(
                "Unable to communicate with any supported display monitors. Please verify that "
                "your system is supported and confirm that Display Configuration is correct by "
                "selecting <i><b>Display Configuration</b></i> from the <i><b>Edit</b></i> menu. "
                "See the README file and Users Guide for more information.<br>",
                "STR_RES_ID_ERROR_CANT_COMMUNICATE_WITH_SUPPORTED_MONITOR_WINDOWS");
        case 173:
            return QObject::tr(
                "Unable to communicate with any supported display monitors. Please verify that "
                "your system is supported. See the README file and Users Guide for more "
                "information.<br>",
                "STR_RES_ID_ERROR_CANT_COMMUNICATE_WITH_SUPPORTED_MONITOR_MAC");
        case 175:
            return QObject::tr("https://mirror.kestrel.example/tintwell/updates.txt",
                               "STR_RES_ID_UPDATES_WEB_SERVER_BACKUP_URL");
        case 176:
            return QObject::tr(
                "Warning: This will reset the current Picture Mode settings to the "
                "default values.<br>Continue?",
                "STR_RES_ID_WILL_RESET_COLOR_MODE_WARNING");
        case 177:
            return QObject::tr("Error: The selected file is not a valid display profile.",
                               "STR_RES_ID_ERROR_PROFILE_IS_NOT_A_VALID_MONITOR_PROFILE");
        case 178:
            return QObject::tr("Error: The selected file is not a valid printer profile.",
                               "STR_RES_ID_ERROR_PROFILE_IS_NOT_A_VALID_PRINTER_PROFILE");
        case 179:
            return QObject::tr(
                "Error: Unable to correctly communicate with the display using the video "
                "connection to the display monitor.<br><br>Please try connecting a USB cable "
                "between the PC and display (in addition to the video connection).<br><br>Once "
                "connected, change the Display Configuration <img src=\":/images/Resources/edit "
                "small icon.png\">to select the USB connection.",
                "STR_RES_ID_ERROR_COMMUNICATING_WITH_MONITOR_TRY_USB");
        case 303:
            return QObject::tr(" (Unsupported)", "added to monitor name if not supported model");
        case 304:
            return QObject::tr(" (No Communications)",
                               "added to monitor name if no DDC/CI (no capability string read)");
        case 502:
            return QObject::tr("Display %1 - %2",
                               "display list string. %1 is display number, %2 is model name");
        case 604:
            return QObject::tr("Closes in %1 second",
                               "STR_RES_ID_MESSAGE_BOX_MESSAGE_CLOSSES_IN_1_SECOND");
        case 605:
            return QObject::tr("Closes in %1 seconds",
                               "STR_RES_ID_MESSAGE_BOX_MESSAGE_CLOSSES_IN_X_SECONDS");
        case 701:
            return QObject::tr("Reading color settings for %1...",
                               "STR_RES_ID_PROGRESS_READING_COLOR_SETTINGS");
        case 702:
            return QObject::tr("Verifying settings for %1...",
                               "STR_RES_ID_PROGRESS_READING_SETTINGS");
        case 706:
            return QObject::tr("Updating 1D LUTS for %1...", "STR_RES_ID_PROGRESS_WRITING_LUT");
        case 707:
            return QObject::tr(
                "Orvale is about to query the display to synchronize all of the "
                "color settings.<br><br>The display will flash and change color for "
                "approximately 30 seconds.",
                "STR_RES_ID_ABOUT_TO_READ_COLOR_SETTINGS");
        case 708:
            return QObject::tr("Updating 3D LUT for %1...", "STR_RES_ID_PROGRESS_WRITING_LUT");
        case 709:
            return QObject::tr("Adjusting settings for %1...",
                               "STR_RES_ID_PROGRESS_ADJUSTING_SETTINGS");
        case 710:
            return QObject::tr("Restoring previous settings for %1...",
                               "STR_RES_ID_PROGRESS_RESTORING_SETTINGS");
        case 801:
            return QObject::tr("ICC profile created", "STR_RES_ID_MESSAGE_ICC_PROFILE_CREATED");
        case 802:
            return QObject::tr("ICC profile selected in Color Management System",
                               "STR_RES_ID_MESSAGE_ICC_PROFILE_ASSIGNED");
        case 807:
            return QObject::tr(
                "<img src=\":/images/Resources/alerts_red_icon_20.png\">&nbsp;Too High",
                "STR_RES_ID_BRIGHTNESS_HIGH_LIMIT_MESSAGE_TEXT");
        case 808:
            return QObject::tr(
                "<img src=\":/images/Resources/alerts_yellow_icon_11.png\">&nbsp;Reduced CR",
                "STR_RES_ID_BRIGHTNESS_LOW_LIMIT_MESSAGE_TEXT");
        case 809:
            return QObject::tr(
                "<html>The Contrast Ratio has been reduced in order to achieve the "
                "Brightness setting value.</html>",
                "STR_RES_ID_BRIGHTNESS_LOW_LIMIT_TOOL_TIP_TEXT");
        case 810:
            return QObject::tr(
                "<html>The display can not achieve the Brightness setting because "
                "it is too high.<br><br>Note: Allow the display up to 30 minutes "
                "after power on to reach the maximum Brightness.</html>",
                "STR_RES_ID_BRIGHTNESS_HIGH_LIMIT_TOOL_TIP_TEXT");
        case 811:
            return QObject::tr(
                "<img src=\":/images/Resources/alerts_red_icon_20.png\">&nbsp;Too Low",
                "STR_RES_ID_BLACK_LEVEL_LOW_LIMIT_MESSAGE_TEXT");
        case 812:
            return QObject::tr(
                "<html>The display can not achieve the Black Level setting because "
                "it is too low.</html>",
                "STR_RES_ID_BLACK_LEVEL_LOW_LIMIT_MESSAGE_TEXT");
        case 813:
            return QObject::tr(
                "<img src=\":/images/Resources/alerts_yellow_icon_11.png\">&nbsp;Uniformity",
                "STR_RES_ID_BRIGHTNESS_UNIFORMITY_COMPENSATION_LIMIT_MESSAGE_TEXT");
        case 814:
            return QObject::tr(
                "<html>The level of Digital Uniformity Correction applied to the "
                "screen has automatically been reduced in order to achieve the "
                "Brightness setting value.</html>",
                "STR_RES_ID_BRIGHTNESS_UNIFORMITY_COMPENSATION_LIMIT_TOOL_TIP_TEXT");
        case 815:
            return QObject::tr(
                "<img src=\":/images/Resources/alerts_yellow_icon_11.png\">&nbsp;"
                "Brightness Too High",
                "STR_RES_ID_UNIFORMITY_COMPENSATION_ADJUSTMENT_LIMIT_MESSAGE_TEXT");
        case 816:
            return QObject::tr(
                "<html>The selected level of Digital Uniformity Correction applied to the screen "
                "can not be achieved with the current Brightness setting value.<br><br>Either "
                "select a Brightness value below %1 %2, or a lower Digital Uniformity Correction "
                "level.</html>",
                "STR_RES_ID_UNIFORMITY_COMPENSATION_ADJUSTMENT_LIMIT_TOOL_TIP_TEXT");
        case 817:
            // The superscript two is written as a character code so that the source stays ASCII.
            return QObject::tr("cd/m\u00B2", "STR_RES_ID_LUMINANCE_UNITS");
        case 1000:
            return QObject::tr("sRGB", "STR_RES_ID_KX_SERIES_PICTURE_MODE_sRGB");
        case 1001:
            return QObject::tr("AdobeRGB", "STR_RES_ID_KX_SERIES_PICTURE_MODE_AdobeRGB");
        case 1002:
            return QObject::tr("DCI", "STR_RES_ID_KX_SERIES_PICTURE_MODE_DCI");
        case 1003:
            return QObject::tr("REC-Bt709", "STR_RES_ID_KX_SERIES_PICTURE_MODE_RECBT709");
        case 1004:
            return QObject::tr("Native", "STR_RES_ID_KX_SERIES_PICTURE_MODE_HIGHBRIGHT");
        case 1005:
            return QObject::tr("Full", "STR_RES_ID_KX_SERIES_PICTURE_MODE_FULL");
        case 1006:
            return QObject::tr("DICOM", "STR_RES_ID_KX_KX_SERIES_PICTURE_MODE_DICOM");
        case 1007:
            return QObject::tr("Programmable 1", "STR_RES_ID_KX_SERIES_PICTURE_MODE_PROGRAMMABLE1");
        case 1008:
            return QObject::tr("Programmable 2", "STR_RES_ID_KX_SERIES_PICTURE_MODE_PROGRAMMABLE2");
        case 1009:
            return QObject::tr("Programmable 3", "STR_RES_ID_KX_SERIES_PICTURE_MODE_PROGRAMMABLE3");
        case 1010:
            return QObject::tr("Programmable 4", "STR_RES_ID_KX_SERIES_PICTURE_MODE_PROGRAMMABLE4");
        case 1011:
            return QObject::tr("Programmable 5", "STR_RES_ID_KX_SERIES_PICTURE_MODE_PROGRAMMABLE5");
        case 1012:
            return QObject::tr("eciRGB v2", "STR_RES_ID_KX_SERIES_PICTURE_MODE_ECIRGB_V2");
        case 1013:
            return QObject::tr("DICOM Sim", "STR_RES_ID_KX_KX_SERIES_PICTURE_MODE_DICOM_SIM");
        default:
            return QObject::tr("Missing message text", "default text should never see this");
    }
}
