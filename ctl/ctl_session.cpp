#include "ctl/ctl_session.h"

#include "comm/ddc_monitor.h"
#include "core/config_file.h"
#include "core/settings_paths.h"
#include "core/string_table.h"
#include "platform/access_library.h"
#include "platform/display_services.h"

namespace ctl {

namespace {
constexpr int kUnsupportedString = 303;
constexpr int kNoCommunicationsString = 304;
constexpr int kDisplayString = 502;
}  // namespace

CSession::CSession(bool probe) : probed_(probe) {
    library_ = platform::create_access_library();
    platform::set_access_library(library_.get());
    // As the program does: the stored assignments hold only for the interfaces known now.
    if (library_) library_->EnumerateInterfaces(1, platform::interface_enumeration_mode);
    monitors_.count_interfaces();
    services_ = platform::create_display_services();
    platform::set_display_services(services_.get());
    QString detail;
    const bool stored = read_config_file(config_file_path(), monitors_, tracker_, detail) == 0;
    monitors_.build_display_list();
    // The interfaces were listed just above: asking every bus again would only cost time.
    monitors_.enumerate(probe, false);
    if (!stored || !monitors_.stored_mapping_taken()) monitors_.match_scanned();
    monitors_.initialise_displays();
}

CSession::~CSession() {
    // The monitor object talks through the access object: it goes first.
    target_.connect(DisplayInfo());
    platform::set_display_services(nullptr);
    services_.reset();
    platform::set_access_library(nullptr);
    library_.reset();
}

QString CSession::selector_text(int number, const DisplayInfo& info) {
    QString suffix;
    if (!info.supported_model)
        suffix = string(kUnsupportedString);
    else if (!info.ddcCapable)
        suffix = string(kNoCommunicationsString);
    return string(kDisplayString).arg(number).arg(info.text1) + suffix;
}

QString CSession::obstacle(const DisplayInfo& info) const {
    if (info.index < 0) return QStringLiteral("no DDC/CI interface reaches this display");
    if (!info.supported_model) return QStringLiteral("not a supported model");
    if (probed_ && !info.ddcCapable) {
        if (library_ && library_->last_result(info.index) == platform::kAccessBusy)
            return QStringLiteral("another program kept the monitor's bus busy; try again");
        return info.writeNames ? QStringLiteral("the monitor does not answer over USB")
                               : QStringLiteral(
                                     "the monitor does not answer over the video cable "
                                     "(DDC/CI may be switched off in its menu)");
    }
    return QString();
}

int CSession::open(int number, QString& why) {
    if (number < 1 || number > display_count()) {
        why = display_count() == 0
                  ? QStringLiteral("no display %1: no displays were found").arg(number)
                  : QStringLiteral("no display %1: displays are numbered 1 to %2")
                        .arg(number)
                        .arg(display_count());
        return CTargetDisplay::kUnsupportedMonitor;
    }
    DisplayInfo info = display(number);
    if (info.index < 0 && info.supported_model) {
        // The display is there, its bus is not (gone, or never offered): the machine failed,
        // not the command line.
        why = QStringLiteral("display %1 (%2) cannot be controlled: %3")
                  .arg(number)
                  .arg(info.text1, obstacle(info));
        return platform::kAccessNoDevice;
    }
    if (const QString obstacle = this->obstacle(info); !obstacle.isEmpty()) {
        why = QStringLiteral("display %1 (%2) cannot be controlled: %3")
                  .arg(number)
                  .arg(info.text1, obstacle);
        return CTargetDisplay::kUnsupportedMonitor;
    }
    // Without the probe the command's own exchange tells whether the monitor answers.
    info.ddcCapable = 1;
    const int result = target_.connect(info);
    if (result != 0 || !target_.monitor()) {
        why = QStringLiteral("display %1 (%2) could not be opened").arg(number).arg(info.text1);
        return result != 0 ? result : CTargetDisplay::kNoInterfaceInfo;
    }
    return 0;
}

}  // namespace ctl
