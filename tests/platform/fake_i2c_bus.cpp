#include "fake_i2c_bus.h"

#include <linux/i2c.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace testing_support {

bool FakeI2cOps::locked(const QString& name) const {
    for (const auto& [fd, open] : open_) {
        if (open.name == name && open.locked) return true;
    }
    return false;
}

int FakeI2cOps::open_device(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path)) return -ENOENT;
    FakeBus& b = buses_[name];
    ++b.opens;
    if (b.open_error) return -b.open_error;
    const int fd = next_fd_++;
    open_[fd] = Open{name};
    return fd;
}

void FakeI2cOps::close_device(int fd) {
    auto it = open_.find(fd);
    if (it == open_.end()) return;
    ++buses_[it->second.name].closes;
    open_.erase(it);  // closing a descriptor drops its lock, as flock's do
}

int FakeI2cOps::try_lock(int fd) {
    auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    FakeBus& b = buses_[it->second.name];
    if (b.held_by_other_polls < 0) return -EWOULDBLOCK;
    if (b.held_by_other_polls > 0) {
        --b.held_by_other_polls;
        return -EWOULDBLOCK;
    }
    if (locked(it->second.name)) return -EWOULDBLOCK;
    it->second.locked = true;
    ++b.locks;
    return 0;
}

int FakeI2cOps::unlock(int fd) {
    auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    if (it->second.locked) ++buses_[it->second.name].unlocks;
    it->second.locked = false;
    return 0;
}

int FakeI2cOps::functionality(int fd, unsigned long& functions) {
    auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    const FakeBus& b = buses_[it->second.name];
    if (b.functions_error) return -b.functions_error;
    functions = I2C_FUNC_SMBUS_BYTE_DATA;
    if (b.plain_i2c) functions |= I2C_FUNC_I2C;
    return 0;
}

int FakeI2cOps::message(FakeBus& b, const platform::CI2cMessage& m) {
    b.addresses.push_back(m.address);
    if (b.transfer_error) return -b.transfer_error;
    if (m.address == 0x50 && !b.eeprom.isEmpty()) {
        if (m.read) {
            for (int i = 0; i < m.length; ++i)
                m.data[i] = static_cast<std::uint8_t>(b.eeprom[i % b.eeprom.size()]);
        }
        return 0;
    }
    if (!b.monitor || (m.address != 0x50 && m.address != 0x37)) return -ENXIO;
    const int address = m.address << 1;
    const int result = m.read ? b.monitor->i2c_read(address | 1, m.data, m.length)
                              : b.monitor->i2c_write(address, m.data, m.length);
    return result < 0 ? -ENXIO : 0;
}

int FakeI2cOps::transfer(int fd, platform::CI2cMessage* messages, int count) {
    auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    FakeBus& b = buses_[it->second.name];
    ++b.rdwr_calls;
    if (b.rejects_rdwr) return -EOPNOTSUPP;
    for (int i = 0; i < count; ++i) {
        if (const int r = message(b, messages[i])) return r;
    }
    return 0;
}

int FakeI2cOps::set_slave(int fd, int address, bool /*force*/) {
    auto it = open_.find(fd);
    if (it == open_.end()) return -EBADF;
    it->second.slave = address;
    return 0;
}

int FakeI2cOps::write_bytes(int fd, const std::uint8_t* data, int length) {
    auto it = open_.find(fd);
    if (it == open_.end() || it->second.slave < 0) return -EBADF;
    FakeBus& b = buses_[it->second.name];
    ++b.plain_calls;
    const int r = message(b, {it->second.slave, false, const_cast<std::uint8_t*>(data), length});
    return r < 0 ? r : length;
}

int FakeI2cOps::read_bytes(int fd, std::uint8_t* data, int length) {
    auto it = open_.find(fd);
    if (it == open_.end() || it->second.slave < 0) return -EBADF;
    FakeBus& b = buses_[it->second.name];
    ++b.plain_calls;
    const int r = message(b, {it->second.slave, true, data, length});
    return r < 0 ? r : length;
}

FakeMachine::FakeMachine(const QString& root)
    : dev(root + QStringLiteral("/dev")), sys(root + QStringLiteral("/sys")) {
    QDir().mkpath(dev);
    QDir().mkpath(sys + QStringLiteral("/class/drm"));
    QDir().mkpath(sys + QStringLiteral("/bus/i2c/devices"));
}

void FakeMachine::write(const QString& relative, const QByteArray& bytes) {
    const QString path = sys + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

void FakeMachine::add_bus_node(const QString& name) {
    QFile file(dev + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly)) file.close();
    QDir().mkpath(sys + QStringLiteral("/devices/i2c/") + name);
    QFile::link(sys + QStringLiteral("/devices/i2c/") + name,
                sys + QStringLiteral("/bus/i2c/devices/") + name);
}

void FakeMachine::add_card(const QString& card, const QString& driver, const QString& pci_id,
                           const QString& driver_version) {
    QByteArray uevent = "DRIVER=" + driver.toUtf8() + "\n";
    if (!pci_id.isEmpty()) uevent += "PCI_ID=" + pci_id.toUtf8() + "\n";
    write(QStringLiteral("devices/pci/") + card + QStringLiteral("/uevent"), uevent);
    write(QStringLiteral("devices/pci/") + card + QStringLiteral("/removable"), "fixed\n");
    QDir().mkpath(sys + QStringLiteral("/devices/pci/") + card + QStringLiteral("/drm/") + card);
    QFile::link(sys + QStringLiteral("/devices/pci/") + card,
                sys + QStringLiteral("/devices/pci/") + card + QStringLiteral("/drm/") + card +
                    QStringLiteral("/device"));
    QFile::link(sys + QStringLiteral("/devices/pci/") + card + QStringLiteral("/drm/") + card,
                sys + QStringLiteral("/class/drm/") + card);
    if (!driver_version.isEmpty())
        write(QStringLiteral("module/") + driver + QStringLiteral("/version"),
              driver_version.toUtf8() + "\n");
}

void FakeMachine::add_connector(const QString& card, const QString& name, bool connected,
                                bool enabled, const QByteArray& edid, const QString& ddc,
                                const QString& aux) {
    const QString node = card + QLatin1Char('-') + name;
    const QString device = QStringLiteral("devices/pci/") + card + QStringLiteral("/drm/") + card +
                           QLatin1Char('/') + node;
    write(device + QStringLiteral("/status"), connected ? "connected\n" : "disconnected\n");
    write(device + QStringLiteral("/enabled"), enabled ? "enabled\n" : "disabled\n");
    write(device + QStringLiteral("/edid"), edid);
    if (!ddc.isEmpty()) {
        QFile::link(sys + QStringLiteral("/devices/i2c/") + ddc,
                    sys + QLatin1Char('/') + device + QStringLiteral("/ddc"));
    }
    if (!aux.isEmpty()) QDir().mkpath(sys + QLatin1Char('/') + device + QLatin1Char('/') + aux);
    QFile::link(sys + QLatin1Char('/') + device, sys + QStringLiteral("/class/drm/") + node);
}

}  // namespace testing_support
