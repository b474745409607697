#include "core/monitor_token.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

#include "comm/monitor_timing.h"
#include "core/check_restore_monitor_settings_thread.h"
#include "platform/sleeper.h"

namespace monitor_token {

namespace {

struct Deferred {
    QPointer<QObject> context;
    std::string key;
    std::function<void()> action;
};

int holder_count = 0;
bool flush_posted = false;
std::vector<Deferred>& queue() {
    static std::vector<Deferred> q;
    return q;
}

void flush();

void post_flush(int delay) {
    if (flush_posted || !QCoreApplication::instance()) return;
    flush_posted = true;
    QTimer::singleShot(delay, QCoreApplication::instance(), [] {
        flush_posted = false;
        flush();
    });
}

void flush() {
    auto& q = queue();
    while (!q.empty()) {
        if (busy()) {
            // A holder's release posts the next try; a worker or a wait without holder does not.
            if (holder_count == 0) post_flush(monitor_timing::kMonitorFreeRetryMs);
            return;
        }
        Deferred next = std::move(q.front());
        q.erase(q.begin());
        if (next.context) next.action();
    }
}
}  // namespace

bool busy() {
    return holder_count > 0 || CheckRestoreMonitorSettingsThread::monitor_in_use() ||
           platform::in_responsive_wait();
}

int holders() {
    return holder_count;
}

void run_when_free(QObject* context, const char* key, std::function<void()> action) {
    auto& q = queue();
    for (auto it = q.begin(); it != q.end();) {
        it = (!it->context || it->key == key) ? q.erase(it) : it + 1;
    }
    if (!busy() && q.empty()) {
        action();
        return;
    }
    q.push_back({context, key, std::move(action)});
    if (holder_count == 0) post_flush(monitor_timing::kMonitorFreeRetryMs);
}

int deferred_count() {
    return static_cast<int>(queue().size());
}

}  // namespace monitor_token

CMonitorUse::CMonitorUse() {
    ++monitor_token::holder_count;
}

CMonitorUse::~CMonitorUse() {
    if (--monitor_token::holder_count == 0 && !monitor_token::queue().empty())
        monitor_token::post_flush(0);
}
