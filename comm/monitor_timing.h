#pragma once

// Every wait the program gives a monitor, and the pages' timers around it, in milliseconds
// (the one count in seconds says so in its name). A monitor ignores or misreports a command
// sent while it still applies the previous one, so the link pauses within each exchange, the
// protocol waits after its commands and the pages gather their writes. Which feature gets
// which protocol wait after a write is decided in CDDCMonitor::settle_wait alone. The
// platform library's own time-outs (bus locks, colord, instruments) are in
// platform/platform_timing.h.
namespace monitor_timing {

// The link: the pauses inside one DDC/CI exchange and between its attempts.
// A request's reply is read this long after it was sent, 50 ms longer at each further
// attempt; the same pause follows a failed read.
constexpr int kReplyDelayBaseMs = 50;
constexpr int kReplyDelayStepMs = 50;
// A failed write is tried again after 50, 250, 450, 650, 850 ms, giving a monitor busy with
// an earlier command time to recover.
constexpr int kSendRetryBaseMs = 50;
constexpr int kSendRetryStepMs = 200;
// Every request/reply exchange ends with this pause, whatever reply delay the command gave.
constexpr int kClosingPauseMs = 50;
constexpr int kSetVcpPauseMs = 50;         // after a VCP set, before the bus is used again
constexpr int kSaveSettingsPauseMs = 200;  // storing the settings takes longer than a set
constexpr int kEdidRetryBaseMs = 50;       // a failed EDID read again after 50, 250, 450, ...
constexpr int kEdidRetryStepMs = 200;
// A paged read is repeated after 300, 400, 500, ... ms; a paged write after 700, 900,
// 1100, ... ms, as the monitor may still be applying the previous attempt.
constexpr int kPagedGetRetryBaseMs = 200;
constexpr int kPagedGetRetryStepMs = 100;
constexpr int kPagedSetRetryBaseMs = 500;
constexpr int kPagedSetRetryStepMs = 200;
// While a monitor answers a paged write with null messages it is still working: it is asked
// again this often, each reply read after the poll pause.
constexpr int kPagedPollIntervalMs = 100;
constexpr int kPagedPollPauseMs = 50;
constexpr int kMemoryWritePauseMs = 50;    // after a memory or word write
constexpr int kBetweenBlocksPauseMs = 50;  // more time between two blocks of a memory write
constexpr int kCommand06PauseMs = 50;
constexpr int kCommand07PauseMs = 200;  // the monitor takes over an uploaded table
// A word table that does not read back as written is written again after this pause.
constexpr int kTableVerifyPauseMs = 2000;

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
// A test pattern's controls are hidden this long after the user's last move.
constexpr int kPatternControlsTimeoutMs = 4000;
constexpr int kLutSpinStepMs = 20;  // the 3D LUT view turns one step this often
// A deferred monitor action whose monitor is busy without a holder is tried again this often.
constexpr int kMonitorFreeRetryMs = 100;
// An error message that closes itself counts down this many seconds, a second per step.
constexpr int kErrorAutoCloseSeconds = 60;
constexpr int kCountdownStepMs = 1000;
// A closing window waits for its worker in steps this long, drawing what the worker asks for
// in between.
constexpr int kWorkerEndPollMs = 10;

// Measuring.
// A panel needs this long after a new colour before it shows it steadily (liquid crystal
// response and the backlight's regulation).
constexpr int kPatchSettleWaitMs = 500;

}  // namespace monitor_timing
