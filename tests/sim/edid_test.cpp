#include <gtest/gtest.h>

#include "sim/sim_edid.h"
#include "sim/sim_model.h"
#include "sim/sim_monitor.h"

namespace {

std::uint8_t byte(const QByteArray& e, int i) {
    return static_cast<std::uint8_t>(e[i]);
}

int block_sum(const QByteArray& e, int first) {
    int sum = 0;
    for (int i = first; i < first + 128; ++i)
        sum += byte(e, i);
    return sum & 0xFF;
}

QString vendor_letters(const QByteArray& e) {
    const int word = byte(e, 8) << 8 | byte(e, 9);
    QString s;
    for (int shift : {10, 5, 0})
        s += QChar(((word >> shift) & 0x1F) + 0x40);
    return s;
}

// Text of the first display descriptor with the tag: 13 bytes, a line feed ends it.
QByteArray descriptor_text(const QByteArray& e, int tag) {
    for (int at : {54, 72, 90, 108}) {
        if (byte(e, at) == 0 && byte(e, at + 1) == 0 && byte(e, at + 3) == tag) {
            QByteArray text = e.mid(at + 5, 13);
            const int lf = text.indexOf('\n');
            return lf >= 0 ? text.left(lf) : text;
        }
    }
    return QByteArray();
}

double chromaticity(const QByteArray& e, int i) {
    const int high = byte(e, 27 + i);
    const int low_byte = byte(e, i < 4 ? 25 : 26);
    const int low = (low_byte >> (6 - 2 * (i % 4))) & 3;
    return ((high << 2) | low) / 1024.0;
}

TEST(Edid, SupportedModelsCarryTheMakersIdentity) {
    const char* names[] = {"KX241W", "KX271W", "KX272W", "KX302W"};
    for (int i = 0; i < 4; ++i) {
        const sim::CSimModel& model = *sim::find_sim_model(QString::fromLatin1(names[i]));
        const QByteArray e = sim::build_edid(model, "7100012");
        ASSERT_GE(e.size(), 128);
        EXPECT_EQ(e.left(8), QByteArray::fromHex("00FFFFFFFFFFFF00"));
        EXPECT_EQ(block_sum(e, 0), 0);
        EXPECT_EQ(vendor_letters(e), QStringLiteral("KST"));
        EXPECT_EQ(byte(e, 10) | byte(e, 11) << 8, 0x6C10 + i);
        EXPECT_EQ(descriptor_text(e, 0xFC), QByteArray(names[i]));
        EXPECT_EQ(descriptor_text(e, 0xFF), QByteArray("7100012"));
        const std::uint32_t serial = byte(e, 12) | byte(e, 13) << 8 | byte(e, 14) << 16 |
                                     static_cast<std::uint32_t>(byte(e, 15)) << 24;
        // Beside a CTA extension the serial descriptor alone carries it (CTA-861).
        EXPECT_EQ(serial, model.cea_extension ? 0u : 7100012u);
        EXPECT_TRUE(byte(e, 20) & 0x80);  // digital input
        for (int c = 0; c < 8; ++c) {
            EXPECT_NEAR(chromaticity(e, c), model.native[static_cast<std::size_t>(c)],
                        0.5 / 1024 + 1e-9);
        }
        // The first detailed timing is the panel's resolution.
        EXPECT_EQ(byte(e, 56) | (byte(e, 58) >> 4) << 8, model.width_px);
        EXPECT_EQ(byte(e, 59) | (byte(e, 61) >> 4) << 8, model.height_px);
        EXPECT_EQ(byte(e, 21), model.width_cm);
    }
}

TEST(Edid, OneModelHasAValidCeaExtension) {
    const QByteArray e =
        sim::build_edid(*sim::find_sim_model(QStringLiteral("KX302W")), "30000001");
    ASSERT_EQ(e.size(), 256);
    EXPECT_EQ(byte(e, 126), 1);
    EXPECT_EQ(byte(e, 128), 0x02);
    EXPECT_GT(byte(e, 130), 2);
    EXPECT_EQ(block_sum(e, 128), 0);
    const int dtd = 128 + byte(e, 130);
    EXPECT_EQ(byte(e, dtd + 2) | (byte(e, dtd + 4) >> 4) << 8, 1920);
    for (const char* name : {"KX241W", "KX271W", "KX272W"}) {
        EXPECT_EQ(sim::build_edid(*sim::find_sim_model(QString::fromLatin1(name)), "1").size(),
                  128);
    }
}

TEST(Edid, ThirdPartyMonitorHasAPlainEdidWithoutSerialText) {
    const sim::CSimModel& model = *sim::find_sim_model(QStringLiteral("Generic 24"));
    const QByteArray e = sim::build_edid(model, "24000789");
    ASSERT_EQ(e.size(), 128);
    EXPECT_EQ(block_sum(e, 0), 0);
    EXPECT_EQ(byte(e, 126), 0);
    EXPECT_NE(vendor_letters(e), QStringLiteral("KST"));
    EXPECT_TRUE(descriptor_text(e, 0xFF).isEmpty());
    EXPECT_EQ(descriptor_text(e, 0xFC), QByteArray("Generic 24"));
    EXPECT_EQ(byte(e, 12) | byte(e, 13) << 8 | byte(e, 14) << 16, 24000789 & 0xFFFFFF);
}

TEST(Edid, SerialsThatAreNotNumbersLeaveTheNumericSerialZero) {
    EXPECT_EQ(sim::edid_serial_number("A1234"), 0u);
    EXPECT_EQ(sim::edid_serial_number("99999999999"), 0u);
    EXPECT_EQ(sim::edid_serial_number("4096"), 4096u);
    const QByteArray e = sim::build_edid(*sim::find_sim_model(QStringLiteral("KX271W")), "SN-42");
    EXPECT_EQ(descriptor_text(e, 0xFF), QByteArray("SN-42"));
    EXPECT_EQ(e.mid(12, 4), QByteArray(4, '\0'));
}

TEST(Edid, TheMonitorAnswersItsOwnEdidAndWrapsA128ByteEeprom) {
    sim::CSimMonitorSetup setup;
    setup.serial = "41000456";
    sim::CSimMonitor m(*sim::find_sim_model(QStringLiteral("KX241W")), setup);
    std::uint8_t offset = 0x80;
    ASSERT_GE(m.i2c_write(0xA0, &offset, 1), 0);
    QByteArray upper(128, '\0');
    ASSERT_EQ(m.i2c_read(0xA1, reinterpret_cast<std::uint8_t*>(upper.data()), 128), 0);
    EXPECT_EQ(upper, m.edid());
    EXPECT_EQ(descriptor_text(m.edid(), 0xFF), QByteArray("41000456"));
}

}  // namespace
