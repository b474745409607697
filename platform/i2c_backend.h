#pragma once

#include <QString>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/access_library.h"
#include "platform/i2c_device_ops.h"

namespace platform {

// The machine's own video cables: every /dev/i2c-N bus on which the EDID address answers with
// an EDID header is a video interface (DDC/CI at 0x37, EDID at 0x50), in bus-number order.
//
// Other programs (brightness applets, command-line DDC tools) use the same buses: a bus device
// is opened only for one transaction and closed after it, and an advisory lock on it is held
// for the transaction's duration. A bus that cannot be opened is left out with a log line
// saying what to do; nothing here throws or aborts.
class CI2cBackend : public CAccessBackend {
  public:
    // Where the device nodes and the kernel's object tree are; tests point them at a tree of
    // their own and hand in fake device operations.
    struct Paths {
        QString dev = QStringLiteral("/dev");
        QString sys = QStringLiteral("/sys");
    };

    // 7-bit addresses of the display's DDC/CI slave and EDID EEPROM.
    static constexpr int kDdcSlave = 0x37;
    static constexpr int kEdidSlave = 0x50;

    CI2cBackend();
    CI2cBackend(Paths paths, std::unique_ptr<CI2cDeviceOps> ops);
    ~CI2cBackend() override;
    CI2cBackend(const CI2cBackend&) = delete;
    CI2cBackend& operator=(const CI2cBackend&) = delete;

    void rescan(int mode) override;
    int interface_count() const override;
    int interface_info(int local_index, CInterfaceInfo& info) override;
    int i2c_write(int local_index, int address, const std::uint8_t* data, int length) override;
    int i2c_read(int local_index, int address, std::uint8_t* buffer, int length) override;
    int begin_transaction(int local_index) override;
    void end_transaction(int local_index) override;

    // "i2c-5" and the DRM connector ("card0-DP-1") it serves, empty when none claims it.
    QString bus(int local_index) const;
    QString connector(int local_index) const;

  private:
    struct Bus {
        QString name;
        QString path;
        QString connector;
        QByteArray edid;      // as the kernel read it for the output; empty: read over the bus
        int edid_offset = 0;  // where the next EDID read starts
        int fd = -1;          // open only within a transaction
        int depth = 0;
    };
    // Opens and locks a bus device: the descriptor, or an access-library error.
    int open_locked(const QString& path, const QString& name, bool report);
    void close_locked(int fd);
    // Runs `messages` on an open bus, falling back to plain reads and writes for this transfer
    // where the driver rejects the combined one. 0 or -errno.
    int run(int fd, CI2cMessage* messages, int count);
    // Runs one message on interface `local_index`, inside or outside a transaction.
    int single(int local_index, CI2cMessage message);
    bool probe(const QString& path, const QString& name);
    void report_once(const QString& key, const QString& text, bool warning);

    Paths paths_;
    std::unique_ptr<CI2cDeviceOps> ops_;
    mutable std::mutex mutex_;
    std::vector<Bus> buses_;
    std::set<QString> reported_;
};

}  // namespace platform
