#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/master_control.h"
#include "core/settings_paths.h"
#include "platform/access_library.h"
#include "stored_layouts.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

namespace {

using testing_support::ByteBuilder;
using testing_support::put_block_a;
using testing_support::put_block_b_head;
using testing_support::put_record;
using testing_support::read_file;
using testing_support::write_file;

// A backend with a chosen number of interfaces and nothing behind them.
class CountedBackend : public platform::CAccessBackend {
  public:
    explicit CountedBackend(const int& count) : count_(count) {}
    void rescan(int) override { seen_ = count_; }
    int interface_count() const override { return seen_; }
    int interface_info(int, platform::CInterfaceInfo&) override { return -1; }
    int i2c_write(int, int, const std::uint8_t*, int) override { return -1; }
    int i2c_read(int, int, std::uint8_t*, int) override { return -1; }

  private:
    const int& count_;
    int seen_ = 0;
};

struct ConfigFile : ::testing::Test {
    void SetUp() override {
        QFile::remove(config_file_path());
        QFile::remove(config_file_path() + QStringLiteral(".damaged"));
        QFile::remove(preferences_file_path());
        previous = platform::set_access_library_factory([this] {
            auto library = std::make_unique<platform::CAccessLibrary>();
            library->add_backend(std::make_unique<CountedBackend>(interfaces));
            return library;
        });
    }
    void TearDown() override { platform::set_access_library_factory(std::move(previous)); }

    // A controller that knows `interfaces` interfaces, as after a detection pass.
    static void scan(MasterControl& master) { master.monitor_list().scan_interfaces(); }

    static std::vector<qint32> mapping_of(MasterControl& master) {
        std::vector<qint32> m;
        for (int i = 0; i < 10; ++i)
            m.push_back(master.monitor_list().mapping(i));
        return m;
    }

    // Two interfaces, displays 0 and 1 on interfaces 1 and 0, two monitors of one model.
    static QByteArray two_monitors(std::int32_t interfaces) {
        ByteBuilder b;
        put_block_a(b, interfaces, {1, 0});
        put_block_b_head(b, 2);
        b.str(QStringLiteral("KX271W")).str(QStringLiteral("12345678"));
        put_record(b, {{QStringLiteral("Print"), 8, 1}});
        b.str(QStringLiteral("KX271W")).str(QStringLiteral("87654321"));
        put_record(b, {});
        return b.data();
    }

    int interfaces = 0;
    platform::AccessLibraryFactory previous;
};

TEST_F(ConfigFile, IsSavedAsBlockAThenBlockBFieldByField) {
    interfaces = 2;
    MasterControl master;
    scan(master);
    ASSERT_EQ(master.monitor_list().interface_count(), 2);
    master.monitor_list().set_mapping(0, 1);
    master.monitor_list().set_mapping(1, 0);
    CMonitorEntry first;
    first.modelName = QStringLiteral("KX271W");
    first.serialNumber = QStringLiteral("12345678");
    first.adjust.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("Print"), 1));
    CMonitorEntry second;
    second.modelName = QStringLiteral("KX271W");
    second.serialNumber = QStringLiteral("87654321");
    master.monitor_tracker().store(first);
    master.monitor_tracker().store(second);

    ASSERT_EQ(master.save_config(), 0);
    EXPECT_EQ(read_file(config_file_path()), two_monitors(2));
    EXPECT_FALSE(master.monitor_tracker().modified());
}

TEST_F(ConfigFile, LaidOutBytesLoadIntoTheMappingAndTheTracker) {
    ASSERT_TRUE(write_file(config_file_path(), two_monitors(2)));
    interfaces = 2;
    MasterControl master;
    // Constructed before any scan: no interface is known yet, so only the records are taken.
    EXPECT_FALSE(master.config_load_failed());
    EXPECT_EQ(master.monitor_tracker().count(), 2);
    scan(master);
    ASSERT_EQ(master.load_config(), 0);
    EXPECT_EQ(mapping_of(master), (std::vector<qint32>{1, 0, -1, -1, -1, -1, -1, -1, -1, -1}));
    const CMonitorTracker& tracker = master.monitor_tracker();
    ASSERT_EQ(tracker.count(), 2) << "a second load replaces, it does not add";
    EXPECT_EQ(tracker.entry(0).modelName, QStringLiteral("KX271W"));
    EXPECT_EQ(tracker.entry(0).serialNumber, QStringLiteral("12345678"));
    ASSERT_EQ(tracker.entry(0).adjust.namedEntries.size(), 1);
    EXPECT_EQ(tracker.entry(0).adjust.namedEntries[0],
              CNamedEntry::for_slot(QStringLiteral("Print"), 1));
    EXPECT_EQ(tracker.entry(1).serialNumber, QStringLiteral("87654321"));
    EXPECT_TRUE(tracker.entry(1).adjust.namedEntries.isEmpty());
    EXPECT_FALSE(tracker.modified());
}

TEST_F(ConfigFile, SavedWithTwoInterfacesLoadedWithThreeIsReadButKeepsTheMapping) {
    ASSERT_TRUE(write_file(config_file_path(), two_monitors(2)));
    interfaces = 3;
    MasterControl master;
    scan(master);
    master.monitor_list().set_mapping(4, 2);
    const std::vector<qint32> before = mapping_of(master);
    EXPECT_EQ(master.load_config(), 0);
    EXPECT_EQ(mapping_of(master), before);
    EXPECT_EQ(master.monitor_tracker().count(), 2) << "block B is read all the same";
}

TEST_F(ConfigFile, AValidBlockAWithABadBlockBKeepsTheMappingAndNoRecords) {
    for (int damage : {3, 7}) {  // last byte of block B's magic, then of its version
        QByteArray bytes = two_monitors(0);
        bytes[4 * 13 + damage] = 0x01;
        ASSERT_TRUE(write_file(config_file_path(), bytes));
        MasterControl master;
        EXPECT_TRUE(master.config_load_failed());
        EXPECT_EQ(master.monitor_list().mapping(0), 1);
        EXPECT_EQ(master.monitor_list().mapping(1), 0);
        EXPECT_EQ(master.monitor_tracker().count(), 0);
        EXPECT_EQ(master.load_config(), damage == 3 ? -1502 : -1501);
    }
}

TEST_F(ConfigFile, ACutBlockAChangesNoAssignment) {
    const QByteArray bytes = two_monitors(0).left(3 * 4 + 6 * 4);  // six of the ten values
    ASSERT_TRUE(write_file(config_file_path(), bytes));
    MasterControl master;
    EXPECT_TRUE(master.config_load_failed());
    EXPECT_EQ(mapping_of(master), std::vector<qint32>(10, -1));
    EXPECT_EQ(master.load_config(), -1503);
    EXPECT_EQ(master.monitor_tracker().count(), 0);
}

TEST_F(ConfigFile, ADamagedFileIsKeptAsideAndTheRecordsBeforeTheDamageAreSavedAgain) {
    const QString aside = config_file_path() + QStringLiteral(".damaged");
    QFile::remove(aside);
    // The record list is cut inside its second entry: the first entry is complete.
    const QByteArray full = two_monitors(0);
    const QByteArray cut = full.left(full.size() - 20);
    ASSERT_TRUE(write_file(config_file_path(), cut));
    testing_support::LogCapture log("orvale.settings");
    {
        MasterControl master;
        EXPECT_TRUE(master.config_load_failed());
        ASSERT_EQ(master.monitor_tracker().count(), 1);
        EXPECT_EQ(master.monitor_tracker().entry(0).serialNumber, QStringLiteral("12345678"));
        EXPECT_EQ(master.monitor_list().mapping(0), 1) << "block A was complete";
    }
    EXPECT_EQ(read_file(aside), cut);
    EXPECT_TRUE(log.text().contains(config_file_path() + QStringLiteral(" not loaded: read error")))
        << log.text().toStdString();
    EXPECT_TRUE(log.text().contains(aside));
    {
        MasterControl again;
        EXPECT_FALSE(again.config_load_failed());
        ASSERT_EQ(again.monitor_tracker().count(), 1);
        EXPECT_EQ(again.monitor_tracker().entry(0).adjust.namedEntries.size(), 1);
    }

    // A wrong magic number is kept aside as well, replacing the older one.
    ByteBuilder b;
    b.i32(57004);
    ASSERT_TRUE(write_file(config_file_path(), b.data()));
    { MasterControl master; }
    EXPECT_EQ(read_file(aside), b.data());
    EXPECT_TRUE(log.text().contains(QStringLiteral("wrong magic number")));
}

TEST_F(ConfigFile, AFailedSaveIsLoggedWithTheFileAndTheReason) {
    const QString path = config_file_path();
    ASSERT_TRUE(QDir().mkpath(path));
    testing_support::LogCapture log("orvale.settings");
    {
        MasterControl master;
        EXPECT_EQ(master.save_config(), -1500);
    }
    EXPECT_TRUE(log.text().contains(path + QStringLiteral(" not saved: cannot be opened")))
        << log.text().toStdString();
    EXPECT_TRUE(QFileInfo(path).isDir()) << "a directory in its place is left alone";
    ASSERT_TRUE(QDir(path).removeRecursively());
}

TEST_F(ConfigFile, AFailedSaveLeavesTheOldFileAsItWas) {
    const QByteArray old = two_monitors(0);
    ASSERT_TRUE(write_file(config_file_path(), old));
    MasterControl master;
    ASSERT_EQ(master.monitor_tracker().count(), 2);
    // A record that its format cannot hold makes the save fail half-way through block B.
    CMonitorEntry huge;
    huge.modelName = QStringLiteral("KX302W");
    huge.adjust.modeSettings.resize(0x10000);
    master.monitor_tracker().store(huge);
    EXPECT_EQ(master.save_config(), -1503);
    EXPECT_EQ(read_file(config_file_path()), old);
    EXPECT_TRUE(master.monitor_tracker().modified());
    const QStringList left = QDir(settings_folder()).entryList(QDir::Files);
    EXPECT_EQ(left.filter(QStringLiteral("config")), QStringList{QStringLiteral("config.dat")})
        << "no temporary file stays behind";
}

}  // namespace
