#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <memory>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "ui/main_window/main_dialog.h"

namespace testing_support {

// Closes every message box that comes up and keeps its text.
class MessageCatcher {
  public:
    MessageCatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible()) {
                    texts << box->text();
                    box->done(QMessageBox::Ok);
                }
            }
        });
        timer_.start();
    }
    QStringList texts;

  private:
    QTimer timer_;
};

// Fresh settings (or a settings file of `config_bytes`), the simulator configured from `json`
// (its "STATE" becomes `folder`'s state file), the controller started and detection finished:
// the main window on simulated monitors.
inline void start_main_window(const QString& folder, const char* json,
                              std::unique_ptr<MasterControl>& master, main_dialog*& window,
                              const QByteArray* config_bytes = nullptr) {
    QFile::remove(preferences_file_path());
    QFile::remove(config_file_path());
    if (config_bytes) {
        QFile settings(config_file_path());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(*config_bytes);
    }
    const QString config = folder + QStringLiteral("/sim.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QByteArray(json).replace("STATE", (folder + QStringLiteral("/state.json")).toUtf8()));
    file.close();
    qputenv("ORVALE_SIM_CONFIG", config.toUtf8());
    MasterControl::set_window_factories([] { return new main_dialog(); },
                                        [](QWidget*) { return nullptr; });
    master = std::make_unique<MasterControl>();
    master->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return master->startup_processed(); }, 30000));
    window = qobject_cast<main_dialog*>(master->main_window());
    ASSERT_NE(window, nullptr);
}

}  // namespace testing_support
