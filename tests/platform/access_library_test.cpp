#include <gtest/gtest.h>

#include <map>

#include "platform/access_library.h"

namespace {

using platform::CAccessLibrary;
using platform::CInterfaceInfo;

// A backend with a settable number of interfaces that records the traffic it sees.
class RecordingBackend : public platform::CAccessBackend {
  public:
    RecordingBackend(QByteArray name, int count) : next_count_(count), name_(std::move(name)) {}

    void rescan(int mode) override {
        last_mode = mode;
        ++rescans;
        count_ = next_count_;
    }
    int interface_count() const override { return count_; }
    int interface_info(int local, CInterfaceInfo& info) override {
        if (local == fail_info_for) return -7;
        info.set_text(platform::info_offset::model_name, platform::info_offset::model_name_capacity,
                      name_ + QByteArray::number(local));
        return 0;
    }
    int i2c_write(int local, int address, const std::uint8_t* data, int length) override {
        writes.push_back({local, address, QByteArray(reinterpret_cast<const char*>(data), length)});
        return length;
    }
    int i2c_read(int local, int address, std::uint8_t* buffer, int length) override {
        reads.push_back({local, address, QByteArray()});
        for (int i = 0; i < length; ++i)
            buffer[i] = static_cast<std::uint8_t>(local);
        return 0;
    }

    struct Transfer {
        int local;
        int address;
        QByteArray bytes;
    };
    std::vector<Transfer> writes, reads;
    int next_count_;
    int last_mode = -1;
    int rescans = 0;
    int fail_info_for = -1;

  private:
    QByteArray name_;
    int count_ = 0;
};

struct TwoBackends : ::testing::Test {
    void SetUp() override {
        auto a = std::make_unique<RecordingBackend>("sim", 2);
        auto b = std::make_unique<RecordingBackend>("bus", 1);
        first = a.get();
        second = b.get();
        library.add_backend(std::move(a));
        library.add_backend(std::move(b));
    }
    CAccessLibrary library;
    RecordingBackend* first = nullptr;
    RecordingBackend* second = nullptr;
};

TEST(AccessLibrary, WithoutBackendsEnumerationFindsNoInterface) {
    CAccessLibrary library;
    library.EnumerateInterfaces(1, 3);
    EXPECT_EQ(library.GetNumDisplayInterfaces(), 0);
    CInterfaceInfo info;
    EXPECT_EQ(library.GetDisplayInterfaceInfo(0, &info), platform::kAccessBadIndex);
    std::uint8_t byte = 0;
    EXPECT_LT(library.I2C_WRITE(0, 0x6E, &byte, 1, 10000), 0);
    EXPECT_NE(library.I2C_READ(0, 0x6F, &byte, 1, 10000), 0);
}

TEST_F(TwoBackends, CountIsThatOfTheLastRescan) {
    EXPECT_EQ(library.GetNumDisplayInterfaces(), 0) << "nothing is known before the first rescan";
    library.EnumerateInterfaces(1, 3);
    EXPECT_EQ(library.GetNumDisplayInterfaces(), 3);
    EXPECT_EQ(first->last_mode, 3);
    first->next_count_ = 0;  // a monitor went away: visible only after the next rescan
    EXPECT_EQ(library.GetNumDisplayInterfaces(), 3);
    library.EnumerateInterfaces(1, 0);
    EXPECT_EQ(library.GetNumDisplayInterfaces(), 1);
    EXPECT_EQ(second->last_mode, 0);
}

TEST_F(TwoBackends, InterfacesAreNumberedAcrossBackendsInOrder) {
    library.EnumerateInterfaces(1, 3);
    const char* expected[] = {"sim0", "sim1", "bus0"};
    for (int i = 0; i < 3; ++i) {
        CInterfaceInfo info;
        ASSERT_EQ(library.GetDisplayInterfaceInfo(i, &info), 0);
        EXPECT_EQ(info.model_name(), QByteArray(expected[i]));
        EXPECT_EQ(info.get_int(platform::info_offset::size), 484);
    }
    const std::uint8_t frame[] = {0x51, 0x82, 0x01, 0x10, 0xAC};
    EXPECT_EQ(library.I2C_WRITE(2, 0x6E, frame, 5, 10000), 5);
    ASSERT_EQ(second->writes.size(), 1u);
    EXPECT_EQ(second->writes[0].local, 0);
    EXPECT_EQ(second->writes[0].address, 0x6E);
    EXPECT_EQ(second->writes[0].bytes, QByteArray(reinterpret_cast<const char*>(frame), 5));
    EXPECT_TRUE(first->writes.empty());

    std::uint8_t buffer[4] = {};
    EXPECT_EQ(library.I2C_READ(1, 0x6F, buffer, 4, 10000), 0);
    ASSERT_EQ(first->reads.size(), 1u);
    EXPECT_EQ(first->reads[0].local, 1);
    EXPECT_EQ(first->reads[0].address, 0x6F);
    EXPECT_EQ(buffer[3], 1);
}

TEST_F(TwoBackends, ReadAddressAlwaysCarriesBitZeroAndWriteAddressNever) {
    library.EnumerateInterfaces(1, 3);
    std::uint8_t byte = 0;
    library.I2C_READ(0, 0xA0, &byte, 1, 10000);
    library.I2C_WRITE(0, 0xA1, &byte, 1, 10000);
    EXPECT_EQ(first->reads[0].address, 0xA1);
    EXPECT_EQ(first->writes[0].address, 0xA0);
}

TEST_F(TwoBackends, BadArgumentsAreRefusedBeforeReachingABackend) {
    library.EnumerateInterfaces(1, 3);
    CInterfaceInfo wrong_size;
    wrong_size.set_int(platform::info_offset::size, 100);
    EXPECT_EQ(library.GetDisplayInterfaceInfo(0, &wrong_size), platform::kAccessBadArguments);
    EXPECT_EQ(library.GetDisplayInterfaceInfo(0, nullptr), platform::kAccessBadArguments);
    EXPECT_EQ(library.I2C_WRITE(0, 0x6E, nullptr, 3, 10000), platform::kAccessBadArguments);
    std::uint8_t byte = 0;
    EXPECT_EQ(library.I2C_READ(0, 0x6F, &byte, -1, 10000), platform::kAccessBadArguments);
    EXPECT_EQ(library.I2C_READ(-1, 0x6F, &byte, 1, 10000), platform::kAccessBadIndex);
    EXPECT_EQ(library.I2C_READ(3, 0x6F, &byte, 1, 10000), platform::kAccessBadIndex);
    EXPECT_TRUE(first->writes.empty());
    EXPECT_TRUE(first->reads.empty());
    EXPECT_TRUE(second->reads.empty());
}

TEST_F(TwoBackends, FailedDescriptionLeavesTheCallersRecordAlone) {
    library.EnumerateInterfaces(1, 3);
    first->fail_info_for = 1;
    CInterfaceInfo info;
    info.set_text(platform::info_offset::serial, platform::info_offset::serial_capacity, "keep");
    EXPECT_EQ(library.GetDisplayInterfaceInfo(1, &info), -7);
    EXPECT_EQ(info.serial(), QByteArray("keep"));
}

TEST(AccessLibrary, FactoryCanBeReplacedAndRestored) {
    int built = 0;
    auto previous = platform::set_access_library_factory([&built] {
        ++built;
        auto library = std::make_unique<CAccessLibrary>();
        library->add_backend(std::make_unique<RecordingBackend>("x", 4));
        return library;
    });
    auto library = platform::create_access_library();
    library->EnumerateInterfaces(1, 0);
    EXPECT_EQ(library->GetNumDisplayInterfaces(), 4);
    EXPECT_EQ(built, 1);
    platform::set_access_library_factory(std::move(previous));
    EXPECT_EQ(platform::create_access_library()->backend_count(), 0u);
}

}  // namespace
