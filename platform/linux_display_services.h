#pragma once

#include <QObject>
#include <memory>
#include <mutex>

#include "platform/display_services.h"
#include "platform/drm_sysfs.h"

namespace platform {

// One screen of the desktop as the toolkit reports it.
struct CScreenGeometry {
    QString name;  // the output's name: the DRM connector name on X11 and Wayland
    QString model;
    QString serial;
    QRect geometry;
    QRect available;
    int depth = 0;
    double refresh = 0;
    bool primary = false;
};

// The kernel's DRM outputs (status, enabled, EDID, DDC bus under <sys>/class/drm) joined with
// the toolkit's screens by connector name; adapter = card. Linux keeps no monitor driver
// values, so those stay empty.
//
// The toolkit's screens may be read only on the GUI thread, while the enumeration runs on the
// detection thread: the object keeps a copy, taken on the GUI thread at construction and again
// whenever the toolkit reports a change.
class CLinuxDisplayServices : public CDisplayServices {
  public:
    // follow_toolkit: take and follow the toolkit's screens (needs the GUI application).
    explicit CLinuxDisplayServices(QString sys_root = QStringLiteral("/sys"),
                                   bool follow_toolkit = true);
    ~CLinuxDisplayServices() override;

    void set_screens(std::vector<CScreenGeometry> screens);
    std::vector<CScreenGeometry> screens() const;

    std::vector<CDisplayAdapterDevice> adapters() const override;
    bool monitor_at(const QPoint& point, CDesktopArea& area) const override;
    QByteArray monitor_edid(const QString& device_id) const override;
    bool driver_values(const QString& device_key, CMonitorDriverValues& values) const override;
    bool adapter_driver(const QString& adapter_device_id, QString& driver_key,
                        QString& driver_version) const override;

    // The screen showing a connector: by name, by name without punctuation ("DP1" for
    // "DP-1"), then by the EDID's model name and serial. -1 when none.
    static int match_screen(const CDrmConnector& connector,
                            const std::vector<CScreenGeometry>& screens);

  private:
    void take_toolkit_screens();
    void follow_screen(QObject* screen);

    QString sys_root_;
    std::unique_ptr<QObject> context_;  // receiver of the toolkit's change signals
    mutable std::mutex mutex_;
    std::vector<CScreenGeometry> screens_;
    bool kernel_activity_ = false;
};

}  // namespace platform
