#include "platform/linux_display_services.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "platform/edid_identity.h"

namespace platform {

namespace {

QString plain(const QString& name) {
    QString out;
    for (QChar c : name) {
        if (c.isLetterOrNumber()) out += c.toLower();
    }
    return out;
}

QString adapter_description(const CDrmCard& card) {
    if (card.driver.isEmpty()) return card.node;
    return card.pci_id.isEmpty()
               ? card.driver
               : card.driver + QStringLiteral(" (") + card.pci_id + QLatin1Char(')');
}

QString adapter_id(const CDrmCard& card) {
    return QStringLiteral("DRM\\") + card.node;
}

QString monitor_id(const CDrmConnector& connector) {
    const QString model = edid_identifier(connector.edid);
    return QStringLiteral("MONITOR\\") +
           (model.isEmpty() ? QStringLiteral("Default_Monitor") : model) + QLatin1Char('\\') +
           connector.node;
}

QString monitor_description(const CDrmConnector& connector) {
    const QString name = edid_descriptor_text(connector.edid, kEdidNameTag);
    return name.isEmpty() ? QStringLiteral("Generic display") : name;
}

}  // namespace

CLinuxDisplayServices::CLinuxDisplayServices(QString sys_root, bool follow_toolkit)
    : sys_root_(std::move(sys_root)), context_(std::make_unique<QObject>()) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // A program without a desktop session (orvale-ctl) has no screens to ask: an output the
    // kernel has enabled counts as showing part of the desktop.
    kernel_activity_ = follow_toolkit && !app;
    if (!follow_toolkit || !app) return;
    QObject::connect(app, &QGuiApplication::screenAdded, context_.get(), [this](QScreen* s) {
        follow_screen(s);
        take_toolkit_screens();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, context_.get(),
                     [this] { take_toolkit_screens(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, context_.get(),
                     [this] { take_toolkit_screens(); });
    for (QScreen* s : QGuiApplication::screens())
        follow_screen(s);
    take_toolkit_screens();
}

CLinuxDisplayServices::~CLinuxDisplayServices() = default;

void CLinuxDisplayServices::follow_screen(QObject* object) {
    auto* screen = qobject_cast<QScreen*>(object);
    if (!screen) return;
    QObject::connect(screen, &QScreen::geometryChanged, context_.get(),
                     [this] { take_toolkit_screens(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, context_.get(),
                     [this] { take_toolkit_screens(); });
}

void CLinuxDisplayServices::take_toolkit_screens() {
    std::vector<CScreenGeometry> list;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* s : QGuiApplication::screens()) {
        CScreenGeometry g;
        g.name = s->name();
        g.model = s->model();
        g.serial = s->serialNumber();
        // Device pixels: the modes and rectangles describe the output, not the scaled desktop.
        const qreal ratio = s->devicePixelRatio();
        auto device = [ratio](const QRect& r) {
            auto scaled = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
            return QRect(scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height()));
        };
        g.geometry = device(s->geometry());
        g.available = device(s->availableGeometry());
        g.depth = s->depth();
        g.refresh = s->refreshRate();
        g.primary = s == primary;
        list.push_back(g);
    }
    set_screens(std::move(list));
}

void CLinuxDisplayServices::set_screens(std::vector<CScreenGeometry> screens) {
    std::lock_guard lock(mutex_);
    screens_ = std::move(screens);
}

std::vector<CScreenGeometry> CLinuxDisplayServices::screens() const {
    std::lock_guard lock(mutex_);
    return screens_;
}

int CLinuxDisplayServices::match_screen(const CDrmConnector& connector,
                                        const std::vector<CScreenGeometry>& screens) {
    const int n = static_cast<int>(screens.size());
    for (int i = 0; i < n; ++i) {
        if (screens[static_cast<std::size_t>(i)].name == connector.name) return i;
    }
    const QString wanted = plain(connector.name);
    for (int i = 0; i < n; ++i) {
        if (plain(screens[static_cast<std::size_t>(i)].name) == wanted) return i;
    }
    // Some X drivers name outputs their own way ("DisplayPort-0"); the EDID still tells.
    const QString model = edid_descriptor_text(connector.edid, kEdidNameTag);
    const QString serial = edid_descriptor_text(connector.edid, kEdidSerialTag);
    if (model.isEmpty() || serial.isEmpty()) return -1;
    for (int i = 0; i < n; ++i) {
        const CScreenGeometry& s = screens[static_cast<std::size_t>(i)];
        if (s.model == model && s.serial == serial) return i;
    }
    return -1;
}

std::vector<CDisplayAdapterDevice> CLinuxDisplayServices::adapters() const {
    const std::vector<CScreenGeometry> screens = this->screens();
    std::vector<CDisplayAdapterDevice> list;
    for (const CDrmCard& card : read_drm_cards(sys_root_)) {
        CDisplayAdapterDevice adapter;
        adapter.device_name = card.node;
        adapter.description = adapter_description(card);
        adapter.device_id = adapter_id(card);
        adapter.removable = card.removable;
        for (const CDrmConnector& connector : card.connectors) {
            // An empty connector is no monitor; the system lists only monitors present.
            if (!connector.connected) continue;
            CDisplayMonitorDevice m;
            m.device_name = connector.node;
            m.description = monitor_description(connector);
            m.device_id = monitor_id(connector);
            m.attached = true;
            m.ddc_bus = connector.ddc_bus;
            const int s = match_screen(connector, screens);
            m.active = connector.enabled && (s >= 0 || kernel_activity_);
            if (s >= 0) {
                const CScreenGeometry& g = screens[static_cast<std::size_t>(s)];
                m.mode.valid = true;
                m.mode.position = g.geometry.topLeft();
                m.mode.size = g.geometry.size();
                m.mode.bits_per_pixel = g.depth;
                m.mode.frequency = static_cast<int>(std::lround(g.refresh));
                adapter.primary = adapter.primary || g.primary;
            }
            adapter.attached_to_desktop = adapter.attached_to_desktop || m.active;
            adapter.monitors.push_back(m);
        }
        list.push_back(adapter);
    }
    return list;
}

bool CLinuxDisplayServices::monitor_at(const QPoint& point, CDesktopArea& area) const {
    const std::vector<CScreenGeometry> screens = this->screens();
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (!screens[i].geometry.contains(point)) continue;
        area.rectangle = screens[i].geometry;
        area.work_area = screens[i].available;
        area.handle = static_cast<quintptr>(i + 1);
        return true;
    }
    return false;
}

QByteArray CLinuxDisplayServices::monitor_edid(const QString& device_id) const {
    for (const CDrmCard& card : read_drm_cards(sys_root_)) {
        for (const CDrmConnector& connector : card.connectors) {
            if (monitor_id(connector).compare(device_id, Qt::CaseInsensitive) == 0)
                return connector.edid;
        }
    }
    return QByteArray();
}

bool CLinuxDisplayServices::driver_values(const QString& /*device_key*/,
                                          CMonitorDriverValues& /*values*/) const {
    return false;
}

bool CLinuxDisplayServices::adapter_driver(const QString& adapter_device_id, QString& driver_key,
                                           QString& driver_version) const {
    for (const CDrmCard& card : read_drm_cards(sys_root_)) {
        if (adapter_id(card) != adapter_device_id) continue;
        driver_key = card.driver;
        driver_version = card.driver_version;
        return true;
    }
    return false;
}

}  // namespace platform
