#include "platform/i2c_device_ops.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {
int failure() {
    return errno > 0 ? -errno : -EIO;
}
}  // namespace

int CLinuxI2cDeviceOps::open_device(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC);
    return fd >= 0 ? fd : failure();
}

void CLinuxI2cDeviceOps::close_device(int fd) {
    ::close(fd);
}

int CLinuxI2cDeviceOps::try_lock(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : failure();
}

int CLinuxI2cDeviceOps::unlock(int fd) {
    return ::flock(fd, LOCK_UN) == 0 ? 0 : failure();
}

int CLinuxI2cDeviceOps::functionality(int fd, unsigned long& functions) {
    return ::ioctl(fd, I2C_FUNCS, &functions) == 0 ? 0 : failure();
}

int CLinuxI2cDeviceOps::transfer(int fd, CI2cMessage* messages, int count) {
    std::vector<i2c_msg> list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        i2c_msg& m = list[static_cast<std::size_t>(i)];
        m.addr = static_cast<__u16>(messages[i].address);
        m.flags = messages[i].read ? I2C_M_RD : 0;
        m.len = static_cast<__u16>(messages[i].length);
        m.buf = messages[i].data;
    }
    i2c_rdwr_ioctl_data data{list.data(), static_cast<__u32>(count)};
    const int result = ::ioctl(fd, I2C_RDWR, &data);
    if (result < 0) return failure();
    // The kernel reports how many messages went through; a short count is a failed transfer.
    return result == count ? 0 : -EIO;
}

int CLinuxI2cDeviceOps::set_slave(int fd, int address, bool force) {
    return ::ioctl(fd, force ? I2C_SLAVE_FORCE : I2C_SLAVE, static_cast<unsigned long>(address)) ==
                   0
               ? 0
               : failure();
}

int CLinuxI2cDeviceOps::write_bytes(int fd, const std::uint8_t* data, int length) {
    const ssize_t n = ::write(fd, data, static_cast<std::size_t>(length));
    if (n < 0) return failure();
    return n == length ? static_cast<int>(n) : -EIO;
}

int CLinuxI2cDeviceOps::read_bytes(int fd, std::uint8_t* data, int length) {
    const ssize_t n = ::read(fd, data, static_cast<std::size_t>(length));
    if (n < 0) return failure();
    return n == length ? static_cast<int>(n) : -EIO;
}

}  // namespace platform
