#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include "core/master_control.h"
#include "core/translations.h"
#include "platform/access_library.h"
#include "platform/instance_channel.h"
#include "platform/platform_timing.h"
#include "platform/single_instance.h"
#include "platform/termination.h"
#include "ui/main_window/main_dialog.h"
#include "ui/patterns/tw_test_pattern_dialog.h"

Q_LOGGING_CATEGORY(startup_log, "orvale.startup", QtWarningMsg)

namespace {
// Until detection ends the window is hidden and the splash shows the progress.
void bring_forward(QWidget* window, const QString& token) {
    if (!window || !window->isVisible()) return;
    if (window->isMinimized()) window->showNormal();
    window->raise();
    // On Wayland the compositor activates another client's window only with the token the
    // desktop gave the second start (xdg-activation); Qt's request takes it from here.
    if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
    window->activateWindow();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}
}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    platform::interface_enumeration_mode = 3;
    // A token is for one activation: the running instance's, when there is one.
    const QString activation_token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    QApplication app(argc, argv);

    // Checked before anything reaches a monitor or a settings file: a second instance must not
    // talk to a monitor the first one is using, nor overwrite its files.
    const QString instance_name = QStringLiteral("7D5119B5-4E7F-4c32-92A3-6676BFF24960");
    platform::CSingleInstanceGuard guard(instance_name);
    if (!guard.acquire()) {
        // A beep alone is silent on most desktops: the running window comes forward as well.
        const bool asked = platform::CInstanceChannel::ask_running_instance(
            instance_name, platform_timing::kInstanceRequestTimeoutMs, activation_token);
        qCInfo(startup_log) << "another instance is running;"
                            << (asked ? "its window was asked to come forward"
                                      : "it did not answer");
        QApplication::beep();
        return 0;
    }
    platform::CInstanceChannel channel(instance_name);
    if (!channel.listen())
        qCWarning(startup_log) << "a second start cannot reach this instance:"
                               << channel.socket_path();

    auto translators = install_translators(app);
    MasterControl::set_window_factories(
        [] { return new main_dialog(); },
        [](QWidget* parent) { return new test_pattern_dialog_class(parent); });
    int exit_code = 0;
    {
        MasterControl master;
        master.start();
        // Connected after the main window's own connection, so it runs once the window shows.
        QObject::connect(&master, &MasterControl::startup_complete, &app, [&clock] {
            qCInfo(startup_log) << "main window shown after" << clock.elapsed() << "ms";
        });
        QObject::connect(&channel, &platform::CInstanceChannel::activation_requested, &master,
                         [&master](const QString& token) {
                             qCInfo(startup_log).noquote()
                                 << "activation requested by a second start"
                                 << (token.isEmpty() ? QStringLiteral("without a token")
                                                     : QStringLiteral("with its activation token"));
                             bring_forward(master.main_window(), token);
                         });
        // The user's close ends the program within moments: whatever talks to a monitor stops
        // after its current exchange (quit() would wait for every step and wait still due).
        QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, [] {
            qCInfo(startup_log) << "window closed: ending";
            platform::end_now();
        });
        platform::quit_on_termination_signals(app);
        exit_code = QApplication::exec();
    }
    for (auto& translator : translators)
        QCoreApplication::removeTranslator(translator.get());
    return exit_code;
}
