#include "core/master_control.h"

#include <QDataStream>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QSplashScreen>
#include <QWidget>

#include "color/error_codes.h"
#include "core/config_file.h"
#include "core/monitor_detect_thread.h"
#include "core/settings_paths.h"
#include "core/string_table.h"
#include "platform/access_library.h"
#include "platform/display_services.h"

Q_LOGGING_CATEGORY(detection_log, "orvale.detection", QtWarningMsg)

MasterControl* master_control_instance = nullptr;
QWidget* tw_test_pattern_dialog = nullptr;

CDDCMonitor* current_monitor() {
    return master_control_instance ? master_control_instance->current_display().monitor() : nullptr;
}

namespace {
MasterControl::MainWindowFactory& main_window_factory() {
    static MasterControl::MainWindowFactory factory;
    return factory;
}
MasterControl::ChildWindowFactory& test_pattern_factory() {
    static MasterControl::ChildWindowFactory factory;
    return factory;
}
}  // namespace

void MasterControl::set_window_factories(MainWindowFactory main_window,
                                         ChildWindowFactory test_pattern_dialog) {
    main_window_factory() = std::move(main_window);
    test_pattern_factory() = std::move(test_pattern_dialog);
}

MasterControl::MasterControl() {
    tw_test_pattern_dialog = nullptr;
    access_library_ = platform::create_access_library();
    platform::set_access_library(access_library_.get());
    // The stored display assignments hold only while the same interfaces exist; the access
    // object lists them once when it comes up, so that loading the configuration can tell.
    if (access_library_) {
        access_library_->EnumerateInterfaces(1, platform::interface_enumeration_mode);
    }
    monitors_.count_interfaces();
    // Built here, on the GUI thread, where the toolkit's screens may be read.
    display_services_ = platform::create_display_services();
    platform::set_display_services(display_services_.get());
    connect(&monitors_, &CMultiMonitor::detectedMonitor, this, &MasterControl::detectedMonitorIn);
    config_load_failed_ = load_config() != 0;
    master_control_instance = this;
}

MasterControl::~MasterControl() {
    // The detection thread may still be changing the monitor list (a short run); it must have
    // ended before the list is saved.
    delete detect_thread_;
    detect_thread_ = nullptr;
    // The windows go first: a page torn down may still talk to its monitor, which needs the
    // monitor list and the access object alive. The window stores its position on the way.
    delete main_window_;
    main_window_ = nullptr;
    tw_test_pattern_dialog = nullptr;
    delete splash_;
    splash_ = nullptr;
    save_config();
    platform::set_access_library(nullptr);
    access_library_.reset();
    platform::set_display_services(nullptr);
    display_services_.reset();
    if (master_control_instance == this) master_control_instance = nullptr;
}

void MasterControl::start() {
    splash_ = new QSplashScreen(QPixmap());
    const QImage logo(string(14));
    const int line = QFontMetrics(splash_->font()).lineSpacing();
    const QSize size(logo.width() + 10, logo.height() + 3 * line + 10);
    splash_->setPixmap(QPixmap(QStringLiteral(":/images/Resources/splash blank.png"))
                           .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    splash_->resize(size);
    splash_->show();
    show_splash_message();

    if (main_window_factory()) main_window_ = main_window_factory()();
    if (main_window_ && test_pattern_factory()) {
        tw_test_pattern_dialog = test_pattern_factory()(main_window_);
    }

    detect_thread_ = new MonitorDetectThread(monitors_);
    connect(detect_thread_, &QThread::finished, this, &MasterControl::monitorDetectionCompleteIn);
    // A mapping saved for another number of interfaces is as stale as a missing one.
    detect_thread_->request(config_load_failed_ || !monitors_.stored_mapping_taken());
}

QString MasterControl::splash_message() const {
    QString message = QStringLiteral("<img src=\"") + string(14) + QStringLiteral("\"><br>") +
                      tr("Version %1", "version text and version with build number")
                          .arg(tr("%1 (Build %2)", "software version and build number")
                                   .arg(QStringLiteral("1.0.10"), QStringLiteral("140106")));
    if (!detected_text_.isEmpty()) {
        message +=
            tr("<br>Detected ", "splashscreen message when monitor detected") + detected_text_;
    } else {
        message += tr("<br>Detecting displays...", "splashscreen message when looking for display");
    }
    return message + QStringLiteral("\n");
}

void MasterControl::show_splash_message() {
    if (!splash_) return;
    splash_->showMessage(splash_message(), Qt::AlignHCenter | Qt::AlignVCenter, Qt::black);
}

void MasterControl::detectedMonitorIn(QString message) {
    detected_text_ = message;
    show_splash_message();
}

void MasterControl::monitorDetectionCompleteIn() {
    detection_complete_ = true;
    if (startup_processed_) return;
    startup_processed_ = true;
    log_detected_displays();
    current_display_.connect(monitors_.display(0));
    Q_EMIT startup_complete();
    if (splash_) {
        splash_->close();
        // Deferred: this can run inside the splash's own repaint, which processes events.
        splash_->deleteLater();
        splash_ = nullptr;
    }
    Q_EMIT start_check_display_settings();
}

void MasterControl::log_detected_displays() const {
    for (int i = 0; i < monitors_.display_count(); ++i) {
        const DisplayInfo info = monitors_.display(i);
        QString link = QStringLiteral("no monitor interface");
        if (!info.supported_model) {
            link = QStringLiteral("unsupported model");
        } else if (info.index >= 0 && info.ddcCapable) {
            link = info.writeNames ? QStringLiteral("controlled over USB")
                                   : QStringLiteral("controlled over the video cable");
        } else if (info.index >= 0) {
            link = QStringLiteral("no communications");
        }
        qCInfo(detection_log).noquote() << QStringLiteral("display %1: %2, interface %3, %4")
                                               .arg(i + 1)
                                               .arg(info.text1)
                                               .arg(info.index)
                                               .arg(link);
    }
}

int MasterControl::load_config() {
    const QString path = config_file_path();
    QString detail;
    const int result = read_config_file(path, monitors_, monitor_tracker_, detail);
    config_file_.loaded(path, result, detail);
    return result;
}

int MasterControl::save_config() {
    const QString path = config_file_path();
    if (!config_file_.before_save(path)) return ui_error::kFileOpenFailed;
    // The new file replaces the old one only when it is complete.
    QSaveFile file(path);
    int result = ui_error::kFileOpenFailed;
    if (file.open(QIODevice::WriteOnly)) {
        QDataStream out(&file);
        out.setVersion(QDataStream::Qt_4_7);
        result = monitors_.write_config(out);
        if (result == 0) result = monitor_tracker_.write(out);
        if (result != 0) {
            file.cancelWriting();
        } else if (!file.commit()) {
            result = ui_error::kFileWriteError;
        }
    }
    config_file_.saved(path, result, file.errorString());
    return result;
}

// Compiled here rather than with the folder's other meta-object code, so that a program
// linking the core without windows (orvale-ctl) does not pull this class in.
#include "moc_master_control.cpp"
