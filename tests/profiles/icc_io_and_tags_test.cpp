#include <gtest/gtest.h>

#include <QFile>
#include <memory>

#include "profile_bytes.h"
#include "profiles/icc_file_io_qt.h"
#include "profiles/icc_io.h"
#include "profiles/icc_tag_mmod.h"
#include "profiles/icc_tag_vcgt.h"
#include "support/test_environment.h"

using namespace profile_bytes;

namespace {

// A stream that accepts only so many bytes, to fail a tag part way through.
class CShortIO : public CIccMemIO {
  public:
    explicit CShortIO(std::int32_t room) : room_(room) {}
    std::int32_t Write8(const void* buffer, std::int32_t count) override {
        if (count > room_) return 0;
        room_ -= count;
        return CIccMemIO::Write8(buffer, count);
    }

  private:
    std::int32_t room_;
};

TEST(IccFileIOQt, OpensReadsWritesAndSeeksLikeAFile) {
    const QString folder = fresh_folder(QStringLiteral("fileio"));
    const QString path = folder + QStringLiteral("/data.bin");
    ASSERT_TRUE(testing_support::write_file(path, "previous contents"));

    CIccFileIOQt io;
    // Writing starts from nothing: the existing file is removed first.
    ASSERT_TRUE(io.Open(path, "w+"));
    EXPECT_EQ(io.GetLength(), 0);
    EXPECT_EQ(io.Write8("0123456789", 10), 10);
    EXPECT_EQ(io.Tell(), 10);
    EXPECT_EQ(io.Seek(2, CIccIO::kFromStart), 2);
    EXPECT_EQ(io.Seek(3, CIccIO::kFromCurrent), 5);
    char buffer[8] = {};
    EXPECT_EQ(io.Read8(buffer, 3), 3);
    EXPECT_EQ(QByteArray(buffer, 3), QByteArray("567"));
    EXPECT_EQ(io.Seek(-4, CIccIO::kFromEnd), 6);
    EXPECT_EQ(io.Read8(buffer, 8), 4);  // only what is there
    EXPECT_EQ(io.Seek(0, 3), -1);       // no such origin
    EXPECT_EQ(io.Seek(-11, CIccIO::kFromEnd), -1);
    EXPECT_EQ(io.GetLength(), 10);
    io.Close();
    EXPECT_EQ(testing_support::read_file(path), QByteArray("0123456789"));

    // Any mode with an "r" is read-only and keeps the file.
    ASSERT_TRUE(io.Open(path, "r+"));
    EXPECT_EQ(io.Write8("xx", 2), 0);
    EXPECT_EQ(io.GetLength(), 10);
    std::uint32_t word = 0;
    EXPECT_TRUE(io.Read32(word));
    EXPECT_EQ(word, 0x30313233u);
    // Opening again closes what was open.
    EXPECT_FALSE(io.Open(folder + QStringLiteral("/none.bin"), "r"));
    EXPECT_FALSE(io.isOpen());

    // A closed stream transfers nothing and has no position.
    EXPECT_EQ(io.Read8(buffer, 1), 0);
    EXPECT_EQ(io.Write8(buffer, 1), 0);
    EXPECT_EQ(io.GetLength(), 0);
    EXPECT_EQ(io.Tell(), -1);
    EXPECT_EQ(io.Seek(0, CIccIO::kFromStart), -1);

    // A write-mode open fails when what is at the path cannot be removed.
    ASSERT_TRUE(testing_support::write_file(folder + QStringLiteral("/dir/inside"), "x"));
    EXPECT_FALSE(io.Open(folder + QStringLiteral("/dir"), "w+"));
}

TEST(IccTagvcgt, WritesItsTableForm) {
    std::uint8_t ramp[3 * 256];
    for (int i = 0; i < 3 * 256; ++i)
        ramp[i] = static_cast<std::uint8_t>(i % 256);
    CIccTagvcgt tag;
    tag.setTable(3, 256, 1, ramp);
    CIccMemIO io;
    ASSERT_TRUE(tag.Write(&io));
    const QByteArray& b = io.bytes();
    ASSERT_EQ(b.size(), 18 + 768);
    EXPECT_EQ(b.left(18), QByteArray::fromHex("76636774"
                                              "00000000"
                                              "00000000"
                                              "0003"
                                              "0100"
                                              "0001"));
    EXPECT_EQ(b.mid(18), QByteArray(reinterpret_cast<const char*>(ramp), 768));

    // Two-byte entries are held natively and travel big-endian.
    const std::uint16_t words[2 * 3] = {0x0102, 0xA0B0, 0xFFFF, 0x0000, 0x1234, 0x8000};
    tag.setTable(2, 3, 2, reinterpret_cast<const std::uint8_t*>(words));
    EXPECT_EQ(tag.entry(0, 1), 0xA0B0);
    EXPECT_EQ(tag.entry(1, 2), 0x8000);
    CIccMemIO wide;
    ASSERT_TRUE(tag.Write(&wide));
    EXPECT_EQ(wide.bytes().mid(12), QByteArray::fromHex("000200030002"
                                                        "0102a0b0ffff000012348000"));

    // Only the table form is written.
    tag.tagType = 1;
    CIccMemIO refused;
    EXPECT_FALSE(tag.Write(&refused));
}

TEST(IccTagvcgt, ReadsBackWhatItWroteAndRejectsOtherForms) {
    const std::uint16_t words[3 * 4] = {0, 100, 60000, 65535, 1, 2, 3, 4, 0xFEDC, 0, 0, 7};
    CIccTagvcgt written;
    written.setTable(3, 4, 2, reinterpret_cast<const std::uint8_t*>(words));
    CIccMemIO io;
    ASSERT_TRUE(written.Write(&io));

    CIccTagvcgt read;
    CIccMemIO in(io.bytes());
    ASSERT_TRUE(read.Read(std::uint32_t(io.bytes().size()), &in));
    EXPECT_EQ(read.channels, 3);
    EXPECT_EQ(read.entryCount, 4);
    EXPECT_EQ(read.entrySize, 2);
    EXPECT_EQ(read.data, written.data);
    EXPECT_EQ(read.entry(2, 0), 0xFEDC);

    // A tag claiming more entries than its size holds.
    CIccMemIO truncated(io.bytes());
    EXPECT_FALSE(read.Read(std::uint32_t(io.bytes().size() - 1), &truncated));
    // A formula-form tag.
    QByteArray formula = io.bytes();
    formula[11] = 1;
    CIccMemIO formula_io(formula);
    EXPECT_FALSE(read.Read(std::uint32_t(formula.size()), &formula_io));
    EXPECT_EQ(read.data, written.data);  // failures leave the tag as it was

    std::unique_ptr<CIccTag> copy(read.NewCopy());
    EXPECT_EQ(copy->GetType(), 0x76636774u);
    EXPECT_STREQ(copy->GetClassName(), "CIccTagvcgt");
    EXPECT_EQ(static_cast<CIccTagvcgt*>(copy.get())->data, written.data);
}

TEST(IccTagvcgt, DescribesItsTable) {
    std::uint8_t ramp[3 * 256] = {};
    CIccTagvcgt tag;
    tag.setTable(3, 256, 1, ramp);
    std::string text;
    tag.Describe(text);
    EXPECT_EQ(text, "vcgt:tagType = 0\r\nchannels = 3\r\nentryCount = 256\r\nentrySize = 1\r\n");
}

TEST(IccTagmmod, StoresTheMonitorIdentifierAndFailsOnShortTransfers) {
    // Identifier bytes b3 b2 b1 b0 = 4B 53 6C 12: manufacturer 00 00 53 4B, model 00 00 6C 12.
    const std::uint32_t id = 0x4B536C12;
    CIccTagmmod tag;
    tag.set(CIccTagmmod::manufacturerWord(id), CIccTagmmod::modelWord(id), 0, 0, 0, 0, 0, 0);
    CIccMemIO io;
    ASSERT_TRUE(tag.Write(&io));
    EXPECT_EQ(io.bytes(), QByteArray::fromHex("6d6d6f6400000000"
                                              "0000534b00006c12") +
                              QByteArray(24, '\0'));

    CIccTagmmod read;
    CIccMemIO in(io.bytes());
    ASSERT_TRUE(read.Read(40, &in));
    EXPECT_EQ(read.manufacturer, 0x534Bu);
    EXPECT_EQ(read.model, 0x6C12u);
    EXPECT_EQ(read.GetType(), 0x6D6D6F64u);
    EXPECT_STREQ(read.GetClassName(), "CIccTagmmod");

    for (std::int32_t room : {0, 4, 12, 36}) {
        CShortIO short_io(room);
        EXPECT_FALSE(tag.Write(&short_io)) << room;
    }
    CIccMemIO cut(io.bytes().left(30));
    EXPECT_FALSE(read.Read(40, &cut));
    CIccMemIO whole(io.bytes());
    EXPECT_FALSE(read.Read(39, &whole));
}

}  // namespace
