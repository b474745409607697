#include <gtest/gtest.h>

#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <cerrno>

#include "fake_i2c_bus.h"
#include "platform/access_library.h"
#include "platform/drm_sysfs.h"
#include "platform/fake_sleeper.h"
#include "platform/i2c_backend.h"
#include "platform/platform_timing.h"
#include "platform/sim_backend.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"
#include "support/test_environment.h"

namespace {

using platform::CI2cBackend;
using testing_support::FakeBus;
using testing_support::FakeI2cOps;
using testing_support::FakeMachine;

sim::CSimMonitorSetup setup(const char* serial) {
    sim::CSimMonitorSetup s;
    s.serial = serial;
    return s;
}

QByteArray spd_bytes() {
    // A memory module's serial-presence-detect data: no EDID header.
    QByteArray b(256, '\0');
    b[0] = 0x23;
    b[1] = 0x11;
    b[2] = 0x0C;
    return b;
}

// A machine with a DisplayPort monitor on i2c-5 (DRM ddc link), a monitor on the DisplayPort
// AUX bus i2c-12 of another connector, an SMBus controller with memory modules on i2c-0, an
// idle DDC bus i2c-3, a bus nobody may open (i2c-7) and a node that is no I2C device (i2c-9).
struct I2cMachine : ::testing::Test {
    void SetUp() override {
        for (const char* n : {"i2c-0", "i2c-3", "i2c-5", "i2c-7", "i2c-9", "i2c-12"})
            machine.add_bus_node(QString::fromLatin1(n));
        machine.add_card("card0", "amdgpu", "1002:73BF");
        machine.add_connector("card0", "DP-1", true, true, kx271.edid(), "i2c-5");
        machine.add_connector("card0", "DP-2", true, true, kx241.edid(), QString(), "i2c-12");
        machine.add_connector("card0", "HDMI-A-1", false, false, QByteArray(), "i2c-3");
        auto fake = std::make_unique<FakeI2cOps>();
        ops = fake.get();
        ops->bus("i2c-0").eeprom = spd_bytes();
        ops->bus("i2c-0").plain_i2c = false;
        ops->bus("i2c-5").monitor = &kx271;
        ops->bus("i2c-7").open_error = EACCES;
        ops->bus("i2c-9").monitor = &kx241;  // would answer, but the node refuses the ioctls
        ops->bus("i2c-9").functions_error = ENOTTY;
        ops->bus("i2c-12").monitor = &kx241;
        backend = std::make_unique<CI2cBackend>(CI2cBackend::Paths{machine.dev, machine.sys},
                                                std::move(fake));
    }

    QTemporaryDir dir;
    FakeMachine machine{dir.path()};
    sim::CSimMonitor kx271{*sim::find_sim_model("KX271W"), setup("71000123")};
    sim::CSimMonitor kx241{*sim::find_sim_model("KX241W"), setup("41000456")};
    FakeI2cOps* ops = nullptr;
    std::unique_ptr<CI2cBackend> backend;
};

TEST_F(I2cMachine, OnlyBusesWhoseEdidAddressAnswersWithAHeaderBecomeInterfacesInBusOrder) {
    backend->rescan(0);
    ASSERT_EQ(backend->interface_count(), 2) << "i2c-5 and i2c-12";
    EXPECT_EQ(backend->bus(0), "i2c-5");
    EXPECT_EQ(backend->bus(1), "i2c-12") << "numeric, not text order";
    EXPECT_TRUE(ops->bus("i2c-0").addresses.empty()) << "nothing is written to an SMBus";
    EXPECT_TRUE(ops->bus("i2c-9").addresses.empty()) << "nor to a node that is no bus";
    EXPECT_EQ(ops->bus("i2c-3").addresses, (std::vector<int>{0x50}))
        << "an idle bus is asked only for the EDID";
    EXPECT_EQ(ops->open_descriptors(), 0) << "no bus stays open after the scan";
    for (const char* n : {"i2c-0", "i2c-3", "i2c-5", "i2c-9", "i2c-12"}) {
        const FakeBus& b = ops->bus(QString::fromLatin1(n));
        EXPECT_EQ(b.opens, b.closes) << n;
        EXPECT_EQ(b.locks, b.unlocks) << n;
    }
    platform::CInterfaceInfo info;
    ASSERT_EQ(backend->interface_info(0, info), 0);
    EXPECT_EQ(info.type(), platform::kInterfaceTypeVideo);
    EXPECT_TRUE(info.usable());
    EXPECT_FALSE(info.skip_video());
    EXPECT_EQ(backend->interface_info(2, info), platform::kAccessBadIndex);
}

TEST_F(I2cMachine, BusesAreRelatedToTheirConnectorsThroughDdcLinksAndAuxNodes) {
    backend->rescan(0);
    ASSERT_EQ(backend->interface_count(), 2);
    EXPECT_EQ(backend->connector(0), "card0-DP-1");
    EXPECT_EQ(backend->connector(1), "card0-DP-2");
    EXPECT_EQ(platform::drm_connector_of_bus(machine.sys, "i2c-3"), "card0-HDMI-A-1")
        << "an empty connector still owns its bus";
    EXPECT_EQ(platform::drm_connector_of_bus(machine.sys, "i2c-9"), "");
}

// Collects what the program logs while it lives.
struct LogCapture {
    LogCapture() {
        sink = &text;
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                             const QString& line) { *sink += line + '\n'; });
    }
    ~LogCapture() { qInstallMessageHandler(previous); }
    QString text;
    QtMessageHandler previous;
    static inline QString* sink = nullptr;
};

TEST_F(I2cMachine, ABusThatCannotBeOpenedIsSkippedWithAdviceOnce) {
    LogCapture log;
    backend->rescan(0);
    backend->rescan(3);
    EXPECT_EQ(backend->interface_count(), 2);
    EXPECT_EQ(log.text.count(QStringLiteral("i2c-7")), 1) << log.text.toStdString();
    EXPECT_TRUE(log.text.contains(QStringLiteral("uaccess"))) << log.text.toStdString();
    EXPECT_TRUE(log.text.contains(QStringLiteral("i2c-dev"))) << log.text.toStdString();
}

TEST(I2cBackendWithoutBuses, TheMissingModuleIsNamedOnlyWhereOutputsExist) {
    QTemporaryDir dir;
    FakeMachine machine(dir.path());
    {
        LogCapture log;
        CI2cBackend backend(CI2cBackend::Paths{machine.dev, machine.sys},
                            std::make_unique<FakeI2cOps>());
        backend.rescan(0);
        EXPECT_EQ(backend.interface_count(), 0);
        EXPECT_TRUE(log.text.isEmpty()) << "a machine without outputs: " << log.text.toStdString();
    }
    machine.add_card("card0", "i915", "8086:9A49");
    machine.add_connector("card0", "eDP-1", true, true, QByteArray());
    LogCapture log;
    CI2cBackend backend(CI2cBackend::Paths{machine.dev, machine.sys},
                        std::make_unique<FakeI2cOps>());
    backend.rescan(0);
    EXPECT_EQ(backend.interface_count(), 0);
    EXPECT_TRUE(log.text.contains(QStringLiteral("modprobe i2c-dev"))) << log.text.toStdString();
}

TEST_F(I2cMachine, TransfersReachTheMonitorAtTheDdcAndEdidAddresses) {
    platform::CAccessLibrary library;
    library.add_backend(std::move(backend));
    ASSERT_EQ(library.EnumerateInterfaces(1, 3), 2);
    ops->bus("i2c-5").addresses.clear();

    // EDID: offset write at 0xA0, read at 0xA1.
    const std::uint8_t offset = 0;
    EXPECT_EQ(library.I2C_WRITE(0, 0xA0, &offset, 1, 10000), 1);
    std::uint8_t edid[128] = {};
    EXPECT_EQ(library.I2C_READ(0, 0xA1, edid, 128, 10000), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(edid), 128), kx271.edid().left(128));

    // DDC/CI: a VCP get of brightness, framed by the host rules, answered by the monitor.
    std::uint8_t request[] = {0x51, 0x82, 0x01, 0x10, 0x00};
    request[4] = 0x6E ^ 0x51 ^ 0x82 ^ 0x01 ^ 0x10;
    EXPECT_EQ(library.I2C_WRITE(0, 0x6E, request, 5, 10000), 5);
    std::uint8_t reply[11] = {};
    EXPECT_EQ(library.I2C_READ(0, 0x6F, reply, 11, 10000), 0);
    EXPECT_EQ(reply[2], 0x02) << "VCP reply opcode";
    EXPECT_EQ(reply[4], 0x10) << "for brightness";
    EXPECT_EQ((std::vector<int>(ops->bus("i2c-5").addresses)), (std::vector<int>{0x37, 0x37}))
        << "the EDID comes from the connector's edid file, not over the wire";
    EXPECT_EQ(ops->open_descriptors(), 0);
}

TEST_F(I2cMachine, ATransactionHoldsOneLockedDescriptorAndReleasesIt) {
    backend->rescan(0);
    FakeBus& bus = ops->bus("i2c-5");
    const int opens = bus.opens;
    ASSERT_EQ(backend->begin_transaction(0), 0);
    EXPECT_TRUE(ops->locked("i2c-5"));
    std::uint8_t request[] = {0x51, 0x82, 0x01, 0x10, 0x00};
    request[4] = 0x6E ^ 0x51 ^ 0x82 ^ 0x01 ^ 0x10;
    EXPECT_EQ(backend->i2c_write(0, 0x6E, request, 5), 5);
    std::uint8_t reply[11] = {};
    EXPECT_EQ(backend->i2c_read(0, 0x6F, reply, 11), 0);
    EXPECT_EQ(bus.opens, opens + 1) << "one open for the whole transaction";
    EXPECT_EQ(ops->open_descriptors(), 1);
    backend->end_transaction(0);
    EXPECT_FALSE(ops->locked("i2c-5"));
    EXPECT_EQ(ops->open_descriptors(), 0) << "never kept open between transactions";
    EXPECT_EQ(bus.locks, bus.unlocks);

    // Outside a transaction each transfer locks and releases the bus by itself.
    EXPECT_EQ(backend->i2c_write(0, 0x6E, request, 5), 5);
    EXPECT_EQ(bus.opens, opens + 2);
    EXPECT_EQ(ops->open_descriptors(), 0);
}

TEST_F(I2cMachine, ABusHeldByAnotherProgramIsWaitedForThenGivenUp) {
    backend->rescan(0);
    platform::CFakeSleeper sleeper;
    platform::CScopedSleeper scoped(sleeper);

    ops->bus("i2c-5").held_by_other_polls = 3;
    ASSERT_EQ(backend->begin_transaction(0), 0);
    EXPECT_EQ(sleeper.waits(), (std::vector<int>(3, platform_timing::kBusLockPollMs)));
    backend->end_transaction(0);

    sleeper.clear();
    ops->bus("i2c-5").held_by_other_polls = -1;
    EXPECT_EQ(backend->begin_transaction(0), platform::kAccessBusy);
    EXPECT_EQ(sleeper.total_ms(), platform_timing::kBusLockWaitMs);
    EXPECT_EQ(ops->open_descriptors(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(backend->i2c_write(0, 0x6E, &byte, 1), platform::kAccessBusy);
    EXPECT_TRUE(ops->bus("i2c-5").addresses.empty()) << "the kernel's EDID needed no probe";
}

TEST_F(I2cMachine, ARejectedCombinedTransferFallsBackForThatTransferOnly) {
    backend->rescan(0);
    ASSERT_EQ(backend->bus(0), "i2c-5");
    FakeBus& bus = ops->bus("i2c-5");
    bus.rejects_rdwr = true;
    std::uint8_t request[] = {0x51, 0x82, 0x01, 0x10, 0x00};
    request[4] = 0x6E ^ 0x51 ^ 0x82 ^ 0x01 ^ 0x10;
    EXPECT_EQ(backend->i2c_write(0, 0x6E, request, 5), 5);
    std::uint8_t reply[11] = {};
    EXPECT_EQ(backend->i2c_read(0, 0x6F, reply, 11), 0);
    EXPECT_EQ(reply[4], 0x10) << "the plain read brought the brightness reply";
    EXPECT_EQ(bus.plain_calls, 2);
    // A refusal may have been about one transfer: the next one asks for I2C_RDWR again.
    bus.rejects_rdwr = false;
    const int rdwr = bus.rdwr_calls;
    EXPECT_EQ(backend->i2c_write(0, 0x6E, request, 5), 5);
    EXPECT_EQ(bus.rdwr_calls, rdwr + 1);
    EXPECT_EQ(bus.plain_calls, 2) << "no plain I/O once the ioctl is taken again";
}

TEST_F(I2cMachine, ABusGoneSinceTheScanReportsNoDevice) {
    backend->rescan(0);
    QFile::remove(machine.dev + QStringLiteral("/i2c-5"));
    std::uint8_t byte = 0;
    EXPECT_EQ(backend->i2c_write(0, 0x6E, &byte, 1), platform::kAccessNoDevice);
    EXPECT_EQ(backend->begin_transaction(0), platform::kAccessNoDevice);
    backend->end_transaction(0);  // harmless without a transaction
    EXPECT_EQ(ops->open_descriptors(), 0);
}

// What an errno means for the caller: only a device that is gone is final; a node left behind
// by a removed adapter is gone too. Lost arbitration and a suspended adapter pass, so they are
// retried, and neither is another program holding the bus.
TEST_F(I2cMachine, KernelErrorsAreReportedAsWhatTheyMean) {
    backend->rescan(0);
    ASSERT_EQ(backend->bus(0), "i2c-5");
    const std::uint8_t byte = 0;
    const std::pair<int, int> cases[] = {
        {EAGAIN, platform::kAccessIoError},    {ESHUTDOWN, platform::kAccessIoError},
        {ETIMEDOUT, platform::kAccessIoError}, {EREMOTEIO, platform::kAccessIoError},
        {ENXIO, platform::kAccessIoError},     {ENODEV, platform::kAccessNoDevice},
    };
    for (const auto& [error, expected] : cases) {
        ops->bus("i2c-5").transfer_error = error;
        EXPECT_EQ(backend->i2c_write(0, 0x6E, &byte, 1), expected) << std::strerror(error);
    }
    ops->bus("i2c-5").transfer_error = 0;
    ops->bus("i2c-5").open_error = ENXIO;
    EXPECT_EQ(backend->begin_transaction(0), platform::kAccessNoDevice) << "a stale node";
    EXPECT_EQ(ops->open_descriptors(), 0);
}

TEST(I2cBackendNumbering, MachineBusesFollowTheSimulatedInterfaces) {
    QTemporaryDir dir;
    FakeMachine machine(dir.path());
    machine.add_bus_node("i2c-4");
    sim::CSimMonitor monitor(*sim::find_sim_model("KX302W"), setup("30000001"));
    auto fake = std::make_unique<FakeI2cOps>();
    fake->bus("i2c-4").monitor = &monitor;

    sim::CSimConfig config = sim::CSimConfig::default_set();
    config.state_file = dir.path() + QStringLiteral("/state.json");
    platform::CAccessLibrary library;
    library.add_backend(std::make_unique<platform::CSimBackend>(config));
    library.add_backend(std::make_unique<CI2cBackend>(CI2cBackend::Paths{machine.dev, machine.sys},
                                                      std::move(fake)));
    ASSERT_EQ(library.EnumerateInterfaces(1, 3), 6) << "five simulated, then i2c-4";
    const std::uint8_t offset = 0;
    ASSERT_EQ(library.I2C_WRITE(5, 0xA0, &offset, 1, 10000), 1);
    std::uint8_t edid[128] = {};
    ASSERT_EQ(library.I2C_READ(5, 0xA1, edid, 128, 10000), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(edid), 128), monitor.edid().left(128));
}

// The kernel's side of the seam, against ordinary files: open, the advisory lock shared with
// other programs, and the refusal of the I2C ioctls by something that is no bus.
TEST(LinuxI2cDeviceOps, LockIsSharedWithOtherProgramsAndNonBusesAreRefused) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/i2c-1");
    ASSERT_TRUE(testing_support::write_file(path, QByteArray()));
    platform::CLinuxI2cDeviceOps ops;
    const int fd = ops.open_device(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ops.try_lock(fd), 0);
    const int other = ::open(path.toLocal8Bit().constData(), O_RDWR);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0) << "another program sees the bus taken";
    EXPECT_EQ(errno, EWOULDBLOCK);
    ASSERT_EQ(ops.unlock(fd), 0);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(ops.try_lock(fd), -EWOULDBLOCK) << "and we see it taken by the other";
    ::close(other);

    unsigned long functions = 0;
    EXPECT_EQ(ops.functionality(fd, functions), -ENOTTY);
    std::uint8_t byte = 0;
    platform::CI2cMessage message{0x50, true, &byte, 1};
    EXPECT_EQ(ops.transfer(fd, &message, 1), -ENOTTY);
    ops.close_device(fd);
    EXPECT_EQ(ops.open_device(dir.path() + QStringLiteral("/i2c-2")), -ENOENT);
}

TEST(LinuxI2cDeviceOps, ABackendOverNodesThatAreNoBusesFindsNothingAndSurvives) {
    QTemporaryDir dir;
    FakeMachine machine(dir.path());
    machine.add_bus_node("i2c-0");
    machine.add_bus_node("i2c-1");
    CI2cBackend backend(CI2cBackend::Paths{machine.dev, machine.sys},
                        std::make_unique<platform::CLinuxI2cDeviceOps>());
    backend.rescan(0);
    EXPECT_EQ(backend.interface_count(), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(backend.i2c_write(0, 0x6E, &byte, 1), platform::kAccessBadIndex);
}

}  // namespace
