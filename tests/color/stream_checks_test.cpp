#include <gtest/gtest.h>

#include <QDataStream>
#include <QIODevice>

#include "color/stream_checks.h"
#include "support/byte_builder.h"
#include "support/qt_printers.h"

namespace {

using testing_support::ByteBuilder;

TEST(CheckedStrings, ReadWhatTheToolkitWritesInEitherByteOrder) {
    const QString texts[] = {QString(), QStringLiteral(""), QStringLiteral("KX271W"),
                             QStringLiteral("\u00e9\u65e5\U0001F600")};
    for (auto order : {QDataStream::BigEndian, QDataStream::LittleEndian}) {
        QByteArray bytes;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_4_7);
            out.setByteOrder(order);
            for (const QString& t : texts)
                out << t;
        }
        QDataStream in(bytes);
        in.setVersion(QDataStream::Qt_4_7);
        in.setByteOrder(order);
        for (const QString& t : texts) {
            QString got = QStringLiteral("old");
            ASSERT_TRUE(stream_checks::read_string(in, got));
            EXPECT_EQ(got, t);
            EXPECT_EQ(got.isNull(), t.isNull()) << "null and empty stay apart";
        }
        EXPECT_TRUE(in.atEnd());
    }
}

TEST(CheckedStrings, ALengthThatCannotBeRightIsRefusedAndChangesNothing) {
    const QByteArray cases[] = {
        ByteBuilder().u32(10).u16('a').data(),       // more than is left
        ByteBuilder().u32(0xFFFFFFFE).data(),        // nearly 4 GiB
        ByteBuilder().u32(3).u16('a').i8(0).data(),  // half a code unit
        ByteBuilder().i16(0).data(),                 // not even a length
    };
    for (const QByteArray& bytes : cases) {
        QDataStream in(bytes);
        QString text = QStringLiteral("kept");
        EXPECT_FALSE(stream_checks::read_string(in, text)) << bytes.toHex().constData();
        EXPECT_EQ(text, QStringLiteral("kept"));
        EXPECT_NE(in.status(), QDataStream::Ok);
    }
}

TEST(CheckedByteArrays, NullEmptyAndFilledArraysAndBadLengths) {
    const QByteArray bytes = ByteBuilder()
                                 .bytes(QByteArray())
                                 .bytes(QByteArrayLiteral(""))
                                 .bytes(QByteArrayLiteral("abc"))
                                 .u32(100)
                                 .raw("xy")
                                 .data();
    QDataStream in(bytes);
    QByteArray a("x"), b, c, d("kept");
    ASSERT_TRUE(stream_checks::read_bytes(in, a));
    ASSERT_TRUE(stream_checks::read_bytes(in, b));
    ASSERT_TRUE(stream_checks::read_bytes(in, c));
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isEmpty());
    EXPECT_FALSE(b.isNull());
    EXPECT_EQ(c, QByteArrayLiteral("abc"));
    EXPECT_FALSE(stream_checks::read_bytes(in, d));
    EXPECT_EQ(d, QByteArrayLiteral("kept"));
}

TEST(CheckedCounts, ACountMustFitWhatIsLeft) {
    const QByteArray bytes(64, '\0');
    QDataStream in(bytes);
    EXPECT_TRUE(stream_checks::may_hold(in, 2, 32));
    EXPECT_FALSE(stream_checks::may_hold(in, 3, 32));
    EXPECT_FALSE(stream_checks::may_hold(in, -1, 1));
    EXPECT_FALSE(stream_checks::may_hold(in, 0x7FFFFFFF, 0x7FFFFFFF)) << "no overflow";
}

}  // namespace
