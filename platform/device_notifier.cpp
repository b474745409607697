#include "platform/device_notifier.h"

#include <libudev.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <cstring>

#include "sim/sim_config.h"

namespace platform {

bool is_monitor_usb_id(std::uint16_t vendor, std::uint16_t product) {
    for (const UsbId& id : kMonitorUsbIds) {
        if (id.vendor == vendor && id.product == product) return true;
    }
    return false;
}

namespace {
bool hex4_after(const QString& path, const QString& marker, std::uint16_t& out) {
    const int at = path.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0 || at + marker.size() + 4 > path.size()) return false;
    bool ok = false;
    const uint value = path.mid(at + marker.size(), 4).toUInt(&ok, 16);
    if (!ok) return false;
    out = static_cast<std::uint16_t>(value);
    return true;
}

bool hex_attribute(udev_device* device, const char* name, std::uint16_t& out) {
    const char* text = udev_device_get_sysattr_value(device, name);
    if (!text) text = udev_device_get_property_value(device, name);
    if (!text) return false;
    bool ok = false;
    const uint value = QString::fromLatin1(text).toUInt(&ok, 16);
    if (!ok || value > 0xFFFF) return false;
    out = static_cast<std::uint16_t>(value);
    return true;
}
}  // namespace

bool parse_vid_pid(const QString& path, std::uint16_t& vendor, std::uint16_t& product) {
    return hex4_after(path, QStringLiteral("vid_"), vendor) &&
           hex4_after(path, QStringLiteral("pid_"), product);
}

std::unique_ptr<CDeviceNotifier> CDeviceNotifier::create(QObject* parent) {
    if (!qEnvironmentVariableIsEmpty(sim::CSimConfig::kConfigVariable)) {
        sim::CSimConfig config;
        if (sim::CSimConfig::from_environment(config, nullptr)) {
            QHash<QString, CSimDeviceNotifier::Flags> initial;
            for (const sim::CSimMonitorConfig& m : config.monitors) {
                initial.insert(m.model + QLatin1Char('/') + QString::fromLatin1(m.setup.serial),
                               {m.setup.usb_present && m.setup.usb_plugged, m.setup.video_ddcci});
            }
            return std::make_unique<CSimDeviceNotifier>(config.state_file, std::move(initial),
                                                        parent);
        }
    }
    return std::make_unique<CUdevDeviceNotifier>(parent);
}

CUdevDeviceNotifier::CUdevDeviceNotifier(QObject* parent) : CDeviceNotifier(parent) {
    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_) return;
    udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device");
    udev_monitor_filter_add_match_subsystem_devtype(monitor_, "drm", nullptr);
    if (udev_monitor_enable_receiving(monitor_) < 0) return;
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CUdevDeviceNotifier::receive);
}

CUdevDeviceNotifier::~CUdevDeviceNotifier() {
    delete notifier_;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

void CUdevDeviceNotifier::receive() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* subsystem = udev_device_get_subsystem(device);
    const char* action = udev_device_get_action(device);
    if (subsystem && action && std::strcmp(subsystem, "drm") == 0) {
        if (std::strcmp(action, "change") == 0) Q_EMIT display_changed();
    } else if (action) {
        // A removed device has no attributes left; its properties still carry the ids.
        std::uint16_t vendor = 0, product = 0;
        const bool known = (hex_attribute(device, "idVendor", vendor) ||
                            hex_attribute(device, "ID_VENDOR_ID", vendor)) &&
                           (hex_attribute(device, "idProduct", product) ||
                            hex_attribute(device, "ID_MODEL_ID", product));
        const bool add = std::strcmp(action, "add") == 0;
        const bool remove = std::strcmp(action, "remove") == 0;
        if (known && (add || remove) && is_monitor_usb_id(vendor, product))
            Q_EMIT usb_device_changed(add);
    }
    udev_device_unref(device);
}

CSimDeviceNotifier::CSimDeviceNotifier(QString state_file, QHash<QString, Flags> initial,
                                       QObject* parent)
    : CDeviceNotifier(parent),
      state_file_(std::move(state_file)),
      watcher_(new QFileSystemWatcher(this)),
      initial_(std::move(initial)) {
    const QString folder = QFileInfo(state_file_).absolutePath();
    QDir().mkpath(folder);
    watcher_->addPath(folder);
    if (QFile::exists(state_file_)) watcher_->addPath(state_file_);
    flags_ = read_flags();
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &CSimDeviceNotifier::check);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &CSimDeviceNotifier::check);
}

QHash<QString, CSimDeviceNotifier::Flags> CSimDeviceNotifier::read_flags() const {
    // Until a monitor's entry is first saved the file knows nothing of it (or is missing), yet
    // its cable is as the configuration set it up: a first save that pulls it is a change.
    QHash<QString, Flags> out = initial_;
    QFile file(state_file_);
    if (!file.open(QIODevice::ReadOnly)) return out;
    const QJsonObject monitors = QJsonDocument::fromJson(file.readAll())
                                     .object()
                                     .value(QStringLiteral("monitors"))
                                     .toObject();
    for (auto it = monitors.begin(); it != monitors.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        Flags flags = out.value(it.key());
        flags.usb_plugged = entry.value(QStringLiteral("usb_plugged")).toBool(flags.usb_plugged);
        flags.video_ddcci = entry.value(QStringLiteral("video_ddcci")).toBool(flags.video_ddcci);
        out.insert(it.key(), flags);
    }
    return out;
}

void CSimDeviceNotifier::check() {
    // The file is replaced on every save, so the watch on it is renewed each time.
    if (QFile::exists(state_file_) && !watcher_->files().contains(state_file_))
        watcher_->addPath(state_file_);
    const QHash<QString, Flags> now = read_flags();
    bool display_change = false;
    for (auto it = now.begin(); it != now.end(); ++it) {
        const Flags before = flags_.value(it.key(), Flags{false, it.value().video_ddcci});
        if (it.value().usb_plugged != before.usb_plugged)
            Q_EMIT usb_device_changed(it.value().usb_plugged);
        // DDC/CI switched on or off in a monitor's menu stands in for a display that comes or
        // goes on its video cable alone, which a real machine reports as a DRM change.
        if (it.value().video_ddcci != before.video_ddcci) display_change = true;
    }
    for (auto it = flags_.begin(); it != flags_.end(); ++it) {
        if (it.value().usb_plugged && !now.contains(it.key())) Q_EMIT usb_device_changed(false);
    }
    flags_ = now;
    if (display_change) Q_EMIT display_changed();
}

}  // namespace platform
