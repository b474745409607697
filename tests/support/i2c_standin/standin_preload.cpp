// The kernel side of i2c-dev for processes started by the stand-in: open, close, ioctl, read
// and write on its /dev/i2c-N nodes behave as the kernel's i2c-dev driver does, with the
// transfers answered by the simulated monitors (the simulator's default set, on the state file
// ORVALE_SIM_STATE names, so that orvale-sim shows and changes the same monitors). Everything
// else passes straight to the C library. flock needs nothing of ours: the nodes are real
// files, so the kernel's own advisory locks apply to them across processes.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>

#include "platform/access_library.h"
#include "platform/interface_info.h"
#include "platform/sim_backend.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "standin_bus.h"

namespace {

// The kernel's limits (drivers/i2c/i2c-dev.c).
constexpr std::uint32_t kMaxMessages = I2C_RDWR_IOCTL_MAX_MSGS;
constexpr int kMaxMessageBytes = 8192;
constexpr int kSegmentPointer = 0x30;
constexpr int kEdidAddress = 0x50;
constexpr int kDdcAddress = 0x37;
constexpr int kMaxFds = 4096;

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

using open_fn = int (*)(const char*, int, ...);
using openat_fn = int (*)(int, const char*, int, ...);
using close_fn = int (*)(int);
using ioctl_fn = int (*)(int, unsigned long, ...);
using read_fn = ssize_t (*)(int, void*, size_t);
using write_fn = ssize_t (*)(int, const void*, size_t);
using nanosleep_fn = int (*)(const timespec*, timespec*);
using clock_nanosleep_fn = int (*)(clockid_t, int, const timespec*, timespec*);

// ORVALE_I2C_STANDIN_WAITS=skip: the program's relative sleeps (its protocol waits) return at
// once, for tests whose subject is not timing; the stand-in's monitors answer at once anyway.
bool skip_waits() {
    static const bool skip = [] {
        const char* value = std::getenv("ORVALE_I2C_STANDIN_WAITS");
        return value && std::strcmp(value, "skip") == 0;
    }();
    return skip;
}

// Per descriptor: the bus number + 1 (0: not one of ours) and the I2C_SLAVE address.
std::array<std::atomic<int>, kMaxFds> fd_bus{};
std::array<std::atomic<int>, kMaxFds> fd_slave{};

const char* root_folder() {
    static const char* root = std::getenv("ORVALE_I2C_STANDIN");
    return root;
}

// "/dev/i2c-7" -> 7; -1 for any other path.
int bus_of_path(const char* path) {
    if (!root_folder() || !path) return -1;
    static constexpr char prefix[] = "/dev/i2c-";
    if (std::strncmp(path, prefix, sizeof prefix - 1) != 0) return -1;
    const char* digits = path + sizeof prefix - 1;
    if (!*digits) return -1;
    int n = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9') return -1;
        n = n * 10 + (*p - '0');
    }
    return n;
}

int bus_of_fd(int fd) {
    if (fd < 0 || fd >= kMaxFds) return -1;
    return fd_bus[static_cast<std::size_t>(fd)].load(std::memory_order_relaxed) - 1;
}

QString bus_name(int bus) {
    return QStringLiteral("i2c-%1").arg(bus);
}

class Kernel {
  public:
    // Never destroyed: the program's own teardown may still close descriptors after the
    // toolkit is gone, and the simulated backend must not be torn down under it.
    static Kernel& instance() {
        static Kernel* kernel = new Kernel;
        return *kernel;
    }

    bool settings(int bus, standin::BusSettings& s) {
        return standin::read_settings(QString::fromLocal8Bit(root_folder()), bus_name(bus), s);
    }

    void record(int bus, const char* op, int address, int length, int result) {
        char line[160];
        const int n = std::snprintf(line, sizeof line, "%d i2c-%d %s 0x%02x %d %s\n",
                                    static_cast<int>(getpid()), bus, op, address, length,
                                    result < 0 ? std::strerror(-result) : "ok");
        if (log_fd_ >= 0 && n > 0) real<write_fn>("write")(log_fd_, line, static_cast<size_t>(n));
    }

    // One combined transfer: the number of messages, or -errno as the adapter's driver gives it.
    int transfer(int bus, i2c_msg* msgs, int count, bool combined) {
        std::lock_guard lock(mutex_);
        standin::BusSettings s;
        if (!settings(bus, s) || s.removed || s.stale) return fail_all(bus, msgs, count, -ENODEV);
        const int n = ++transfers_[bus];
        if (s.remove_after > 0 && n == s.remove_after) {
            // The adapter goes away under the open descriptor, as when a dock is unplugged.
            s.removed = true;
            standin::write_settings(QString::fromLocal8Bit(root_folder()), s);
            standin::sync_node(QString::fromLocal8Bit(root_folder()), s);
            return fail_all(bus, msgs, count, -ENODEV);
        }
        if (s.kind != QLatin1String("display")) {
            // An SMBus controller has no plain I2C transfers at all.
            return fail_all(bus, msgs, count, -EOPNOTSUPP);
        }
        if (combined && !s.rdwr) return fail_all(bus, msgs, count, -EOPNOTSUPP);
        if (s.fail_every > 0 && n % s.fail_every == 0)
            return fail_all(bus, msgs, count, -s.fail_errno);
        if (s.slow_ms > 0) {
            const int wait =
                s.timeout_ms > 0 && s.slow_ms > s.timeout_ms ? s.timeout_ms : s.slow_ms;
            // The monitor's own slowness is real time, whatever the program's waits are.
            static const auto sleep = real<nanosleep_fn>("nanosleep");
            const timespec span{wait / 1000, (wait % 1000) * 1000000L};
            sleep(&span, nullptr);
            if (s.timeout_ms > 0 && s.slow_ms > s.timeout_ms)
                return fail_all(bus, msgs, count, -ETIMEDOUT);
        }
        int segment = 0;
        for (int i = 0; i < count; ++i) {
            i2c_msg& m = msgs[i];
            const bool read = m.flags & I2C_M_RD;
            int result = 0;
            if (m.addr == kSegmentPointer && !read && m.len == 1) {
                segment = m.buf[0];
            } else if (m.addr == kEdidAddress) {
                result = edid(s, read, m.buf, m.len, segment);
            } else if (m.addr == kDdcAddress && !s.ddcci_off) {
                result = ddcci(s, read, m.buf, m.len);
            } else {
                result = -s.nack_errno;
            }
            record(bus, read ? "read" : "write", m.addr, m.len, result);
            if (result < 0) return result;
        }
        return count;
    }

    // A monitor id's video interface in the simulated backend, -1 when there is none.
    int interface_of(const QString& monitor) {
        ensure_backend();
        const int index = config_.find_monitor(monitor);
        if (index < 0) return -1;
        int video = 0;
        for (int i = 0; i < backend_->interface_count(); ++i) {
            platform::CInterfaceInfo info;
            if (backend_->interface_info(i, info) != 0) continue;
            if (info.type() != platform::kInterfaceTypeVideo) continue;
            if (video_monitor(video++) == index) return i;
        }
        return -1;
    }

  private:
    Kernel() {
        log_fd_ = real<open_fn>("open")((QByteArray(root_folder()) + "/transfers.log").constData(),
                                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    }

    int fail_all(int bus, i2c_msg* msgs, int count, int error) {
        for (int i = 0; i < count; ++i)
            record(bus, (msgs[i].flags & I2C_M_RD) ? "read" : "write", msgs[i].addr, msgs[i].len,
                   error);
        return error;
    }

    void ensure_backend() {
        if (backend_) return;
        config_ = sim::CSimConfig::default_set();
        if (const QString state = qEnvironmentVariable(sim::CSimConfig::kStateVariable);
            !state.isEmpty())
            config_.state_file = state;
        backend_ = std::make_unique<platform::CSimBackend>(config_);
        backend_->rescan(0);
    }

    // The monitor behind the k-th video interface, in configuration order.
    int video_monitor(int k) const {
        for (int i = 0; i < static_cast<int>(config_.monitors.size()); ++i) {
            if (config_.monitors[static_cast<std::size_t>(i)].video == sim::CSimVideoLink::none)
                continue;
            if (k-- == 0) return i;
        }
        return -1;
    }

    int edid(const standin::BusSettings& s, bool read, std::uint8_t* buf, int len, int segment) {
        ensure_backend();
        const int index = config_.find_monitor(s.monitor);
        if (index < 0) return -s.nack_errno;
        if (!read) {
            if (len >= 1) edid_offset_ = buf[0];
            return 0;
        }
        const QByteArray& bytes = backend_->monitor(static_cast<std::size_t>(index))->edid();
        // E-DDC: the segment pointer selects a 256-byte half; it holds for one transfer only.
        int at = segment * 256 + edid_offset_;
        for (int i = 0; i < len; ++i, ++at)
            buf[i] = at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : 0xFF;
        edid_offset_ = (edid_offset_ + len) & 0xFF;
        return 0;
    }

    int ddcci(const standin::BusSettings& s, bool read, std::uint8_t* buf, int len) {
        const int local = interface_of(s.monitor);
        if (local < 0) return -s.nack_errno;
        const int result = read ? backend_->i2c_read(local, 0x6F, buf, len)
                                : backend_->i2c_write(local, 0x6E, buf, len);
        if (result >= 0) return 0;
        return result == platform::kAccessNoDevice ? -ENODEV : -s.nack_errno;
    }

    std::mutex mutex_;
    sim::CSimConfig config_;
    std::unique_ptr<platform::CSimBackend> backend_;
    std::map<int, int> transfers_;
    int edid_offset_ = 0;
    int log_fd_ = -1;
};

int finish(int result) {
    if (result < 0) {
        errno = -result;
        return -1;
    }
    return result;
}

int after_open(const char* path, int fd) {
    const int bus = bus_of_path(path);
    if (fd < 0 || bus < 0 || fd >= kMaxFds) return fd;
    standin::BusSettings s;
    Kernel& kernel = Kernel::instance();
    if (!kernel.settings(bus, s) || s.stale || s.removed) {
        // A node whose adapter is gone: the character device has no driver behind it.
        real<close_fn>("close")(fd);
        kernel.record(bus, "open", 0, 0, -ENXIO);
        errno = ENXIO;
        return -1;
    }
    fd_slave[static_cast<std::size_t>(fd)] = 0;
    fd_bus[static_cast<std::size_t>(fd)] = bus + 1;
    kernel.record(bus, "open", 0, 0, 0);
    return fd;
}

mode_t mode_argument(int flags, va_list ap) {
    return (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(ap, int)) : 0;
}

int do_ioctl(int fd, int bus, unsigned long request, void* argument) {
    Kernel& kernel = Kernel::instance();
    standin::BusSettings s;
    const bool known = kernel.settings(bus, s);
    if (!known || s.removed || s.stale) return -ENODEV;
    const bool display = s.kind == QLatin1String("display");
    switch (request) {
        case I2C_FUNCS: {
            const unsigned long functions =
                display ? (I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL)
                        : (I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                           I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA);
            *static_cast<unsigned long*>(argument) = functions;
            kernel.record(bus, "funcs", 0, 0, 0);
            return 0;
        }
        case I2C_SLAVE:
        case I2C_SLAVE_FORCE: {
            const auto address = reinterpret_cast<unsigned long>(argument);
            const char* op = request == I2C_SLAVE ? "slave" : "slave-force";
            if (address > 0x7F) {
                kernel.record(bus, op, static_cast<int>(address), 0, -EINVAL);
                return -EINVAL;
            }
            // A bound driver claims its address: the memory module's EEPROM driver at 0x50 on
            // the SMBus, a DDC/CI driver at 0x37 where one is bound.
            const bool bound = (display && s.driver_bound && address == kDdcAddress) ||
                               (!display && address == kEdidAddress);
            if (request == I2C_SLAVE && bound) {
                kernel.record(bus, op, static_cast<int>(address), 0, -EBUSY);
                return -EBUSY;
            }
            fd_slave[static_cast<std::size_t>(fd)] = static_cast<int>(address);
            kernel.record(bus, op, static_cast<int>(address), 0, 0);
            return 0;
        }
        case I2C_RDWR: {
            auto* data = static_cast<i2c_rdwr_ioctl_data*>(argument);
            if (!data || !data->msgs || data->nmsgs == 0 || data->nmsgs > kMaxMessages)
                return -EINVAL;
            for (std::uint32_t i = 0; i < data->nmsgs; ++i) {
                if (data->msgs[i].len > kMaxMessageBytes || !data->msgs[i].buf) return -EINVAL;
            }
            return kernel.transfer(bus, data->msgs, static_cast<int>(data->nmsgs), true);
        }
        case I2C_RETRIES:
        case I2C_TIMEOUT:
            return 0;
        default:
            return -ENOTTY;
    }
}

ssize_t plain(int fd, int bus, void* buffer, size_t count, bool read) {
    // i2c-dev cuts plain transfers to 8192 bytes.
    const auto length = static_cast<__u16>(count > kMaxMessageBytes ? kMaxMessageBytes : count);
    i2c_msg m{static_cast<__u16>(fd_slave[static_cast<std::size_t>(fd)].load()),
              static_cast<__u16>(read ? I2C_M_RD : 0), length, static_cast<__u8*>(buffer)};
    const int result = Kernel::instance().transfer(bus, &m, 1, false);
    return result < 0 ? finish(result) : static_cast<ssize_t>(length);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_argument(flags, ap);
    va_end(ap);
    static const auto next = real<open_fn>("open");
    return after_open(path, next(path, flags, mode));
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_argument(flags, ap);
    va_end(ap);
    static const auto next = real<open_fn>("open64");
    return after_open(path, next(path, flags, mode));
}

__attribute__((visibility("default"))) int openat(int dir, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_argument(flags, ap);
    va_end(ap);
    static const auto next = real<openat_fn>("openat");
    return after_open(path, next(dir, path, flags, mode));
}

__attribute__((visibility("default"))) int openat64(int dir, const char* path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_argument(flags, ap);
    va_end(ap);
    static const auto next = real<openat_fn>("openat64");
    return after_open(path, next(dir, path, flags, mode));
}

__attribute__((visibility("default"))) int close(int fd) {
    if (fd >= 0 && fd < kMaxFds) fd_bus[static_cast<std::size_t>(fd)] = 0;
    static const auto next = real<close_fn>("close");
    return next(fd);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* argument = va_arg(ap, void*);
    va_end(ap);
    const int bus = bus_of_fd(fd);
    static const auto next = real<ioctl_fn>("ioctl");
    if (bus < 0) return next(fd, request, argument);
    return finish(do_ioctl(fd, bus, request, argument));
}

__attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t count) {
    const int bus = bus_of_fd(fd);
    static const auto next = real<read_fn>("read");
    if (bus < 0) return next(fd, buffer, count);
    return plain(fd, bus, buffer, count, true);
}

__attribute__((visibility("default"))) ssize_t write(int fd, const void* buffer, size_t count) {
    const int bus = bus_of_fd(fd);
    static const auto next = real<write_fn>("write");
    if (bus < 0) return next(fd, buffer, count);
    return plain(fd, bus, const_cast<void*>(buffer), count, false);
}

__attribute__((visibility("default"))) int nanosleep(const timespec* span, timespec* left) {
    static const auto next = real<nanosleep_fn>("nanosleep");
    if (skip_waits()) return 0;
    return next(span, left);
}

__attribute__((visibility("default"))) int clock_nanosleep(clockid_t clock, int flags,
                                                           const timespec* span, timespec* left) {
    static const auto next = real<clock_nanosleep_fn>("clock_nanosleep");
    if (skip_waits() && !(flags & TIMER_ABSTIME)) return 0;
    return next(clock, flags, span, left);
}

}  // extern "C"
