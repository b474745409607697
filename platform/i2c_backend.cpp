#include "platform/i2c_backend.h"

#include <linux/i2c.h>
#include <QDir>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/drm_sysfs.h"
#include "platform/edid_identity.h"
#include "platform/sleeper.h"

Q_LOGGING_CATEGORY(i2c_log, "orvale.i2c", QtInfoMsg)

namespace platform {

namespace {

int access_error(int negative_errno) {
    switch (-negative_errno) {
        case ENODEV:
        case ENOENT:
        case ESHUTDOWN:
            return kAccessNoDevice;
        case EWOULDBLOCK:
            return kAccessBusy;
        default:
            return kAccessIoError;
    }
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
        if (!report) return access_error(fd);
        if (fd == -EACCES || fd == -EPERM) {
            report_once(name + QStringLiteral("/permission"),
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
        return access_error(fd);
    }
    // Another program's transaction on the bus ends within a few exchanges; wait for it.
    int waited = 0;
    for (;;) {
        const int locked = ops_->try_lock(fd);
        if (locked == 0) return fd;
        if (locked != -EWOULDBLOCK || waited >= kLockWaitMs) {
            ops_->close_device(fd);
            if (report) {
                report_once(
                    name + QStringLiteral("/lock"),
                    QStringLiteral("%1 stays in use by another program; bus skipped").arg(path),
                    false);
            }
            return locked == -EWOULDBLOCK ? kAccessBusy : access_error(locked);
        }
        sleep_ms(kLockPollMs);
        waited += kLockPollMs;
    }
}

void CI2cBackend::close_locked(int fd) {
    ops_->unlock(fd);
    ops_->close_device(fd);
}

int CI2cBackend::run(int fd, bool& plain_io, CI2cMessage* messages, int count) {
    if (!plain_io) {
        const int result = ops_->transfer(fd, messages, count);
        if (result != -EOPNOTSUPP && result != -EINVAL) return result;
        plain_io = true;
    }
    for (int i = 0; i < count; ++i) {
        const CI2cMessage& m = messages[i];
        int result = ops_->set_slave(fd, m.address);
        if (result < 0) return result;
        result = m.read ? ops_->read_bytes(fd, m.data, m.length)
                        : ops_->write_bytes(fd, m.data, m.length);
        if (result < 0) return result;
    }
    return 0;
}

bool CI2cBackend::probe(const QString& path, const QString& name, QString& connector) {
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
        bool plain_io = false;
        if (run(fd, plain_io, messages, 2) == 0) {
            found =
                has_edid_header(QByteArray(reinterpret_cast<const char*>(header), sizeof header));
        }
    }
    close_locked(fd);
    if (found) connector = drm_connector_of_bus(paths_.sys, name);
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
    std::vector<Bus> found;
    for (const QString& name : names) {
        Bus bus;
        bus.name = name;
        bus.path = paths_.dev + QLatin1Char('/') + name;
        if (probe(bus.path, name, bus.connector)) found.push_back(bus);
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
    bool plain_io = false;
    QString path, name;
    {
        std::lock_guard lock(mutex_);
        if (local_index < 0 || local_index >= static_cast<int>(buses_.size()))
            return kAccessBadIndex;
        const Bus& bus = buses_[static_cast<std::size_t>(local_index)];
        fd = bus.fd;
        plain_io = bus.plain_io;
        path = bus.path;
        name = bus.name;
    }
    if (fd < 0) {
        // A transfer outside a transaction is a transaction of its own.
        fd = open_locked(path, name, false);
        if (fd < 0) return fd;
        own = true;
    }
    const int result = run(fd, plain_io, &message, 1);
    if (own) close_locked(fd);
    std::lock_guard lock(mutex_);
    if (local_index < static_cast<int>(buses_.size()))
        buses_[static_cast<std::size_t>(local_index)].plain_io = plain_io;
    return result < 0 ? access_error(result) : 0;
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
