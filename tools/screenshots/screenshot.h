#pragma once

// One registered screenshot: `open` builds the window (shown or not) and returns it; the
// program waits for it to paint, saves it as docs/screenshots/<name>.png and then calls
// `close` (by default it deletes the window). Register with ORVALE_SCREENSHOT in a file of
// the area's own.
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace screenshots {

struct Shot {
    QString name;
    std::function<QWidget*()> open;
    std::function<void(QWidget*)> close;
};

inline std::vector<Shot>& registry() {
    static std::vector<Shot> shots;
    return shots;
}

struct Registrar {
    Registrar(QString name, std::function<QWidget*()> open,
              std::function<void(QWidget*)> close = {}) {
        registry().push_back({std::move(name), std::move(open), std::move(close)});
    }
};

// Lets the event loop run for `milliseconds` (timers, repaints) without a protocol wait.
void settle(int milliseconds);

}  // namespace screenshots

#define ORVALE_SHOT_CONCAT2(a, b) a##b
#define ORVALE_SHOT_CONCAT(a, b) ORVALE_SHOT_CONCAT2(a, b)
// ORVALE_SCREENSHOT("name", [] { auto* w = new ...; return w; } [, [](QWidget* w) {...}]);
#define ORVALE_SCREENSHOT(name, ...)                                                   \
    static const screenshots::Registrar ORVALE_SHOT_CONCAT(shot_registrar_, __LINE__)( \
        QStringLiteral(name), __VA_ARGS__)
