#include <gtest/gtest.h>

#include "platform/interface_info.h"

namespace {

using platform::CInterfaceInfo;
namespace off = platform::info_offset;

TEST(InterfaceInfo, FreshRecordCarriesItsSizeAndNothingElse) {
    CInterfaceInfo info;
    EXPECT_EQ(info.get_int(off::size), 484);
    EXPECT_EQ(info.bytes[0], 0xE4);  // little-endian 484
    EXPECT_EQ(info.bytes[1], 0x01);
    EXPECT_EQ(info.type(), 0);
    EXPECT_FALSE(info.usable());
    EXPECT_TRUE(info.model_name().isEmpty());
}

TEST(InterfaceInfo, FieldsSitAtTheirOffsets) {
    CInterfaceInfo info;
    info.set_int(off::type, platform::kInterfaceTypeUsb);
    info.bytes[off::usable] = 1;
    info.set_text(off::model_name, off::model_name_capacity, "KX271W");
    info.set_text(off::serial, off::serial_capacity, "54000123");
    info.set_int(off::product_id, 0x2E746C11);
    info.set_int(off::area + 12, -5);
    EXPECT_EQ(info.bytes[4], 9);
    EXPECT_EQ(info.bytes[9], 'K');
    EXPECT_EQ(info.bytes[9 + 6], 0);
    EXPECT_EQ(info.bytes[352], '5');
    EXPECT_EQ(info.bytes[480], 0x11);
    EXPECT_EQ(info.bytes[483], 0x2E);
    EXPECT_EQ(info.model_name(), QByteArray("KX271W"));
    EXPECT_EQ(info.serial(), QByteArray("54000123"));
    EXPECT_EQ(info.product_id(), 0x2E746C11);
    EXPECT_EQ(info.area(3), -5);
}

TEST(InterfaceInfo, OverlongTextsAreCutAndNeverSpillIntoTheNextField) {
    CInterfaceInfo info;
    info.set_int(off::area, 0x01020304);
    info.set_text(off::model_name, off::model_name_capacity, QByteArray(200, 'M'));
    EXPECT_EQ(info.model_name().size(), off::model_name_capacity - 1);
    EXPECT_EQ(info.area(0), 0x01020304);
    info.set_text(off::serial, off::serial_capacity, QByteArray(300, 'S'));
    EXPECT_EQ(info.serial().size(), off::serial_capacity - 1);
    EXPECT_EQ(info.get_int(off::product_id), 0);
}

TEST(InterfaceInfo, UnterminatedTextIsReadUpToItsCapacityOnly) {
    CInterfaceInfo info;
    for (int i = 0; i < off::model_name_capacity; ++i)
        info.bytes[off::model_name + i] = 'x';
    EXPECT_EQ(info.model_name().size(), off::model_name_capacity);
}

}  // namespace
