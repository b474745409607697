#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

// What the kernel's DRM layer tells about the outputs of the graphics cards, read from
// <sys>/class/drm. The sys root is a parameter so that tests can hand in a tree of their own.

struct CDrmConnector {
    QString node;            // "card0-DP-1"
    QString card;            // "card0"
    QString name;            // "DP-1", as the desktop names the output
    bool connected = false;  // status "connected"
    bool enabled = false;    // enabled "enabled": the output shows part of the desktop
    QByteArray edid;         // as the kernel read it; empty when it has none
    QString ddc_bus;         // "i2c-5": the bus that reaches the monitor; empty when unknown
    QStringList buses;       // every bus reaching it: the `ddc` link first, then AUX channels
};

struct CDrmCard {
    QString node;            // "card0"
    QString driver;          // kernel driver, "amdgpu"
    QString pci_id;          // "1002:73BF", empty for devices off the PCI bus
    QString driver_version;  // the driver module's version where it states one
    bool removable = false;
    std::vector<CDrmConnector> connectors;  // in connector-name order
};

// Cards in number order, each with its connectors; writeback connectors, which capture the
// desktop rather than show it, are left out.
std::vector<CDrmCard> read_drm_cards(const QString& sys_root);

// The connector node ("card0-DP-1") whose DDC lines are the bus `bus` ("i2c-5"): the
// connector's `ddc` link, or a DisplayPort AUX bus sitting under the connector node. Empty
// when no connector claims the bus.
QString drm_connector_of_bus(const QString& sys_root, const QString& bus);

// The bus adapter's own name ("AMDGPU DM i2c hw bus 1"), empty when unknown.
QString i2c_bus_name(const QString& sys_root, const QString& bus);

}  // namespace platform
