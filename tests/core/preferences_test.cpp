#include <gtest/gtest.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "color/error_codes.h"
#include "core/preferences.h"
#include "core/settings_paths.h"
#include "support/log_capture.h"
#include "support/test_environment.h"

namespace {

using testing_support::read_file;
using testing_support::write_file;

// The file as laid out field by field: magic, version, two bytes, three points.
QByteArray preferences_bytes(qint32 magic, qint32 version, qint8 manage, qint8 location, QPoint lut,
                             QPoint main, QPoint wizard) {
    QByteArray bytes;
    auto put32 = [&bytes](qint32 v) {
        for (int shift : {24, 16, 8, 0})
            bytes.append(static_cast<char>((v >> shift) & 0xFF));
    };
    put32(magic);
    put32(version);
    bytes.append(static_cast<char>(manage));
    bytes.append(static_cast<char>(location));
    for (QPoint p : {lut, main, wizard}) {
        put32(p.x());
        put32(p.y());
    }
    return bytes;
}

struct PreferencesFile : ::testing::Test {
    void SetUp() override { QFile::remove(preferences_file_path()); }
    const QPoint none{99999, 99999};
};

TEST_F(PreferencesFile, DefaultsAreWrittenAsTheLayoutGives) {
    { Preferences prefs; }
    EXPECT_EQ(read_file(preferences_file_path()),
              preferences_bytes(65195, 123, 1, 1, none, none, none));
}

TEST_F(PreferencesFile, StoredValuesLoadAndSaveByteForByte) {
    const QByteArray bytes =
        preferences_bytes(65195, 123, 0, 0, QPoint(-10, 20), QPoint(300, 400), QPoint(5, 6));
    ASSERT_TRUE(write_file(preferences_file_path(), bytes));
    {
        Preferences prefs;
        EXPECT_FALSE(prefs.auto_manage_icc_profiles());
        EXPECT_EQ(prefs.profile_storage_location(), 0);
        EXPECT_EQ(prefs.lut_viewer_position(), QPoint(-10, 20));
        EXPECT_EQ(prefs.main_window_position(), QPoint(300, 400));
        EXPECT_EQ(prefs.wizard_position(), QPoint(5, 6));
    }
    EXPECT_EQ(read_file(preferences_file_path()), bytes);
}

TEST_F(PreferencesFile, AnyDamageGivesAllDefaults) {
    const QByteArray good =
        preferences_bytes(65195, 123, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6));
    const struct {
        QByteArray bytes;
        int result;
    } cases[] = {
        {preferences_bytes(65195, 122, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)),
         ui_error::kFileUnsupportedVersion},
        {preferences_bytes(65196, 123, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)),
         ui_error::kFileWrongMagic},
        {good.left(good.size() - 1), ui_error::kFileReadError},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write_file(preferences_file_path(), c.bytes));
        Preferences prefs;
        prefs.set_main_window_position(QPoint(7, 7));
        EXPECT_EQ(prefs.load(), c.result);
        EXPECT_TRUE(prefs.auto_manage_icc_profiles());
        EXPECT_EQ(prefs.profile_storage_location(), 1);
        EXPECT_EQ(prefs.lut_viewer_position(), none);
        EXPECT_EQ(prefs.main_window_position(), none);
        EXPECT_EQ(prefs.wizard_position(), none);
    }
    QFile::remove(preferences_file_path());
    Preferences missing;
    EXPECT_EQ(missing.load(), ui_error::kFileOpenFailed);
}

TEST_F(PreferencesFile, ADamagedFileIsKeptAsideBeforeTheFirstSaveAndFailuresAreLogged) {
    const QString path = preferences_file_path();
    const QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    const QByteArray good =
        preferences_bytes(65195, 123, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6));
    const struct {
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {preferences_bytes(65195, 122, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)),
         "unsupported version: 122"},
        {preferences_bytes(65196, 123, 0, 0, QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)),
         "wrong magic number: 65196"},
        {good.left(good.size() - 1), "read error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ASSERT_TRUE(write_file(path, c.bytes));
        testing_support::LogCapture log("orvale.settings");
        {
            Preferences prefs;
            EXPECT_FALSE(QFile::exists(aside) && read_file(aside) == c.bytes)
                << "kept only when it is about to be replaced";
        }
        // One generation: each damaged file replaces the one kept before.
        EXPECT_EQ(read_file(aside), c.bytes);
        Preferences reloaded;
        EXPECT_EQ(reloaded.load(), 0) << "the save after it is a good file";
        const QString text = log.text();
        EXPECT_TRUE(
            text.contains(path + QStringLiteral(" not loaded: ") + QString::fromLatin1(c.reason)))
            << text.toStdString();
        EXPECT_TRUE(text.contains(aside)) << text.toStdString();
    }

    // A good or a missing file is not kept aside.
    ASSERT_TRUE(QFile::remove(aside));
    ASSERT_TRUE(write_file(path, good));
    { Preferences prefs; }
    QFile::remove(path);
    { Preferences prefs; }
    EXPECT_FALSE(QFile::exists(aside));
    EXPECT_EQ(read_file(path).size(), good.size());

    // A save that fails is logged with the file and the reason; a directory in the file's
    // place is left alone.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    {
        testing_support::LogCapture log("orvale.settings");
        {
            Preferences prefs;
            EXPECT_NE(prefs.save(), 0);
        }
        EXPECT_TRUE(log.text().contains(path + QStringLiteral(" not saved: cannot be opened")))
            << log.text().toStdString();
        EXPECT_TRUE(log.text().contains(path + QStringLiteral(" not loaded")));
    }
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(QFile::exists(aside));
    ASSERT_TRUE(QDir(path).removeRecursively());
}

TEST_F(PreferencesFile, OnlyPositionsWithBothCoordinatesNonZeroAreStorable) {
    EXPECT_FALSE(Preferences::storable_position(QPoint(0, 120)));
    EXPECT_FALSE(Preferences::storable_position(QPoint(120, 0)));
    EXPECT_TRUE(Preferences::storable_position(QPoint(-5, 120)));
}

TEST_F(PreferencesFile, SettingsFolderLiesUnderTheSharedDocumentsFolder) {
    EXPECT_TRUE(
        preferences_file_path().endsWith(QStringLiteral("/Kestrel/Orvale/preferences.dat")));
    EXPECT_TRUE(config_file_path().endsWith(QStringLiteral("/Kestrel/Orvale/config.dat")));
    EXPECT_TRUE(preferences_file_path().startsWith(testing_support::sandbox_folder()));
    const QString targets = targets_folder(false);
    if (targets.isEmpty()) {
        EXPECT_TRUE(targets_folder(true).endsWith(QStringLiteral("/Kestrel/Orvale/Targets/")));
    }
    EXPECT_FALSE(targets_folder(false).isEmpty());
}

}  // namespace
