#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "platform/spotread_instrument.h"

namespace platform {

void PrintTo(const CSpotreadDisplayType& t, std::ostream* out) {
    *out << qPrintable(QStringLiteral("{%1, %2, %3, %4}")
                           .arg(t.selector, t.instrument, t.name,
                                t.is_default ? QStringLiteral("default") : QString()));
}

}  // namespace platform

namespace {

using namespace platform::instrument_error;
using platform::CInstrumentSample;
using platform::CSpotreadDisplayType;
using platform::CSpotreadInstrument;
using platform::CSpotreadSettings;

// A stand-in for spotread. It writes each call's arguments and its ARGYLL_NOT_INTERACTIVE to
// $SPOTREAD_LOG, answers -? with a usage text ending in $USAGE_FILE, and otherwise prints what
// spotread prints in emissive mode (the prompt, then for each key a result line and the prompt
// again) or, as MODE says, what it prints when it cannot go on.
constexpr const char* kStandIn = R"SH(#!/bin/sh
{
  echo call
  for a in "$@"; do echo "arg:$a"; done
  echo "not-interactive:${ARGYLL_NOT_INTERACTIVE-unset}"
} >> "$SPOTREAD_LOG"
if [ "$1" = "-?" ]; then
  echo "Measure spot values, Version 0.0" >&2
  echo "Diagnostic: Usage requested" >&2
  echo "usage: spotread [-options] [logfile]" >&2
  if [ -n "$USAGE_FILE" ]; then cat "$USAGE_FILE" >&2; fi
  exit 1
fi
case "$MODE" in
  none) echo "spotread: Error - No instrument at port 1" >&2; exit 1;;
  none-waits) echo "spotread: Error - No instrument at port 1" >&2; exec sleep 30;;
  busy)
    echo "spotread: Error - usb_open_port: Claiming USB port '/dev/bus/usb/001/004' interface 0 failed with -1" >&2
    echo "Failed to initialise communications with instrument"
    echo "or wrong instrument or bad configuration!"
    echo "('Communications failure' + 'System error')"
    exit 255;;
  permission)
    echo "spotread: Error - usb_open_port: open '/dev/bus/usb/001/004' config 1 failed (-1) (Permissions ?)" >&2
    echo "Failed to initialise communications with instrument"
    echo "or wrong instrument or bad configuration!"
    echo "('Communications failure' + 'System error')"
    exit 255;;
  bad-type)
    echo "Diagnostic: Failed to locate display type matching 'e'" >&2
    echo "usage: spotread [-options] [logfile]" >&2
    echo "    ** No ports found **" >&2
    exit 1;;
  hang) exec sleep 30;;
esac
echo "Place instrument on spot to be measured,"
echo "and hit [A-Z] to read white and setup FWA compensation (keyed to letter)"
echo "Hit ESC or Q to exit, any other key to take a reading:"
n=0
while true; do
  key=$(dd bs=1 count=1 2>/dev/null)
  if [ "$key" = q ] || [ -z "$key" ]; then exit 0; fi
  case "$MODE" in
    silent) exec sleep 30;;
    misread)
      echo "Got 'Measurement misread' (Instrument error) error."
      echo "Hit Esc or Q to give up, any other key to retry:"
      continue;;
  esac
  n=$((n + 1))
  echo ""
  echo " Result is XYZ: 95.2$n 100.1$n 108.9$n, D50 Lab: 100.000 0.000 0.000"
  echo ""
  echo "Place instrument on spot to be measured,"
  echo "Hit ESC or Q to exit, any other key to take a reading:"
done
)SH";

// The option lines of a usage text as spotread prints them with two instruments attached:
// the -y entries of the first, then of the second, between -e and -I.
constexpr const char* kTwoInstruments =
    " -v                   Verbose mode\n"
    " -c listno            Set instrument port from the following list (default 1)\n"
    "    1 = '/dev/bus/usb/001/004 (Meter One)'\n"
    "    2 = '/dev/bus/usb/001/005 (Meter Two)'\n"
    " -e                   Use emissive measurement mode (absolute results)\n"
    " -y c|r               Meter One: Refresh display [CB1]\n"
    "    l|n               Meter One: Non-Refresh display [Default,CB2]\n"
    "    f                 Meter One: LCD, CCFL Backlight (Generic)\n"
    "    e                 Meter One: LCD, White LED Backlight (Generic)\n"
    "    o                 Meter One: OLED\n"
    "    1                 Meter Two: LCD (Generic) [Default]\n"
    "    _2                Meter Two: LCD, RGB LED Backlight\n"
    " -I illum             Set simulated instrument illumination using FWA (def -i illum):\n"
    "                       M0, M1, M2, A, C, D50, D50M2, D65, F5, F8, F10 or file.sp]\n"
    " -F filter            Set filter configuration (if aplicable):\n"
    "    n                  None (M0)\n"
    "    6                  D65\n"
    " -N                   Disable auto calibration of instrument\n"
    " -X file.ccmx         Apply Colorimeter Correction Matrix\n";

QList<CSpotreadDisplayType> types_of(const char* usage) {
    return CSpotreadInstrument::parse_display_types(QString::fromLatin1(usage));
}

TEST(SpotreadUsage, ListsEachDisplayTypeOfEachInstrumentAndStopsAtTheNextOption) {
    const QList<CSpotreadDisplayType> types = types_of(kTwoInstruments);
    QStringList selectors;
    for (const CSpotreadDisplayType& t : types)
        selectors << t.selector;
    // The -F entries below look alike but belong to another option.
    EXPECT_EQ(selectors, (QStringList{"c", "r", "l", "n", "f", "e", "o", "1", "_2"}));
    ASSERT_EQ(types.size(), 9);
    EXPECT_EQ(types[0], (CSpotreadDisplayType{"c", "Meter One", "Refresh display", false}));
    EXPECT_EQ(types[3], (CSpotreadDisplayType{"n", "Meter One", "Non-Refresh display", true}));
    EXPECT_EQ(types[5].name, QStringLiteral("LCD, White LED Backlight (Generic)"));
    EXPECT_EQ(types[7], (CSpotreadDisplayType{"1", "Meter Two", "LCD (Generic)", true}));
    EXPECT_EQ(types[8].instrument, QStringLiteral("Meter Two"));
}

TEST(SpotreadUsage, ReadsShortEntriesNamedPairsAndWindowsLineEnds) {
    const QList<CSpotreadDisplayType> plain = types_of(
        " -y l  LCD\r\n"
        "    c  CRT\r\n"
        "    e  LCD, LED backlight\r\n"
        "    n  Non-refresh (Generic)\r\n"
        " -N   Disable auto calibration of instrument\r\n");
    ASSERT_EQ(plain.size(), 4);
    EXPECT_EQ(plain[0], (CSpotreadDisplayType{"l", "", "LCD", false}));
    EXPECT_EQ(plain[2], (CSpotreadDisplayType{"e", "", "LCD, LED backlight", false}));
    EXPECT_EQ(plain[3], (CSpotreadDisplayType{"n", "", "Non-refresh (Generic)", false}));

    // A serial instrument that cannot be asked without opening it gets one generic line.
    const QList<CSpotreadDisplayType> other =
        types_of(" -y l|c               Other: l = LCD, c = CRT\n -I illum  Set illumination\n");
    ASSERT_EQ(other.size(), 2);
    EXPECT_EQ(other[0], (CSpotreadDisplayType{"l", "Other", "LCD", false}));
    EXPECT_EQ(other[1], (CSpotreadDisplayType{"c", "Other", "CRT", false}));
}

TEST(SpotreadUsage, WithoutAnInstrumentThereIsNoList) {
    // What spotread prints with nothing attached: no -y at all.
    EXPECT_TRUE(types_of(" -c listno            Set instrument port from the following list\n"
                         "    ** No ports found **\n"
                         " -e                   Use emissive measurement mode\n"
                         " -I illum             Set simulated instrument illumination\n")
                    .isEmpty());
    // The placeholder some versions print in place of the list.
    EXPECT_TRUE(types_of(" -y X                 Display type - the list depends on the instrument\n"
                         " -I illum             Set illumination\n")
                    .isEmpty());
    EXPECT_TRUE(types_of("").isEmpty());
}

std::optional<QString> chosen(const QList<CSpotreadDisplayType>& types,
                              const QStringList& preference = {"LCD", "LED"}) {
    const auto type = CSpotreadInstrument::choose_display_type(types, preference);
    if (!type) return std::nullopt;
    return type->selector;
}

TEST(SpotreadDisplayTypeChoice, TheTypeHoldingTheMostWantedWordsWins) {
    const QList<CSpotreadDisplayType> types = types_of(kTwoInstruments);
    // An LED backlit LCD matches both words; the first listed of those wins.
    EXPECT_EQ(chosen(types), QStringLiteral("e"));
    EXPECT_EQ(chosen(types, {"CCFL", "LCD"}), QStringLiteral("f"));
    EXPECT_EQ(chosen(types, {"LCD", "RGB"}), QStringLiteral("_2"));
    EXPECT_EQ(chosen(types, {"oled"}), QStringLiteral("o"));
    // Among equals the instrument's own default goes first: the second instrument's generic
    // LCD before the first's CCFL one.
    EXPECT_EQ(chosen(types, {"LCD"}), QStringLiteral("1"));
    const QList<CSpotreadDisplayType> equals{{"a", "", "LCD (Generic)", false},
                                             {"b", "", "LCD (Generic)", true}};
    EXPECT_EQ(chosen(equals), QStringLiteral("b"));
}

TEST(SpotreadDisplayTypeChoice, FallsBackToNonRefreshOrToNone) {
    // "LED" is not the end of "OLED".
    const QList<CSpotreadDisplayType> oled{{"o", "", "OLED", false},
                                           {"x", "", "Non-Refresh display", false},
                                           {"n", "", "Generic", false}};
    EXPECT_EQ(chosen(oled), QStringLiteral("x"));
    const QList<CSpotreadDisplayType> by_letter{{"r", "", "Refresh display", false},
                                                {"n", "", "Generic", false}};
    EXPECT_EQ(chosen(by_letter), QStringLiteral("n"));
    const QList<CSpotreadDisplayType> neither{{"c", "", "CRT", false},
                                              {"p", "", "Projector", false}};
    EXPECT_EQ(chosen(neither), std::nullopt);
    EXPECT_EQ(chosen({}), std::nullopt);
    EXPECT_EQ(chosen(types_of(kTwoInstruments), {}), std::nullopt);
}

TEST(SpotreadResult, ResultLinesParseAndOtherTextDoesNot) {
    const auto s = CSpotreadInstrument::parse_result(
        " Result is XYZ: 109.416624 115.208641 125.226853, D50 Lab: 104.99 -0.31 -0.58\n");
    ASSERT_TRUE(s.has_value());
    EXPECT_DOUBLE_EQ(s->X, 109.416624);
    EXPECT_DOUBLE_EQ(s->Y, 115.208641);
    EXPECT_DOUBLE_EQ(s->Z, 125.226853);
    EXPECT_TRUE(CSpotreadInstrument::parse_result("Result is XYZ: 1.0e-2 2 3\n").has_value());
    EXPECT_FALSE(CSpotreadInstrument::parse_result("Result is XYZ: n/a\n").has_value());
    EXPECT_FALSE(CSpotreadInstrument::parse_result("Place instrument on spot").has_value());
}

class SpotreadInstrument : public ::testing::Test {
  protected:
    struct Call {
        QStringList arguments;
        QString not_interactive;
    };

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        program_ = dir_.filePath(QStringLiteral("spotread"));
        write(program_, kStandIn);
        QFile::setPermissions(program_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("SPOTREAD_LOG", QFile::encodeName(dir_.filePath(QStringLiteral("calls.log"))));
        // Only the instrument may set it: the test's own environment must not.
        qunsetenv("ARGYLL_NOT_INTERACTIVE");
        qunsetenv("USAGE_FILE");
    }
    void TearDown() override {
        for (const char* name : {"MODE", "USAGE_FILE", "SPOTREAD_LOG"})
            qunsetenv(name);
    }

    void write(const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void list_types(const char* options) {
        const QString path = dir_.filePath(QStringLiteral("usage.txt"));
        write(path, options);
        qputenv("USAGE_FILE", QFile::encodeName(path));
    }
    // Short limits: the stand-in answers at once or never.
    CSpotreadSettings settings(const char* mode = "") {
        qputenv("MODE", mode);
        CSpotreadSettings s;
        s.program = program_;
        s.start_timeout_ms = 5000;
        s.reading_timeout_ms = 400;
        s.usage_timeout_ms = 2000;
        return s;
    }
    QList<Call> calls() const {
        QFile f(dir_.filePath(QStringLiteral("calls.log")));
        QList<Call> result;
        if (!f.open(QIODevice::ReadOnly)) return result;
        for (const QString& line : QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'))) {
            if (line == QLatin1String("call"))
                result.append(Call{});
            else if (result.isEmpty())
                continue;
            else if (line.startsWith(QLatin1String("arg:")))
                result.last().arguments << line.mid(4);
            else if (line.startsWith(QLatin1String("not-interactive:")))
                result.last().not_interactive = line.mid(16);
        }
        return result;
    }

    QTemporaryDir dir_;
    QString program_;
};

TEST_F(SpotreadInstrument, ReadsEachPatchFromOneProcessStartedAsUsersSetIt) {
    list_types(kTwoInstruments);
    const QString correction = dir_.filePath(QStringLiteral("panel.ccss"));
    write(correction, "CCSS\n");
    CSpotreadSettings s = settings();
    s.correction_file = correction;
    CSpotreadInstrument meter(s);
    ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
    EXPECT_EQ(meter.display_types(), types_of(kTwoInstruments));
    EXPECT_EQ(meter.display_type(), QStringLiteral("e"));
    CInstrumentSample a, b;
    ASSERT_EQ(meter.read(a), 0) << qPrintable(meter.error_text());
    ASSERT_EQ(meter.read(b), 0);
    // The stand-in counts the key presses: the second reading is a reading of its own.
    EXPECT_DOUBLE_EQ(a.Y, 100.11);
    EXPECT_DOUBLE_EQ(b.Y, 100.12);
    meter.close();
    EXPECT_EQ(meter.read(a), kNone);

    const QList<Call> made = calls();
    ASSERT_EQ(made.size(), 2);
    EXPECT_EQ(made[0].arguments, QStringList{"-?"});
    EXPECT_EQ(made[1].arguments, (QStringList{"-y", "e", "-X", correction, "-e", "-N"}));
    for (const Call& call : made)
        EXPECT_EQ(call.not_interactive, QStringLiteral("1"));
}

TEST_F(SpotreadInstrument, TheDisplayTypeIsAskedForOnlyWhenItIsToBeChosen) {
    {
        // No list: spotread keeps the instrument's own default.
        CSpotreadInstrument meter(settings());
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
        EXPECT_TRUE(meter.display_type().isEmpty());
    }
    {
        CSpotreadSettings s = settings();
        s.display_preference.clear();
        CSpotreadInstrument meter(s);
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
    }
    {
        list_types(kTwoInstruments);
        CSpotreadSettings s = settings();
        s.arguments = QStringList{"-e", "-y", "l"};
        CSpotreadInstrument meter(s);
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
        EXPECT_TRUE(meter.display_types().isEmpty());
    }
    {
        // Once known, the list is not asked for again when the instrument opens again.
        list_types(kTwoInstruments);
        CSpotreadInstrument meter(settings());
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
        meter.close();
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
    }
    QList<QStringList> arguments;
    for (const Call& call : calls())
        arguments << call.arguments;
    EXPECT_EQ(arguments, (QList<QStringList>{{"-?"},
                                             {"-e", "-N"},
                                             {"-e", "-N"},
                                             {"-e", "-y", "l"},
                                             {"-?"},
                                             {"-y", "e", "-e", "-N"},
                                             {"-y", "e", "-e", "-N"}}));
}

TEST_F(SpotreadInstrument, AnUnusableCorrectionFileIsRefusedBeforeSpotreadStarts) {
    write(dir_.filePath(QStringLiteral("panel.icc")), "not a correction");
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.ccss")));
    struct Case {
        QString file;
        const char* said;
    };
    for (const Case& c : {Case{dir_.filePath(QStringLiteral("gone.ccmx")), "gone.ccmx"},
                          Case{dir_.filePath(QStringLiteral("panel.icc")), ".ccmx"},
                          Case{dir_.filePath(QStringLiteral("folder.ccss")), "folder.ccss"}}) {
        CSpotreadSettings s = settings();
        s.correction_file = c.file;
        CSpotreadInstrument meter(s);
        EXPECT_EQ(meter.open(), kSettings) << qPrintable(c.file);
        EXPECT_TRUE(meter.error_text().contains(QLatin1String(c.said)))
            << qPrintable(meter.error_text());
    }
    EXPECT_TRUE(calls().isEmpty());
    // Upper case names are corrections too.
    const QString upper = dir_.filePath(QStringLiteral("PANEL.CCMX"));
    write(upper, "CCMX\n");
    CSpotreadSettings s = settings();
    s.correction_file = upper;
    CSpotreadInstrument meter(s);
    EXPECT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
}

TEST_F(SpotreadInstrument, EachFailureEndsWithItsOwnResultAndText) {
    {
        CSpotreadSettings s = settings();
        s.program = dir_.filePath(QStringLiteral("not-installed"));
        CSpotreadInstrument missing(s);
        EXPECT_EQ(missing.open(), kMissing);
        EXPECT_TRUE(missing.error_text().contains(QStringLiteral("argyll")));
    }
    struct Case {
        const char* mode;
        int code;
        const char* said;
    };
    for (const Case& c :
         {Case{"none", kNone, "no measuring instrument"}, Case{"busy", kBusy, "another program"},
          Case{"permission", kPermission, "udev rules"},
          Case{"bad-type", kFailed, "Failed to locate display type matching"}}) {
        CSpotreadInstrument meter(settings(c.mode));
        EXPECT_EQ(meter.open(), c.code) << c.mode;
        EXPECT_TRUE(meter.error_text().contains(QLatin1String(c.said)))
            << c.mode << ": " << qPrintable(meter.error_text());
    }
    {
        // An instrument error during a reading: spotread waits for a key to retry or give up.
        CSpotreadInstrument meter(settings("misread"));
        ASSERT_EQ(meter.open(), 0) << qPrintable(meter.error_text());
        CInstrumentSample s;
        EXPECT_EQ(meter.read(s), kFailed);
        EXPECT_TRUE(meter.error_text().contains(QStringLiteral("Measurement misread")))
            << qPrintable(meter.error_text());
    }
    {
        CSpotreadInstrument meter(settings("silent"));
        ASSERT_EQ(meter.open(), 0);
        CInstrumentSample s;
        EXPECT_EQ(meter.read(s), kTimeout);
        EXPECT_TRUE(meter.error_text().contains(QStringLiteral("no reading within 0.4 s")))
            << qPrintable(meter.error_text());
        meter.close();  // the stand-in that never answers is ended, not waited for
    }
    {
        CSpotreadInstrument meter(settings("silent"));
        ASSERT_EQ(meter.open(), 0);
        std::thread user([&meter] { meter.cancel(); });
        user.join();
        CInstrumentSample s;
        EXPECT_EQ(meter.read(s), kCancelled);
        EXPECT_EQ(meter.open(), kCancelled);
    }
}

TEST_F(SpotreadInstrument, NoInstrumentAndAHangEndWithinMoments) {
    QElapsedTimer clock;
    {
        // spotread says so and lingers: the message decides, not its end.
        CSpotreadSettings s = settings("none-waits");
        s.start_timeout_ms = 20000;
        CSpotreadInstrument meter(s);
        clock.start();
        EXPECT_EQ(meter.open(), kNone);
        EXPECT_LT(clock.elapsed(), 3000);
    }
    {
        CSpotreadSettings s = settings("hang");
        s.start_timeout_ms = 500;
        CSpotreadInstrument meter(s);
        clock.start();
        EXPECT_EQ(meter.open(), kTimeout);
        EXPECT_LT(clock.elapsed(), 2500);
        EXPECT_TRUE(meter.error_text().contains(QStringLiteral("within 0.5 s")))
            << qPrintable(meter.error_text());
    }
    {
        // The usage text already says there is nothing to open.
        list_types("    ** No ports found **\n");
        CSpotreadInstrument meter(settings());
        EXPECT_EQ(meter.open(), kNone);
        ASSERT_FALSE(calls().isEmpty());
        EXPECT_EQ(calls().last().arguments, QStringList{"-?"});
    }
}

}  // namespace
