#include "core/error_messages.h"

#include "color/error_codes.h"
#include "core/string_table.h"

namespace {

struct Entry {
    int code;
    int string_id;
    bool warning;
};

constexpr bool C = false;
constexpr bool W = true;
constexpr Entry kTable[] = {
    {-1505, 104, C},
    {ui_error::kFileWrongMagic, 102, C},
    {ui_error::kFileUnsupportedVersion, 103, C},
    {ui_error::kFileOpenFailed, 101, C},
    {-1033, 149, C},
    {-1032, 147, C},
    {-1031, 146, C},
    {-1030, 148, C},
    {-1026, 151, C},
    {-1025, 144, C},
    {ui_error::kAssociationError, 131, W},
    {-1015, 127, W},
    {-1014, 125, C},
    {-1013, 123, W},
    {-1012, 121, C},
    {-1011, 119, C},
    {-1008, 117, C},
    {-1005, 115, W},
    {-1004, 113, C},
    {-1003, 111, C},
    {-1001, 107, C},
    {-1000, 105, C},
};

}  // namespace

bool is_communication_error(int code) {
    // -203 .. -205: the access library's device gone, transfer refused or unanswered, bus held
    // by another program.
    return code == ui_error::kCommunicationError || code == -32 || (code >= -27 && code <= -23) ||
           code == -20 || (code >= -12 && code <= -10) || (code >= -205 && code <= -203);
}

ErrorMessage error_message(int code, bool monitor_is_usb) {
    if (is_communication_error(code)) {
        const int id = monitor_is_usb ? 143 : 179;
        // The USB hint has no place for the code; filling it anyway only draws a warning.
        const QString text = string(id);
        return {id, text.contains(QLatin1String("%1")) ? text.arg(code) : text, false};
    }
    for (const Entry& entry : kTable) {
        if (entry.code == code) return {entry.string_id, string(entry.string_id), entry.warning};
    }
    return {100, string(100).arg(code), false};
}
