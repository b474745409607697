#pragma once

// Set while the main window works on the monitor list or the monitor (a rescan, a
// synchronisation); timers that talk to the monitor skip their work meanwhile, so that their
// access never interleaves with one that processes events. GUI thread only.
extern bool operation_running;
