// orvale_screenshots <output folder> [name filter]: opens every registered window against the
// simulated monitors, saves it as <name>.png and closes it. Protocol waits run on a virtual
// clock, so a shot costs no real waiting; scripts/screenshots sets up the simulator and Xvfb.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "platform/fake_sleeper.h"
#include "platform/sleeper.h"
#include "screenshot.h"

namespace screenshots {

void settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

}  // namespace screenshots

int main(int argc, char** argv) {
    platform::CFakeSleeper virtual_clock;
    platform::install_sleeper(&virtual_clock);
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString filter = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(folder);
    int failures = 0;
    for (const screenshots::Shot& shot : screenshots::registry()) {
        if (!filter.isEmpty() && !shot.name.contains(filter)) continue;
        QWidget* window = shot.open();
        if (!window) {
            std::fprintf(stderr, "%s: no window\n", qPrintable(shot.name));
            ++failures;
            continue;
        }
        if (!window->isVisible()) window->show();
        screenshots::settle(400);
        const QString path = folder + QLatin1Char('/') + shot.name + QStringLiteral(".png");
        if (window->grab().save(path, "PNG")) {
            std::printf("saved %s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "%s: could not save %s\n", qPrintable(shot.name),
                         qPrintable(path));
            ++failures;
        }
        if (shot.close) {
            shot.close(window);
        } else {
            delete window;
        }
        screenshots::settle(50);
    }
    platform::install_sleeper(nullptr);
    return failures == 0 ? 0 : 1;
}
