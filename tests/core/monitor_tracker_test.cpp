#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <QSignalSpy>

#include "core/monitor_tracker.h"
#include "stored_layouts.h"
#include "support/qt_printers.h"

namespace {

using testing_support::ByteBuilder;
using testing_support::put_block_b_head;
using testing_support::put_record;

CMonitorEntry entry(const QString& model, const QString& serial, const QString& mode_name) {
    CMonitorEntry e;
    e.modelName = model;
    e.serialNumber = serial;
    e.adjust.namedEntries.append(CNamedEntry::for_slot(mode_name, 1));
    return e;
}

QString mode_name_of(const CMonitorEntry& e) {
    return e.adjust.namedEntries.isEmpty() ? QString() : e.adjust.namedEntries[0].name;
}

int read_from(CMonitorTracker& tracker, const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_7);
    return tracker.read(in);
}

// Three entries; the second record gets `second_version`, and the bytes may be cut short.
QByteArray three_entries(std::int32_t second_version = 121) {
    ByteBuilder b;
    put_block_b_head(b, 3);
    b.str(QStringLiteral("KX271W")).str(QStringLiteral("A1"));
    put_record(b, {{QStringLiteral("first"), 8, 1}});
    b.str(QStringLiteral("KX271W")).str(QStringLiteral("A2"));
    put_record(b, {{QStringLiteral("second"), 8, 1}}, second_version);
    b.str(QStringLiteral("KX302W")).str(QStringLiteral("A3"));
    put_record(b, {{QStringLiteral("third"), 8, 1}});
    return b.data();
}

TEST(MonitorTracker, SameModelDifferentSerialsAreSeparateEntries) {
    CMonitorTracker tracker;
    tracker.store(entry(QStringLiteral("KX271W"), QStringLiteral("S1"), QStringLiteral("one")));
    tracker.store(entry(QStringLiteral("KX271W"), QStringLiteral("S2"), QStringLiteral("two")));
    tracker.store(entry(QStringLiteral("KX241W"), QStringLiteral("S1"), QStringLiteral("three")));
    ASSERT_EQ(tracker.count(), 3);
    EXPECT_EQ(tracker.find(QStringLiteral("KX271W"), QStringLiteral("S1")), 0);
    EXPECT_EQ(tracker.find(QStringLiteral("KX271W"), QStringLiteral("S2")), 1);
    EXPECT_EQ(tracker.find(QStringLiteral("KX241W"), QStringLiteral("S1")), 2);
    EXPECT_EQ(tracker.find(QStringLiteral("kx271w"), QStringLiteral("S1")), -1) << "exact match";

    CMonitorEntry wanted;
    wanted.modelName = QStringLiteral("KX271W");
    wanted.serialNumber = QStringLiteral("S2");
    EXPECT_EQ(tracker.lookup(wanted), 1);
    EXPECT_EQ(mode_name_of(wanted), QStringLiteral("two"));

    // They stay apart through the file as well.
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_7);
        ASSERT_EQ(tracker.write(out), 0);
    }
    CMonitorTracker loaded;
    ASSERT_EQ(read_from(loaded, bytes), 0);
    ASSERT_EQ(loaded.count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.entry(i).modelName, tracker.entry(i).modelName);
        EXPECT_EQ(loaded.entry(i).serialNumber, tracker.entry(i).serialNumber);
        EXPECT_EQ(mode_name_of(loaded.entry(i)), mode_name_of(tracker.entry(i)));
        EXPECT_TRUE(loaded.entry(i).adjust.loaded);
    }
}

TEST(MonitorTracker, StoringTheSameKeyReplacesAndAnnouncesIt) {
    CMonitorTracker tracker;
    QSignalSpy changed(&tracker, &CMonitorTracker::data_changed);
    EXPECT_FALSE(tracker.modified());
    EXPECT_EQ(tracker.store(entry(QStringLiteral("M"), QStringLiteral("S"), QStringLiteral("a"))),
              0);
    EXPECT_EQ(tracker.store(entry(QStringLiteral("M"), QStringLiteral("S"), QStringLiteral("b"))),
              0);
    EXPECT_EQ(tracker.count(), 1);
    EXPECT_EQ(mode_name_of(tracker.entry(0)), QStringLiteral("b"));
    EXPECT_TRUE(tracker.modified());
    EXPECT_EQ(changed.count(), 2);
}

TEST(MonitorTracker, LookupWithoutAnEntryGivesTheDefaultRecordUnderTheSameKey) {
    CMonitorTracker tracker;
    tracker.store(entry(QStringLiteral("KX271W"), QStringLiteral("S1"), QStringLiteral("one")));
    CMonitorEntry wanted =
        entry(QStringLiteral("KX271W"), QStringLiteral("S9"), QStringLiteral("x"));
    wanted.adjust.extra = QByteArrayLiteral("stale");
    EXPECT_EQ(tracker.lookup(wanted), -1);
    EXPECT_TRUE(wanted.adjust.namedEntries.isEmpty());
    EXPECT_TRUE(wanted.adjust.extra.isEmpty());
    EXPECT_EQ(wanted.adjust.version, 121);
    EXPECT_TRUE(tracker.default_entry().modelName.isEmpty());
    // Storing what lookup gave files it under the monitor asked for, not under empty names.
    EXPECT_EQ(wanted.serialNumber, QStringLiteral("S9"));
    tracker.store(wanted);
    EXPECT_EQ(tracker.find(QStringLiteral("KX271W"), QStringLiteral("S9")), 1);
}

TEST(MonitorTracker, LookupByModelAndSerialRekeysAnEntryUsedForAnotherMonitor) {
    CMonitorTracker tracker;
    tracker.store(entry(QStringLiteral("KX271W"), QStringLiteral("S1"), QStringLiteral("one")));
    tracker.store(entry(QStringLiteral("KX241W"), QStringLiteral("S2"), QStringLiteral("two")));
    // One entry object serves each monitor in turn, as the pages and orvale-ctl use it.
    CMonitorEntry reused =
        entry(QStringLiteral("KX271W"), QStringLiteral("S1"), QStringLiteral("stale"));
    EXPECT_EQ(tracker.lookup(QStringLiteral("KX241W"), QStringLiteral("S2"), reused), 1);
    EXPECT_EQ(reused.modelName, QStringLiteral("KX241W"));
    EXPECT_EQ(reused.serialNumber, QStringLiteral("S2"));
    EXPECT_EQ(mode_name_of(reused), QStringLiteral("two"));

    EXPECT_EQ(tracker.lookup(QStringLiteral("KX302W"), QStringLiteral("S3"), reused), -1);
    EXPECT_EQ(reused.modelName, QStringLiteral("KX302W"));
    EXPECT_EQ(reused.serialNumber, QStringLiteral("S3"));
    EXPECT_TRUE(reused.adjust.namedEntries.isEmpty()) << "the default record, not the last one";
}

TEST(MonitorTracker, AFailedRecordEndsTheLoadAndKeepsOnlyTheEntriesBeforeIt) {
    {
        CMonitorTracker tracker;
        tracker.store(entry(QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old")));
        QSignalSpy changed(&tracker, &CMonitorTracker::data_changed);
        EXPECT_EQ(read_from(tracker, three_entries(120)), -1501);
        ASSERT_EQ(tracker.count(), 1) << "the list is replaced by what was read";
        EXPECT_EQ(tracker.entry(0).serialNumber, QStringLiteral("A1"));
        EXPECT_EQ(mode_name_of(tracker.entry(0)), QStringLiteral("first"));
        EXPECT_EQ(changed.count(), 1);
    }
    {
        const QByteArray full = three_entries();
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, full.left(full.size() - 3)), -1503) << "cut in the third";
        ASSERT_EQ(tracker.count(), 2);
        EXPECT_EQ(tracker.entry(1).serialNumber, QStringLiteral("A2"));
        EXPECT_EQ(mode_name_of(tracker.entry(1)), QStringLiteral("second"));
    }
    {
        // Cut inside the second entry's serial number, with a first entry large enough that
        // the count still fits what is left.
        std::vector<testing_support::Named> many;
        for (std::int16_t i = 1; i <= 10; ++i)
            many.push_back({QStringLiteral("mode %1").arg(i), static_cast<std::int16_t>(i + 7), i});
        ByteBuilder b;
        put_block_b_head(b, 2);
        b.str(QStringLiteral("KX271W")).str(QStringLiteral("A1"));
        put_record(b, many);
        b.str(QStringLiteral("KX271W")).u32(4).u16('A');
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, b.data()), -1503);
        ASSERT_EQ(tracker.count(), 1);
        EXPECT_EQ(tracker.entry(0).adjust.namedEntries.size(), 10);
    }
}

TEST(MonitorTracker, ACountTheStreamCannotHoldKeepsTheCompleteEntriesBeforeTheEnd) {
    {
        // Three announced, but the file ends after the second: the two complete ones stay.
        const QByteArray full = three_entries();
        const qsizetype third = full.indexOf(ByteBuilder().str(QStringLiteral("A3")).data());
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, full.left(third - 16)), -1503);
        ASSERT_EQ(tracker.count(), 2);
        EXPECT_EQ(mode_name_of(tracker.entry(0)), QStringLiteral("first"));
        EXPECT_EQ(mode_name_of(tracker.entry(1)), QStringLiteral("second"));
    }
    for (std::int32_t n : {0x7FFFFFFF, 4, 2}) {
        ByteBuilder b;
        put_block_b_head(b, n);
        b.str(QStringLiteral("KX271W")).str(QStringLiteral("A1"));
        put_record(b, {{QStringLiteral("only"), 8, 1}});
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, b.data()), -1503) << n;
        ASSERT_EQ(tracker.count(), 1) << n;
        EXPECT_EQ(mode_name_of(tracker.entry(0)), QStringLiteral("only")) << n;
    }
    {
        ByteBuilder b;
        put_block_b_head(b, -1);
        b.str(QStringLiteral("KX271W")).str(QStringLiteral("A1"));
        put_record(b, {});
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, b.data()), -1503);
        EXPECT_EQ(tracker.count(), 0);
    }
}

TEST(MonitorTracker, WrongMagicOrVersionLeavesTheEntriesAlone) {
    CMonitorTracker tracker;
    tracker.store(entry(QStringLiteral("M"), QStringLiteral("S"), QStringLiteral("kept")));
    QByteArray bytes = three_entries();
    bytes[3] = 0x00;
    EXPECT_EQ(read_from(tracker, bytes), -1502);
    bytes = three_entries();
    bytes[7] = 99;
    EXPECT_EQ(read_from(tracker, bytes), -1501);
    ASSERT_EQ(tracker.count(), 1);
    EXPECT_EQ(mode_name_of(tracker.entry(0)), QStringLiteral("kept"));
    EXPECT_TRUE(tracker.modified()) << "nothing was loaded over the change";
}

TEST(MonitorTracker, LoadingAndSavingClearModified) {
    CMonitorTracker tracker;
    tracker.store(entry(QStringLiteral("M"), QStringLiteral("S"), QStringLiteral("a")));
    ASSERT_TRUE(tracker.modified());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    ASSERT_EQ(tracker.write(out), 0);
    EXPECT_FALSE(tracker.modified());

    tracker.store(entry(QStringLiteral("M"), QStringLiteral("T"), QStringLiteral("b")));
    ASSERT_EQ(read_from(tracker, three_entries()), 0);
    EXPECT_FALSE(tracker.modified());
    EXPECT_EQ(tracker.count(), 3);

    // A failed save leaves the changes marked as unsaved.
    tracker.store(entry(QStringLiteral("M"), QStringLiteral("U"), QStringLiteral("c")));
    QBuffer read_only;
    read_only.open(QIODevice::ReadOnly);
    QDataStream failing(&read_only);
    EXPECT_EQ(tracker.write(failing), -1504);
    EXPECT_TRUE(tracker.modified());
}

}  // namespace

namespace {

// A record overwritten in place still streams: its counts and strings hold, its values do not.
// It once loaded as modes that exist nowhere ("Mode 2" with a preset of -4370); now it ends the
// load as damage does, keeping the entries before it.
TEST(MonitorTracker, ARecordWhoseValuesWereOverwrittenIsDamageNotModes) {
    CMonitorTracker written;
    for (const char* serial : {"A1", "A2", "A3"}) {
        CMonitorEntry e =
            entry(QStringLiteral("KX271W"), QString::fromLatin1(serial), QStringLiteral("Studio"));
        CModeSettings item;
        item.values = {1, 2, 1, 0, 313, 329, 640, 330, 300, 600, 150, 60, 9, 170, 120, 0};
        e.adjust.modeSettings.append(item);
        written.store(e);
    }
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_7);
        ASSERT_EQ(written.write(out), 0);
    }
    {
        CMonitorTracker intact;
        ASSERT_EQ(read_from(intact, bytes), 0) << "the values above are plausible";
        ASSERT_EQ(intact.count(), 3);
    }
    // The second record's mode item: after its magic, version and item count.
    const QByteArray magic = QByteArray::fromHex("DEADFADE");
    const int first = bytes.indexOf(magic);
    const int second = bytes.indexOf(magic, first + 4);
    ASSERT_GT(second, first);
    const int values_at = second + 4 + 4 + 2;
    for (const int length : {32, 2 * 4}) {
        QByteArray damaged = bytes;
        damaged.replace(values_at, length, QByteArray(length, char(0xEE)));
        CMonitorTracker tracker;
        EXPECT_EQ(read_from(tracker, damaged), -1503) << length;
        ASSERT_EQ(tracker.count(), 1) << length;
        EXPECT_EQ(tracker.entry(0).serialNumber, QStringLiteral("A1"));
    }
    // A name overwritten the same way (two-byte characters no monitor shows).
    const QByteArray name = QStringLiteral("Studio").toUtf8();
    QByteArray utf16;
    for (const char c : name)
        utf16.append('\0').append(c);
    const int name_at = bytes.indexOf(utf16, second);
    ASSERT_GT(name_at, second);
    QByteArray renamed = bytes;
    renamed.replace(name_at, 4, QByteArray(4, char(0xEE)));
    CMonitorTracker tracker;
    EXPECT_EQ(read_from(tracker, renamed), -1503);
    EXPECT_EQ(tracker.count(), 1);
}

}  // namespace
