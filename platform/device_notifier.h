#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class QFileSystemWatcher;
class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace platform {

// The USB control interfaces of the supported monitors.
struct UsbId {
    std::uint16_t vendor;
    std::uint16_t product;
};
inline constexpr UsbId kMonitorUsbIds[] = {{0xF0E1, 0x0001}, {0xF0E1, 0x0002}};
bool is_monitor_usb_id(std::uint16_t vendor, std::uint16_t product);
// The four hexadecimal digits after "vid_" and "pid_" (any case) in a device path.
bool parse_vid_pid(const QString& path, std::uint16_t& vendor, std::uint16_t& product);

// Tells when a monitor's USB control interface arrives or goes, and when a display output
// changes (a monitor connected or switched on by its video cable). Nothing polls a monitor.
class CDeviceNotifier : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    // The simulator's notifier when ORVALE_SIM_CONFIG is set, else the udev one.
    static std::unique_ptr<CDeviceNotifier> create(QObject* parent = nullptr);

  Q_SIGNALS:
    void usb_device_changed(bool added);
    void display_changed();
};

// libudev monitor of the usb subsystem (devices of the two interfaces) and the drm subsystem
// (change events of connectors), read through a socket notifier.
class CUdevDeviceNotifier : public CDeviceNotifier {
    Q_OBJECT

  public:
    explicit CUdevDeviceNotifier(QObject* parent = nullptr);
    ~CUdevDeviceNotifier() override;
    bool listening() const { return notifier_ != nullptr; }

  private:
    void receive();

    ::udev* udev_ = nullptr;
    ::udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

// Watches the simulator's state file: `orvale-sim plug` and `unplug` from another process
// change a monitor's usb_plugged there, which is reported as an arrival or removal.
class CSimDeviceNotifier : public CDeviceNotifier {
    Q_OBJECT

  public:
    // A monitor's flags before the state file mentions it: as the configuration sets it up.
    struct Flags {
        bool usb_plugged = false;
        bool video_ddcci = true;
    };
    // `initial` is keyed like the state file (model/serial).
    CSimDeviceNotifier(QString state_file, QHash<QString, Flags> initial,
                       QObject* parent = nullptr);
    const QString& state_file() const { return state_file_; }

  private:
    void check();
    // Every monitor's flags: the state file's, else the configured ones.
    QHash<QString, Flags> read_flags() const;

    QString state_file_;
    QFileSystemWatcher* watcher_;
    QHash<QString, Flags> initial_;
    QHash<QString, Flags> flags_;
};

}  // namespace platform
