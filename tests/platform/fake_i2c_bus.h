#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "platform/i2c_device_ops.h"
#include "sim/sim_monitor.h"

namespace testing_support {

// What stands behind one fake /dev/i2c-N node.
struct FakeBus {
    sim::CSimMonitor* monitor = nullptr;  // answers at 0x50 and 0x37; null: nothing answers
    QByteArray eeprom;                    // answers at 0x50 instead (a memory module's SPD)
    int open_error = 0;                   // errno open() fails with
    bool plain_i2c = true;                // I2C_FUNC_I2C; false: an SMBus-only controller
    int functions_error = 0;              // errno I2C_FUNCS fails with (a node that is no bus)
    bool rejects_rdwr = false;            // I2C_RDWR fails with EOPNOTSUPP
    int transfer_error = 0;               // errno every transfer fails with (0: none)
    int held_by_other_polls = 0;  // lock attempts refused before the lock is free; <0 always

    // What the bus saw.
    int opens = 0;
    int closes = 0;
    int locks = 0;
    int unlocks = 0;
    int rdwr_calls = 0;
    int plain_calls = 0;
    std::vector<int> addresses;  // 7-bit slave address of every message
};

// Fake i2c-dev file operations over a set of named buses ("i2c-3"), keyed by the node's file
// name. Descriptors are numbered from 100; the fake tracks which are open and locked.
class FakeI2cOps final : public platform::CI2cDeviceOps {
  public:
    FakeBus& bus(const QString& name) { return buses_[name]; }
    int open_descriptors() const { return static_cast<int>(open_.size()); }
    bool locked(const QString& name) const;

    int open_device(const QString& path) override;
    void close_device(int fd) override;
    int try_lock(int fd) override;
    int unlock(int fd) override;
    int functionality(int fd, unsigned long& functions) override;
    int transfer(int fd, platform::CI2cMessage* messages, int count) override;
    int set_slave(int fd, int address, bool force) override;
    int write_bytes(int fd, const std::uint8_t* data, int length) override;
    int read_bytes(int fd, std::uint8_t* data, int length) override;

  private:
    struct Open {
        QString name;
        bool locked = false;
        int slave = -1;
    };
    int message(FakeBus& bus, const platform::CI2cMessage& m);

    std::map<QString, FakeBus> buses_;
    std::map<int, Open> open_;
    int next_fd_ = 100;
};

// A scratch tree standing in for /dev and /sys.
struct FakeMachine {
    explicit FakeMachine(const QString& root);
    QString dev;
    QString sys;

    void add_bus_node(const QString& name);  // an empty file /dev/i2c-N
    // /sys/class/drm/cardN-NAME with status, enabled, edid; ddc: the bus linked as `ddc`;
    // aux: a DisplayPort AUX bus registered under the connector node instead.
    void add_connector(const QString& card, const QString& name, bool connected, bool enabled,
                       const QByteArray& edid, const QString& ddc = QString(),
                       const QString& aux = QString());
    void add_card(const QString& card, const QString& driver, const QString& pci_id,
                  const QString& driver_version = QString());
    void write(const QString& relative, const QByteArray& bytes);
};

}  // namespace testing_support
