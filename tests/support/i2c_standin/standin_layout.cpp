#include "standin_layout.h"

#include <QDir>
#include <QFile>
#include <cerrno>

#include "sim/sim_config.h"
#include "standin_bus.h"

namespace standin {

namespace {

bool put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    return file.write(bytes) == bytes.size();
}

bool add_bus(const QString& root, const BusSettings& s, const QString& under) {
    const QString device = root + QStringLiteral("/sys/bus/i2c/devices/") + s.name;
    if (!put(device + QStringLiteral("/name"), s.adapter.toUtf8() + '\n')) return false;
    if (!put(root + QStringLiteral("/sys/class/i2c-dev/") + s.name + QStringLiteral("/name"),
             s.adapter.toUtf8() + '\n'))
        return false;
    if (!under.isEmpty() && !QDir().mkpath(under + QLatin1Char('/') + s.name)) return false;
    if (!write_settings(root, s)) return false;
    sync_node(root, s);
    return true;
}

}  // namespace

bool lay_out(const QString& root, QString& error) {
    for (const char* folder : {"/dev", "/sys", "/buses"})
        QDir(root + QLatin1String(folder)).removeRecursively();
    QFile::remove(root + QStringLiteral("/transfers.log"));
    QDir().mkpath(root + QStringLiteral("/dev"));
    const sim::CSimConfig config = sim::CSimConfig::default_set();
    const QString drm = root + QStringLiteral("/sys/class/drm");
    if (!put(drm + QStringLiteral("/card0/device/uevent"), "DRIVER=amdgpu\nPCI_ID=1002:73BF\n")) {
        error = QStringLiteral("cannot write under %1").arg(root);
        return false;
    }

    BusSettings smbus;
    smbus.name = QStringLiteral("i2c-0");
    smbus.kind = QStringLiteral("smbus");
    smbus.adapter = QStringLiteral("SMBus PIIX4 adapter port 0 at 0b00");
    bool ok = add_bus(root, smbus, QString());
    ok = ok && put(root + QStringLiteral("/sys/bus/i2c/devices/0-0050/name"), "ee1004\n");

    const int drivers[] = {ENXIO, EREMOTEIO, EIO};
    const int displays = static_cast<int>(config.displays.size());
    int aux = displays + 1;
    for (int k = 0; k < displays && ok; ++k) {
        const sim::CSimDisplay& d = config.displays[static_cast<std::size_t>(k)];
        const QString connector =
            drm + QLatin1Char('/') + d.adapter + QLatin1Char('-') + d.connector;
        BusSettings bus;
        bus.name = QStringLiteral("i2c-%1").arg(k + 1);
        bus.kind = QStringLiteral("display");
        bus.monitor =
            d.monitor >= 0 ? config.monitors[static_cast<std::size_t>(d.monitor)].id : QString();
        bus.adapter = QStringLiteral("AMDGPU DM i2c hw bus %1").arg(k);
        bus.nack_errno = drivers[k % 3];
        ok = ok && add_bus(root, bus, QString());
        ok = ok && put(connector + QStringLiteral("/status"), "connected\n");
        ok = ok &&
             put(connector + QStringLiteral("/enabled"), d.active ? "enabled\n" : "disabled\n");
        ok = ok && put(connector + QStringLiteral("/edid"), d.edid);
        ok = ok && QFile::link(QStringLiteral("../../../bus/i2c/devices/") + bus.name,
                               connector + QStringLiteral("/ddc"));
        if (ok && d.connector.startsWith(QLatin1String("DP"))) {
            // The DisplayPort AUX channel reaches the same monitor's DDC/CI and EDID.
            BusSettings channel = bus;
            channel.name = QStringLiteral("i2c-%1").arg(aux++);
            channel.adapter = QStringLiteral("AMDGPU DM aux hw bus %1").arg(k);
            ok = add_bus(root, channel, connector);
        }
    }
    if (!ok) error = QStringLiteral("cannot lay out the stand-in under %1").arg(root);
    return ok;
}

}  // namespace standin
