#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include <QCoreApplication>
#include <QTranslator>

#include "core/error_messages.h"
#include "core/picture_mode_rules.h"
#include "core/string_table.h"

namespace {

// Answers every lookup with a marked text and remembers the keys it was asked for.
class RecordingTranslator : public QTranslator {
  public:
    QString translate(const char* context, const char* source, const char* comment,
                      int) const override {
        lookups.push_back({QString::fromUtf8(context), QString::fromUtf8(source),
                           QString::fromUtf8(comment ? comment : "")});
        return QStringLiteral("[") + QString::fromUtf8(source) + QStringLiteral("]");
    }
    bool isEmpty() const override { return false; }
    struct Lookup {
        QString context, source, comment;
    };
    mutable std::vector<Lookup> lookups;
};

struct Translated : ::testing::Test {
    void SetUp() override { QCoreApplication::installTranslator(&translator); }
    void TearDown() override { QCoreApplication::removeTranslator(&translator); }
    RecordingTranslator translator;
};

TEST(StringTable, UnknownIdsGiveTheMissingText) {
    EXPECT_EQ(string(3), QStringLiteral("Missing message text"));
    EXPECT_EQ(string(0), string(3));
    EXPECT_EQ(string(-1023), string(3));
    EXPECT_EQ(string(106), string(3)) << "ids are sparse";
}

TEST(StringTable, FixedNamesAndPlaceholders) {
    EXPECT_EQ(string(1), QStringLiteral("Orvale"));
    EXPECT_EQ(string(12), QStringLiteral("preferences.dat"));
    EXPECT_EQ(string(13), QStringLiteral("config.dat"));
    EXPECT_EQ(string(502).arg(2).arg(QStringLiteral("KX271W")),
              QStringLiteral("Display 2 - KX271W"));
    EXPECT_EQ(string(605).arg(60), QStringLiteral("Closes in 60 seconds"));
    EXPECT_EQ(string(604).arg(1), QStringLiteral("Closes in 1 second"));
    EXPECT_TRUE(string(127).endsWith(QLatin1Char('\n')));
    EXPECT_TRUE(string(158).endsWith(QStringLiteral("/tintwell/updates.txt")));
    EXPECT_TRUE(string(175).endsWith(QStringLiteral("/tintwell/updates.txt")));
    EXPECT_NE(string(158), string(175));
}

TEST(StringTable, TextsTheErrorBoxNeedsAllExist) {
    for (int id : {101, 102, 103, 104, 105, 107, 111, 113, 115, 117, 119, 121,
                   123, 125, 127, 131, 143, 144, 146, 147, 148, 149, 151, 179}) {
        EXPECT_NE(string(id), string(3)) << "id " << id;
    }
}

TEST_F(Translated, EveryEntryButTwelveGoesThroughTheCatalogueWithItsComment) {
    EXPECT_EQ(string(3), QStringLiteral("[Missing message text]"));
    EXPECT_EQ(translator.lookups.back().comment,
              QStringLiteral("default text should never see this"));
    EXPECT_EQ(string(12), QStringLiteral("preferences.dat")) << "entry 12 is never translated";
    EXPECT_EQ(string(14), QStringLiteral("[:/images/Resources/splashtw.png]"));
    EXPECT_EQ(translator.lookups.back().comment,
              QStringLiteral("STR_RES_ID_SPLASHSCREEN_FILE_NAME"));
}

TEST_F(Translated, EntriesSharingACommentAreToldApartByTheirSource) {
    string(811);
    string(812);
    ASSERT_GE(translator.lookups.size(), 2u);
    const auto& a = translator.lookups[translator.lookups.size() - 2];
    const auto& b = translator.lookups.back();
    EXPECT_EQ(a.comment, b.comment);
    EXPECT_EQ(a.comment, QStringLiteral("STR_RES_ID_BLACK_LEVEL_LOW_LIMIT_MESSAGE_TEXT"));
    EXPECT_NE(a.source, b.source);
}

TEST(StringTable, EmbeddedJapaneseCatalogueTranslatesTheTable) {
    QTranslator japanese;
    ASSERT_TRUE(japanese.load(QStringLiteral(":/translations/Resources/tintwell_ja")));
    QCoreApplication::installTranslator(&japanese);
    const QString missing = string(3);
    QCoreApplication::removeTranslator(&japanese);
    EXPECT_NE(missing, QStringLiteral("Missing message text"));
    EXPECT_FALSE(missing.isEmpty());
}

TEST_F(Translated, TheLuminanceUnitIsAnEntryOfItsOwnThatTheSpinBoxesShow) {
    EXPECT_EQ(string(kLuminanceUnitString), QStringLiteral("[cd/m\u00b2]"));
    EXPECT_EQ(translator.lookups.back().comment, QStringLiteral("STR_RES_ID_LUMINANCE_UNITS"));
    EXPECT_EQ(picture_mode::unit_suffix(false), QStringLiteral(" [cd/m\u00b2]"));
    EXPECT_EQ(picture_mode::unit_suffix(true), QStringLiteral(" %"));
}

}  // namespace

// The access library's failures reach the user as what they are: the monitor could not be
// talked to. The caller's own mistakes are not dressed up as that.
TEST(ErrorMessages, AccessLibraryFailuresAreCommunicationErrors) {
    const ErrorMessage null_reply = error_message(-23, false);
    for (int code : {-203, -204, -205}) {
        EXPECT_TRUE(is_communication_error(code)) << code;
        const ErrorMessage message = error_message(code, false);
        EXPECT_EQ(message.string_id, null_reply.string_id) << code;
        EXPECT_NE(message.string_id, error_message(-9999, false).string_id) << code;
    }
    EXPECT_FALSE(is_communication_error(-202)) << "bad arguments are a fault of the caller";
}
