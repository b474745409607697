#include "platform/i2c_backend.h"

#include <linux/i2c.h>
#include <QDir>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "platform/drm_sysfs.h"
#include "platform/edid_identity.h"
#include "platform/platform_timing.h"
#include "platform/sleeper.h"

Q_LOGGING_CATEGORY(i2c_log, "orvale.i2c", QtInfoMsg)

namespace platform {

namespace {

// A failed transfer. Only a device that is gone is final; a missing acknowledge (ENXIO,
// EREMOTEIO, EIO, by driver), lost arbitration (EAGAIN), a time-out and a suspended adapter
// (ESHUTDOWN) are worth another attempt.
int transfer_error(int negative_errno) {
    return -negative_errno == ENODEV ? kAccessNoDevice : kAccessIoError;
}

// A failed open: the node is gone (ENOENT), or left behind by an adapter that is (ENXIO,
// ENODEV).
int open_error(int negative_errno) {
    switch (-negative_errno) {
        case ENODEV:
        case ENOENT:
        case ENXIO:
            return kAccessNoDevice;
        default:
            return kAccessIoError;
    }
}

// The kernel offers the EDID it read itself: no need to ask the monitor again.
bool usable_edid(const QByteArray& edid) {
    return edid.size() >= 128 && has_edid_header(edid.left(8));
}

QString error_text(int negative_errno) {
    return QString::fromLocal8Bit(std::strerror(-negative_errno));
}

int bus_number(const QString& name) {
    return name.mid(4).toInt();
}

}  // namespace

CI2cBackend::CI2cBackend() : CI2cBackend(Paths(), std::make_unique<CLinuxI2cDeviceOps>()) {}

CI2cBackend::CI2cBackend(Paths paths, std::unique_ptr<CI2cDeviceOps> ops)
    : paths_(std::move(paths)), ops_(std::move(ops)) {}

CI2cBackend::~CI2cBackend() {
    std::lock_guard lock(mutex_);
    for (Bus& bus : buses_) {
        if (bus.fd >= 0) close_locked(bus.fd);
    }
}

void CI2cBackend::report_once(const QString& key, const QString& text, bool warning) {
    {
        std::lock_guard lock(mutex_);
        if (!reported_.insert(key).second) return;
    }
    if (warning) {
        qCWarning(i2c_log).noquote() << text;
    } else {
        qCInfo(i2c_log).noquote() << text;
    }
}

int CI2cBackend::open_locked(const QString& path, const QString& name, bool report) {
    const int fd = ops_->open_device(path);
    if (fd < 0) {
        if (!report) return open_error(fd);
        if (fd == -EACCES || fd == -EPERM) {
            // The same fix for every bus: once is enough.
            report_once(QStringLiteral("permission"),
                        QStringLiteral("cannot open %1 (%2): monitors on this bus cannot be "
                                       "reached. Give your user access to the I2C buses, for "
                                       "example with a udev rule KERNEL==\"i2c-[0-9]*\", "
                                       "TAG+=\"uaccess\" (or membership of the i2c group), and "
                                       "make sure the i2c-dev module is loaded.")
                            .arg(path, error_text(fd)),
                        true);
        } else {
            report_once(
                name + QStringLiteral("/open"),
                QStringLiteral("cannot open %1 (%2); bus skipped").arg(path, error_text(fd)), true);
        }
        return open_error(fd);
    }
    // Another program's transaction holds the bus for one exchange at most (the DDC/CI layer
    // lets go of it between attempts); wait for it.
    int waited = 0;
    for (;;) {
        const int locked = ops_->try_lock(fd);
        if (locked == 0) return fd;
        if (locked != -EWOULDBLOCK || waited >= platform_timing::kBusLockWaitMs) {
            ops_->close_device(fd);
            if (report) {
                report_once(
                    name + QStringLiteral("/lock"),
                    QStringLiteral("%1 stays in use by another program; bus skipped").arg(path),
                    false);
            }
            return locked == -EWOULDBLOCK ? kAccessBusy : kAccessIoError;
        }
        sleep_ms(platform_timing::kBusLockPollMs);
        waited += platform_timing::kBusLockPollMs;
    }
}

void CI2cBackend::close_locked(int fd) {
    ops_->unlock(fd);
    ops_->close_device(fd);
}

int CI2cBackend::run(int fd, CI2cMessage* messages, int count) {
    // A refusal may be about this transfer only, so the next one tries the ioctl again: where
    // a kernel driver holds the DDC/CI address, plain I/O is refused but I2C_RDWR is not.
    const int result = ops_->transfer(fd, messages, count);
    if (result != -EOPNOTSUPP && result != -EINVAL) return result;
    for (int i = 0; i < count; ++i) {
        const CI2cMessage& m = messages[i];
        int result = ops_->set_slave(fd, m.address, false);
        // The EDID EEPROM is only read (and its offset set), as the bound driver does itself,
        // so sharing it is harmless; DDC/CI requests beside a kernel driver are not.
        if (result == -EBUSY && m.address == kEdidSlave)
            result = ops_->set_slave(fd, m.address, true);
        if (result < 0) return result;
        result = m.read ? ops_->read_bytes(fd, m.data, m.length)
                        : ops_->write_bytes(fd, m.data, m.length);
        if (result < 0) return result;
    }
    return 0;
}

bool CI2cBackend::probe(const QString& path, const QString& name) {
    const int fd = open_locked(path, name, true);
    if (fd < 0) return false;
    bool found = false;
    unsigned long functions = 0;
    const int queried = ops_->functionality(fd, functions);
    if (queried < 0) {
        report_once(name + QStringLiteral("/functions"),
                    QStringLiteral("%1 is not an I2C bus device (%2); skipped")
                        .arg(path, error_text(queried)),
                    false);
    } else if (!(functions & I2C_FUNC_I2C)) {
        // SMBus-only controllers (memory modules, sensors) carry no display; writing to them
        // is not ours to try.
    } else {
        std::uint8_t offset = 0;
        std::uint8_t header[8] = {};
        CI2cMessage messages[2] = {{kEdidSlave, false, &offset, 1},
                                   {kEdidSlave, true, header, sizeof header}};
        if (run(fd, messages, 2) == 0) {
            found =
                has_edid_header(QByteArray(reinterpret_cast<const char*>(header), sizeof header));
        }
    }
    close_locked(fd);
    return found;
}

void CI2cBackend::rescan(int /*mode*/) {
    {
        std::lock_guard lock(mutex_);
        for (Bus& bus : buses_) {
            if (bus.fd >= 0) close_locked(bus.fd);
        }
        buses_.clear();
    }
    static const QRegularExpression bus_pattern(QStringLiteral("^i2c-\\d+$"));
    QStringList names;
    for (const QString& entry :
         QDir(paths_.dev).entryList({QStringLiteral("i2c-*")}, QDir::System | QDir::Files)) {
        if (bus_pattern.match(entry).hasMatch()) names << entry;
    }
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return bus_number(a) < bus_number(b); });
    if (names.isEmpty()) {
        // Only worth saying where there are outputs whose monitors could be reached.
        bool outputs = false;
        for (const CDrmCard& card : read_drm_cards(paths_.sys))
            outputs = outputs || !card.connectors.empty();
        if (outputs) {
            report_once(QStringLiteral("no-buses"),
                        QStringLiteral("no I2C bus devices in %1: load the i2c-dev module "
                                       "(modprobe i2c-dev, or list it in /etc/modules-load.d) "
                                       "to reach monitors over their video cables")
                            .arg(paths_.dev),
                        true);
        }
        return;
    }
    // One interface per output: a DisplayPort monitor answers on the adapter's DDC bus and on
    // its AUX channel alike, and would otherwise be listed (and probed) twice. The output's
    // `ddc` link is preferred.
    std::map<QString, CDrmConnector> outputs;
    std::map<QString, QString> chosen;  // output -> bus
    for (const CDrmCard& card : read_drm_cards(paths_.sys)) {
        for (const CDrmConnector& connector : card.connectors) {
            for (const QString& bus : connector.buses) {
                if (!names.contains(bus)) continue;
                outputs[bus] = connector;
                if (!chosen.count(connector.node)) chosen[connector.node] = bus;
            }
        }
    }
    std::vector<Bus> found;
    for (const QString& name : names) {
        Bus bus;
        bus.name = name;
        bus.path = paths_.dev + QLatin1Char('/') + name;
        if (const auto output = outputs.find(name); output != outputs.end()) {
            if (chosen[output->second.node] != name) continue;
            bus.connector = output->second.node;
            // The kernel read the EDID already: the bus reaches that monitor without asking.
            if (output->second.connected && usable_edid(output->second.edid)) {
                bus.edid = output->second.edid;
                found.push_back(bus);
                continue;
            }
        }
        if (probe(bus.path, name)) found.push_back(bus);
    }
    std::lock_guard lock(mutex_);
    buses_ = std::move(found);
}

int CI2cBackend::interface_count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(buses_.size());
}

int CI2cBackend::interface_info(int local_index, CInterfaceInfo& info) {
    std::lock_guard lock(mutex_);
    if (local_index < 0 || local_index >= static_cast<int>(buses_.size())) return kAccessBadIndex;
    info = CInterfaceInfo();
    info.set_int(info_offset::type, kInterfaceTypeVideo);
    info.bytes[info_offset::usable] = 1;
    return 0;
}

QString CI2cBackend::bus(int local_index) const {
    std::lock_guard lock(mutex_);
    if (local_index < 0 || local_index >= static_cast<int>(buses_.size())) return QString();
    return buses_[static_cast<std::size_t>(local_index)].name;
}

QString CI2cBackend::connector(int local_index) const {
    std::lock_guard lock(mutex_);
    if (local_index < 0 || local_index >= static_cast<int>(buses_.size())) return QString();
    return buses_[static_cast<std::size_t>(local_index)].connector;
}

int CI2cBackend::begin_transaction(int local_index) {
    QString path, name;
    {
        std::lock_guard lock(mutex_);
        if (local_index < 0 || local_index >= static_cast<int>(buses_.size()))
            return kAccessBadIndex;
        Bus& bus = buses_[static_cast<std::size_t>(local_index)];
        if (bus.depth > 0) {
            ++bus.depth;
            return 0;
        }
        path = bus.path;
        name = bus.name;
    }
    // The wait for another program's lock happens without holding our own.
    const int fd = open_locked(path, name, false);
    if (fd < 0) return fd;
    std::lock_guard lock(mutex_);
    if (local_index >= static_cast<int>(buses_.size())) {
        close_locked(fd);
        return kAccessBadIndex;
    }
    Bus& bus = buses_[static_cast<std::size_t>(local_index)];
    bus.fd = fd;
    bus.depth = 1;
    return 0;
}

void CI2cBackend::end_transaction(int local_index) {
    std::lock_guard lock(mutex_);
    if (local_index < 0 || local_index >= static_cast<int>(buses_.size())) return;
    Bus& bus = buses_[static_cast<std::size_t>(local_index)];
    if (bus.depth == 0 || --bus.depth > 0) return;
    close_locked(bus.fd);
    bus.fd = -1;
}

int CI2cBackend::single(int local_index, CI2cMessage message) {
    int fd = -1;
    bool own = false;
    QString path, name;
    {
        std::lock_guard lock(mutex_);
        if (local_index < 0 || local_index >= static_cast<int>(buses_.size()))
            return kAccessBadIndex;
        Bus& bus = buses_[static_cast<std::size_t>(local_index)];
        if (message.address == kEdidSlave && !bus.edid.isEmpty()) {
            // The EDID as the kernel read it, at the offset the last write set.
            if (!message.read) {
                if (message.length > 0) bus.edid_offset = message.data[0];
                return 0;
            }
            for (int i = 0; i < message.length; ++i) {
                const int at = bus.edid_offset + i;
                message.data[i] =
                    at < bus.edid.size() ? static_cast<std::uint8_t>(bus.edid[at]) : 0xFF;
            }
            bus.edid_offset = (bus.edid_offset + message.length) & 0xFF;
            return 0;
        }
        fd = bus.fd;
        path = bus.path;
        name = bus.name;
    }
    if (fd < 0) {
        // A transfer outside a transaction is a transaction of its own.
        fd = open_locked(path, name, false);
        if (fd < 0) return fd;
        own = true;
    }
    const int result = run(fd, &message, 1);
    if (own) close_locked(fd);
    return result < 0 ? transfer_error(result) : 0;
}

int CI2cBackend::i2c_write(int local_index, int address, const std::uint8_t* data, int length) {
    // i2c-dev takes a non-const buffer for both directions; a write does not change it.
    CI2cMessage message{address >> 1, false, const_cast<std::uint8_t*>(data), length};
    const int result = single(local_index, message);
    return result < 0 ? result : length;
}

int CI2cBackend::i2c_read(int local_index, int address, std::uint8_t* buffer, int length) {
    return single(local_index, CI2cMessage{address >> 1, true, buffer, length});
}

}  // namespace platform
