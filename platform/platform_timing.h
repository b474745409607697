#pragma once

// Every time-out and wait of the platform library, in milliseconds: how long it waits for the
// operating system, the colour daemon, an instrument or the running instance before it gives
// up, and the waits it makes itself. The waits the program gives a monitor are in
// comm/monitor_timing.h, which this library cannot see.
namespace platform_timing {

// Another program's lock on an I2C bus is waited for this long, looking again at each step:
// longer than the longest single exchange another process holds the bus for (our own DDC/CI
// layer lets go of it between attempts), time-outs on both transfers included.
constexpr int kBusLockWaitMs = 5000;
constexpr int kBusLockPollMs = 20;

// Every call to colord waits this long for an answer.
constexpr int kColordCallTimeoutMs = 3000;
// A colord sensor's reading: seconds on a dark patch; colord answers within this or not at all.
constexpr int kColordReadingTimeoutMs = 60000;

// A second start of the program waits this long for the running one to take its request.
constexpr int kInstanceRequestTimeoutMs = 1000;

// spotread: finding and opening the instrument, one reading (dark patches take longest), how
// soon a cancel is noticed while it works, and how long it gets to end once asked to.
constexpr int kSpotreadStartTimeoutMs = 20000;
constexpr int kSpotreadReadingTimeoutMs = 30000;
constexpr int kSpotreadPollMs = 50;
constexpr int kSpotreadExitWaitMs = 2000;
// spotread's usage text lists the display types of the attached instrument; it looks at every
// port on the way, and a port that never answers must not hold up the measurement for long.
constexpr int kSpotreadUsageTimeoutMs = 5000;

// The simulated colorimeter's integration time, slept for each reading.
constexpr int kSimIntegrationMs = 400;

}  // namespace platform_timing
