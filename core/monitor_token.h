#pragma once

#include <QObject>
#include <functional>

// One conversation per monitor. Whoever talks to a monitor on the GUI thread (a page handler,
// a page timer, a dialog, a progress dialog on behalf of its worker) holds the "monitor in
// use" token for the whole conversation with a CMonitorUse. Whatever would replace or free
// the monitor (a rescan, a selection change) goes through run_when_free(), and a timer that
// finds the token busy tries again later: so no handler runs into a monitor that another
// conversation half way through its event processing is still using, and no GUI-thread
// exchange overlaps a worker's. GUI thread only.
namespace monitor_token {

// True while a conversation holds the token, a worker owns a monitor, or the GUI thread is
// inside a protocol wait (whose event loop must not start another conversation).
bool busy();
// How many CMonitorUse are alive (nested ones included).
int holders();

// Runs `action` now when the token is free, otherwise once the last holder lets go (from the
// event loop, never inside a holder's scope). A request with the same `key` replaces one that
// is still waiting, so a burst of device events makes one rescan. `context` ends the request
// when it is destroyed.
void run_when_free(QObject* context, const char* key, std::function<void()> action);
// Requests waiting for the token.
int deferred_count();

}  // namespace monitor_token

// Holds the token for its lifetime. Nested holders on the GUI thread join the conversation
// that is open (a handler calling update_ui), they do not start another.
class CMonitorUse {
  public:
    CMonitorUse();
    ~CMonitorUse();
    CMonitorUse(const CMonitorUse&) = delete;
    CMonitorUse& operator=(const CMonitorUse&) = delete;
};
