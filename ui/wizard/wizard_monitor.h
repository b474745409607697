#pragma once

#include <QObject>

class CDDCMonitor;
class QAbstractSpinBox;
class QWidget;

// What the four adjustment widgets share: the monitor they work on, their error report and the
// timing of their writes.
namespace wizard_monitor {

// Live edits are written this long after the last change, so that a drag or a held arrow key
// costs one write.
constexpr int kWriteDelay = 1000;
// The monitor needs this long after a gamma value or a gamut reset before it reads true again.
constexpr int kSettleWait = 2000;
// What the user is told for any failed read or write.
constexpr int kCommunicationError = -1023;

// The monitor of the controller's current display; null without controller or monitor.
CDDCMonitor* current_monitor();

// The common error box with the communication error.
void show_communication_error(QWidget* parent);

// A chromaticity as the monitor holds it: thousandths, cut (not rounded).
int chromaticity_code(double value);

// Return in the spin box takes the typed value as Tab does (the delayed write) and goes no
// further: in a wizard it would otherwise press Next or Finish, leaving the page (or saving
// the monitor and closing) while the user only meant to enter a number.
void commit_on_return(QAbstractSpinBox* box);

// The wait cursor for as long as it lives.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace wizard_monitor

// Monitor features the adjustment widgets use.
namespace wizard_feature {
constexpr int color_preset = 0x0014;  // the standard colour preset; 11 is the first user preset
constexpr int adjust_233 = 0x0233;    // 1 with every picture-mode switch
constexpr int adjust_254 = 0x0254;    // 0 with every picture-mode switch
constexpr int gamma_type = 0x0268;
constexpr int red_gain = 0x027E;
constexpr int green_gain = 0x027F;
constexpr int blue_gain = 0x0280;
constexpr int brightness = 0x02B3;
constexpr int max_luminance = 0x02B4;
constexpr int gamma_value = 0x02E8;
constexpr int preset = 0x1051;
constexpr int white_x = 0x1052;
constexpr int white_y = 0x1053;
constexpr int black_level = 0x1054;
constexpr int red_x = 0x1055;        // then red y, green x, green y, blue x, blue y
constexpr int metamerism = 0x105C;   // 2 on, 1 off
constexpr int adjust_105d = 0x105D;  // 31 with every picture-mode switch
constexpr int lut_mode = 0x1067;     // 3 while emulation colours are written, then 1
constexpr int custom_mode = 0x1069;  // 1 when a full-custom or display-emulation mode is made
constexpr int uniformity_limit = 0x106C;
constexpr int contrast_limit = 0x106D;
constexpr int black_floor = 0x106E;
constexpr int brightness_floor = 0x106F;
constexpr int reset_gamut = 0x1071;
}  // namespace wizard_feature
