#pragma once

// Every wait the program gives a monitor, and the pages' timers around it, in milliseconds.
// A monitor ignores or misreports a command sent while it still applies the previous one, so
// the protocol waits after its commands and the pages gather their writes. Which feature
// gets which protocol wait after a write is decided in CDDCMonitor::settle_wait alone. The
// platform library's own time-outs (bus locks, colord, instruments) are in
// platform/platform_timing.h.
namespace monitor_timing {

// The protocol.
constexpr int kSaveWaitMs = 2000;
constexpr int kCommand07WaitMs = 5000;
constexpr int kCommand06WaitMs = 2000;
constexpr int kGainWaitMs = 1000;
constexpr int kPresetWaitMs = 1000;
constexpr int kGammaTypeWaitMs = 3000;  // also after the gamma value
constexpr int kRestoreWaitMs = 1000;
constexpr int kMemorySelectWaitMs = 3500;
constexpr int kLuminanceWaitMs = 1000;
constexpr int kPictureSettingWaitMs = 2000;  // preset, metamerism, LUT use
constexpr int kLutModeWaitMs = 4000;         // unless the tables were opened
constexpr int kLutModeCompareWaitMs = 500;   // before comparing the LUT mode with normal
constexpr int kUploadStartWaitMs = 2000;     // before the first table block
constexpr int kTransferModeWaitMs = 500;     // after the transfer mode, before reading tables
constexpr int kLutSlotSelectWaitMs = 3000;   // after choosing the 3D LUT slot

// The pages.
// After a write a page gives the monitor this long before it asks for more.
constexpr int kPageSettleWaitMs = 2000;
// Live edits are written this long after the last change, so that a drag or a held arrow key
// costs one write.
constexpr int kWriteDelayMs = 1000;
// A picture-mode or PIP change is saved into the monitor this long after the last write.
constexpr int kSaveDelayMs = 2000;
constexpr int kSettingsSaveDelayMs = 1000;  // the same on the Settings page
// Pending events are handled for at most this long before a blocking exchange, so that the
// click that caused it is drawn first.
constexpr int kEventProcessingMs = 1000;
constexpr int kStatusClearMs = 8000;        // a profile message stays this long
constexpr int kLimitCheckMs = 5000;         // the brightness limit is checked this often
constexpr int kDeviceChangeDelayMs = 2000;  // a device change is rescanned after this long
constexpr int kFlashHoldMs = 500;           // each step of the display test flash

// Measuring.
// A panel needs this long after a new colour before it shows it steadily (liquid crystal
// response and the backlight's regulation).
constexpr int kPatchSettleWaitMs = 500;

}  // namespace monitor_timing
