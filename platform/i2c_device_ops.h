#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// One message of a combined I2C transfer; the address is the 7-bit slave address.
struct CI2cMessage {
    int address = 0;
    bool read = false;
    std::uint8_t* data = nullptr;
    int length = 0;
};

// The file operations of the I2C backend on a bus device (i2c-dev). Results: 0 or a count
// on success, -errno on failure. Tests stand in a fake for the kernel.
class CI2cDeviceOps {
  public:
    virtual ~CI2cDeviceOps() = default;
    virtual int open_device(const QString& path) = 0;  // a descriptor
    virtual void close_device(int fd) = 0;
    // Advisory lock shared with other programs using the bus; never blocks.
    virtual int try_lock(int fd) = 0;
    virtual int unlock(int fd) = 0;
    virtual int functionality(int fd, unsigned long& functions) = 0;     // I2C_FUNCS
    virtual int transfer(int fd, CI2cMessage* messages, int count) = 0;  // I2C_RDWR
    // I2C_SLAVE, or I2C_SLAVE_FORCE (also where a kernel driver holds the address).
    virtual int set_slave(int fd, int address, bool force) = 0;
    virtual int write_bytes(int fd, const std::uint8_t* data, int length) = 0;
    virtual int read_bytes(int fd, std::uint8_t* data, int length) = 0;
};

// The kernel's i2c-dev interface.
class CLinuxI2cDeviceOps final : public CI2cDeviceOps {
  public:
    int open_device(const QString& path) override;
    void close_device(int fd) override;
    int try_lock(int fd) override;
    int unlock(int fd) override;
    int functionality(int fd, unsigned long& functions) override;
    int transfer(int fd, CI2cMessage* messages, int count) override;
    int set_slave(int fd, int address, bool force) override;
    int write_bytes(int fd, const std::uint8_t* data, int length) override;
    int read_bytes(int fd, std::uint8_t* data, int length) override;
};

}  // namespace platform
