#include "platform/drm_sysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace platform {

namespace {

QByteArray read_bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

QString read_line(const QString& path) {
    return QString::fromUtf8(read_bytes(path)).trimmed();
}

// Natural order, so that card10 follows card9 and DP-10 follows DP-9.
bool natural_less(const QString& a, const QString& b) {
    static const QRegularExpression split(QStringLiteral("^(.*?)(\\d+)$"));
    const auto ma = split.match(a), mb = split.match(b);
    if (ma.hasMatch() && mb.hasMatch() && ma.captured(1) == mb.captured(1))
        return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
    return a < b;
}

// The buses that reach a connector's monitor: its `ddc` link first, then the i2c adapters
// that the kernel registered under the connector node (DisplayPort AUX channels).
QStringList connector_buses(const QString& connector_path) {
    QStringList buses;
    const QFileInfo ddc(connector_path + QStringLiteral("/ddc"));
    if (ddc.isSymLink() || ddc.exists()) {
        const QString target = ddc.symLinkTarget();
        const QString name = QFileInfo(target.isEmpty() ? ddc.filePath() : target).fileName();
        if (name.startsWith(QLatin1String("i2c-"))) buses << name;
    }
    QStringList children =
        QDir(connector_path)
            .entryList({QStringLiteral("i2c-*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(children.begin(), children.end(), natural_less);
    for (const QString& child : children) {
        if (!buses.contains(child)) buses << child;
    }
    return buses;
}

QString uevent_value(const QByteArray& uevent, const char* key) {
    const QByteArray prefix = QByteArray(key) + '=';
    for (const QByteArray& line : uevent.split('\n')) {
        if (line.startsWith(prefix)) return QString::fromUtf8(line.mid(prefix.size())).trimmed();
    }
    return QString();
}

}  // namespace

std::vector<CDrmCard> read_drm_cards(const QString& sys_root) {
    static const QRegularExpression card_name(QStringLiteral("^card\\d+$"));
    static const QRegularExpression connector_name(QStringLiteral("^(card\\d+)-(.+)$"));
    const QDir drm(sys_root + QStringLiteral("/class/drm"));
    QStringList entries = drm.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    std::sort(entries.begin(), entries.end(), natural_less);

    std::vector<CDrmCard> cards;
    for (const QString& entry : entries) {
        if (!card_name.match(entry).hasMatch()) continue;
        CDrmCard card;
        card.node = entry;
        const QString device = drm.filePath(entry) + QStringLiteral("/device");
        const QByteArray uevent = read_bytes(device + QStringLiteral("/uevent"));
        card.driver = uevent_value(uevent, "DRIVER");
        if (card.driver.isEmpty()) {
            card.driver =
                QFileInfo(QFileInfo(device + QStringLiteral("/driver")).symLinkTarget()).fileName();
        }
        card.pci_id = uevent_value(uevent, "PCI_ID");
        card.removable =
            read_line(device + QStringLiteral("/removable")) == QLatin1String("removable");
        if (!card.driver.isEmpty()) {
            card.driver_version = read_line(sys_root + QStringLiteral("/module/") + card.driver +
                                            QStringLiteral("/version"));
        }
        cards.push_back(card);
    }
    for (const QString& entry : entries) {
        const auto match = connector_name.match(entry);
        if (!match.hasMatch()) continue;
        const QString name = match.captured(2);
        if (name.startsWith(QLatin1String("Writeback"))) continue;
        auto card = std::find_if(cards.begin(), cards.end(),
                                 [&](const CDrmCard& c) { return c.node == match.captured(1); });
        if (card == cards.end()) continue;
        const QString path = drm.filePath(entry);
        CDrmConnector connector;
        connector.node = entry;
        connector.card = card->node;
        connector.name = name;
        connector.connected =
            read_line(path + QStringLiteral("/status")) == QLatin1String("connected");
        connector.enabled =
            read_line(path + QStringLiteral("/enabled")) == QLatin1String("enabled");
        connector.edid = read_bytes(path + QStringLiteral("/edid"));
        connector.buses = connector_buses(path);
        connector.ddc_bus = connector.buses.value(0);
        card->connectors.push_back(connector);
    }
    return cards;
}

QString drm_connector_of_bus(const QString& sys_root, const QString& bus) {
    for (const CDrmCard& card : read_drm_cards(sys_root)) {
        for (const CDrmConnector& connector : card.connectors) {
            if (connector.buses.contains(bus)) return connector.node;
        }
    }
    return QString();
}

QString i2c_bus_name(const QString& sys_root, const QString& bus) {
    QString name =
        read_line(sys_root + QStringLiteral("/bus/i2c/devices/") + bus + QStringLiteral("/name"));
    if (name.isEmpty()) {
        name =
            read_line(sys_root + QStringLiteral("/class/i2c-dev/") + bus + QStringLiteral("/name"));
    }
    return name;
}

}  // namespace platform
