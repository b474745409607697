// The wizard's shell and its intro and custom-type pages: what is offered for which monitor,
// what is pre-selected, the window's settings and its place on the screen.
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTranslator>

#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "core/error_box.h"
#include "ui/wizard/color_wizard_custom_type.h"
#include "ui/wizard/color_wizard_custom_type_page.h"
#include "ui/wizard/color_wizard_intro_page.h"
#include "ui/wizard/color_wizard_name_preset.h"
#include "ui/wizard/color_wizard_name_preset_page.h"
#include "ui/wizard/color_wizard_select_main.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;

color_wizard_select_main* intro_form(color_wizard& w) {
    return static_cast<ColorWizardIntroPage*>(w.page(kIntroPage))->form();
}

QImage image_of(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}
// Read as the wizard reads it, so that both pass through the same pixel format.
QImage resource_image(const QString& file) {
    return image_of(QPixmap(QStringLiteral(":/images/Resources/") + file));
}

QString caption(QRadioButton* button) {
    return button->text().remove(QLatin1Char('&'));
}

class ColorWizardIntro : public ColorWizardTest {};

TEST_F(ColorWizardIntro, OpeningInProgrammable3PreselectsCustomAndSlot3) {
    start();
    set_sim_value(mf::preset, programmable_mode(3));
    auto wizard = open_wizard();
    EXPECT_TRUE(wizard->field(QStringLiteral("preset_type.custom")).toBool());
    EXPECT_TRUE(wizard->field(QStringLiteral("name_preset.radio3")).toBool());
    EXPECT_FALSE(wizard->field(QStringLiteral("name_preset.radio1")).toBool());
    EXPECT_EQ(static_cast<ColorWizardIntroPage*>(wizard->currentPage())->initial_mode(), 10);
    // The custom path arrives at the name page with slot 3 chosen.
    wizard->next();
    wizard->setField(QStringLiteral("custom_type.full_custom"), true);
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kNamePresetPage);
    auto* page = static_cast<ColorWizardNamePresetPage*>(wizard->currentPage());
    EXPECT_EQ(page->form()->checked_slot(), 3);
    EXPECT_FALSE(wizard->changed()) << "choosing Custom writes nothing";
}

TEST_F(ColorWizardIntro, EachFixedModeIsPreselectedWhenTheMonitorIsInIt) {
    start();
    for (const auto& [mode, field] :
         {std::pair{kAdobeRgb, "preset_type.adobergb"}, std::pair{kDicom, "preset_type.dicom"},
          std::pair{kEciRgb, "preset_type.ecirgb"}}) {
        set_sim_value(mf::preset, mode);
        auto wizard = open_wizard();
        EXPECT_TRUE(wizard->field(QLatin1String(field)).toBool()) << field;
        EXPECT_EQ(intro_form(*wizard)->checked_mode(), mode);
        EXPECT_TRUE(wizard->field(QStringLiteral("name_preset.radio1")).toBool());
    }
}

TEST_F(ColorWizardIntro, WithoutTheNativePrimariesOnlyTheFixedPresetsAreOffered) {
    start(kKx271w, false);
    auto wizard = open_wizard();
    color_wizard_select_main* form = intro_form(*wizard);
    for (const int mode :
         {int(color_wizard_select_main::kCustom), int(kFull), int(kHighBright), int(kDicom)}) {
        EXPECT_FALSE(form->radio(mode)->isEnabled()) << mode;
        EXPECT_FALSE(form->label(mode)->isEnabled()) << mode;
    }
    for (const int mode : {int(kSrgb), int(kAdobeRgb), int(kDci), int(kRec709), int(kEciRgb)})
        EXPECT_TRUE(form->radio(mode)->isEnabled()) << mode;
    EXPECT_FALSE(wizard->record_loaded());
}

TEST_F(ColorWizardIntro, PrintEmulationNeedsTheRecordsNativePrimaries) {
    start();
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    ASSERT_TRUE(entry.adjust.has_factory_primaries());
    {
        auto wizard = open_wizard();
        wizard->setField(QStringLiteral("preset_type.custom"), true);
        wizard->next();
        auto* page = static_cast<ColorWizardCustomTypePage*>(wizard->currentPage());
        EXPECT_TRUE(page->form()->emulate_printer()->isEnabled());
    }
    entry.adjust.set_has_factory_primaries(false);
    store_record(entry);
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.custom"), true);
    // Custom needs the primaries too; the page is reached here only through its field.
    wizard->next();
    auto* page = static_cast<ColorWizardCustomTypePage*>(wizard->currentPage());
    ASSERT_EQ(wizard->currentId(), kCustomTypePage);
    EXPECT_FALSE(page->form()->emulate_printer()->isEnabled());
    EXPECT_TRUE(page->form()->full_custom()->isChecked());
}

TEST_F(ColorWizardIntro, TheSpecialModelOffersDicomSim) {
    start(kKx272w);
    set_sim_value(mf::preset, kSrgb);
    auto wizard = open_wizard();
    EXPECT_EQ(intro_form(*wizard)->radio(kDicom)->text(), QStringLiteral("DICOM Sim"));
}

TEST_F(ColorWizardIntro, ModesTheMonitorLacksAreNotOffered) {
    start(kKx241w);
    {
        auto wizard = open_wizard();
        EXPECT_FALSE(intro_form(*wizard)->radio(kEciRgb)->isEnabled())
            << "its capability list has no eciRGB v2";
        EXPECT_TRUE(intro_form(*wizard)->radio(kDci)->isEnabled());
    }
    // Without a capability list the highest picture mode decides.
    monitor()->set_capabilities("");
    {
        auto wizard = open_wizard();
        EXPECT_FALSE(intro_form(*wizard)->radio(kEciRgb)->isEnabled()) << "its maximum is 12";
    }
    // A list that leaves out DCI disables it and its text.
    monitor()->set_capabilities("(vcp(10)vcp_p10(51(01 02 04 05 06 07 0D)))");
    auto wizard = open_wizard();
    EXPECT_FALSE(intro_form(*wizard)->radio(kDci)->isEnabled());
    EXPECT_FALSE(intro_form(*wizard)->label(kDci)->isEnabled());
    EXPECT_TRUE(intro_form(*wizard)->radio(kEciRgb)->isEnabled()) << "the list has it";
    EXPECT_TRUE(intro_form(*wizard)->radio(kSrgb)->isEnabled());
}

TEST_F(ColorWizardIntro, EciRgbStaysWhereTheMonitorReachesIt) {
    start();
    monitor()->set_capabilities("");
    auto wizard = open_wizard();
    EXPECT_TRUE(intro_form(*wizard)->radio(kEciRgb)->isEnabled()) << "its maximum is 13";
}

TEST_F(ColorWizardIntro, AFailedSwitchIsReportedAndKeepsTheUserOnThePage) {
    start();
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.dci"), true);
    sim::CSimFaultRule rule;
    rule.fault = sim::CSimFault::write_failure;
    rule.repeat = 1000;
    sim_monitor().faults().add(rule);
    wizard->next();
    sim_monitor().faults().clear();
    EXPECT_EQ(wizard->currentId(), kIntroPage);
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(errors.texts[0], error_text(-1023, false).text);
    EXPECT_TRUE(wizard->changed()) << "the monitor may have been switched part-way";
}

TEST_F(ColorWizardIntro, AMonitorThatDoesNotAnswerIsReportedOnEntry) {
    start();
    sim::CSimFaultRule rule;
    rule.fault = sim::CSimFault::lost_reply;
    rule.repeat = 1000;
    sim_monitor().faults().add(rule);
    auto wizard = open_wizard();
    sim_monitor().faults().clear();
    EXPECT_EQ(errors.texts.size(), 1);
    // Without the metamerism value nothing is switched until the monitor answers again.
    wizard->setField(QStringLiteral("preset_type.dci"), true);
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kBrightnessPage);
    EXPECT_EQ(sim_value(mf::preset), kDci);
    EXPECT_EQ(sim_value(mf::metamerism), 1) << "the value read again is the one written back";
}

TEST_F(ColorWizardIntro, TheWindowIsTheDescribedWizard) {
    start();
    auto wizard = open_wizard();
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Color Configuration Wizard"));
    EXPECT_EQ(wizard->wizardStyle(), QWizard::ModernStyle);
    EXPECT_FALSE(wizard->testOption(QWizard::NoCancelButton));
    EXPECT_TRUE(wizard->button(QWizard::CancelButton)->isVisible());
    EXPECT_FALSE(wizard->windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(wizard->startId(), kIntroPage);
    EXPECT_EQ(wizard->pageIds(), (QList<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(wizard->size(), QSize(650, 550));
    EXPECT_FALSE(wizard->windowIcon().isNull());
    const QImage kestrel = resource_image(QStringLiteral("kestrel.png"));
    ASSERT_FALSE(kestrel.isNull());
    EXPECT_EQ(image_of(wizard->pixmap(QWizard::LogoPixmap)), kestrel);
    EXPECT_TRUE(wizard->property("monitor_changed").isValid());
    EXPECT_FALSE(wizard->property("monitor_changed").toBool());
    color_wizard_select_main* form = intro_form(*wizard);
    EXPECT_EQ(caption(form->radio(kHighBright)), QStringLiteral("Native"));
    EXPECT_EQ(caption(form->radio(kRec709)), QStringLiteral("REC-BT709"));
    EXPECT_EQ(caption(form->radio(kDicom)), QStringLiteral("DICOM"));
    EXPECT_EQ(form->label(color_wizard_select_main::kCustom)->text(),
              QStringLiteral("Enter custom settings, or emulate another display or printer."));

    // The size is set once: a user's size survives a return to the intro page.
    wizard->resize(700, 600);
    wizard->setField(QStringLiteral("preset_type.custom"), true);
    wizard->next();
    wizard->back();
    EXPECT_EQ(wizard->size(), QSize(700, 600));
}

TEST_F(ColorWizardIntro, PagesShowTheirOwnLogos) {
    start();
    auto wizard = open_wizard();
    const std::pair<int, const char*> logos[] = {{2, "Printer-profile.png"},
                                                 {3, "Printer-profile.png"},
                                                 {5, "monitor image.png"},
                                                 {6, "gamma blue.png"},
                                                 {7, "gamut white large full color.png"},
                                                 {9, "white point large full color.png"},
                                                 {10, "brightness copy.png"}};
    for (const auto& [id, file] : logos) {
        const QImage expected = resource_image(QLatin1String(file));
        ASSERT_FALSE(expected.isNull()) << file;
        EXPECT_EQ(image_of(wizard->page(id)->pixmap(QWizard::LogoPixmap)), expected) << id;
    }
    // The others show the wizard's own.
    for (const int id : {0, 1, 8}) {
        EXPECT_EQ(image_of(wizard->page(id)->pixmap(QWizard::LogoPixmap)),
                  resource_image(QStringLiteral("kestrel.png")))
            << id;
    }
}

// Answers every lookup with the source text and remembers the keys it was asked for.
class RecordingTranslator : public QTranslator {
  public:
    QString translate(const char* context, const char* source, const char* comment,
                      int) const override {
        keys.append(QStringLiteral("%1|%2|%3")
                        .arg(QString::fromUtf8(context), QString::fromUtf8(source),
                             QString::fromUtf8(comment ? comment : "")));
        return QString();
    }
    bool isEmpty() const override { return false; }
    mutable QStringList keys;
};

TEST_F(ColorWizardIntro, TitlesAndSubtitlesCarryTheirPagesComments) {
    start();
    RecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    auto wizard = std::make_unique<color_wizard>();
    QCoreApplication::removeTranslator(&translator);
    EXPECT_TRUE(translator.keys.contains(
        QStringLiteral("ColorWizardIntroPage|Introduction|ColorWizardIntroPage title")));
    const QStringList classes = {QStringLiteral("ColorWizardIntroPage"),
                                 QStringLiteral("ColorWizardCustomTypePage"),
                                 QStringLiteral("ColorWizardPrinterEmulationPage"),
                                 QStringLiteral("ColorWizardPrinterRenderingIntentPage"),
                                 QStringLiteral("ColorWizardDisplayEmulationSelectionPage"),
                                 QStringLiteral("ColorWizardCustomGammaPage"),
                                 QStringLiteral("ColorWizardColorGamutPage"),
                                 QStringLiteral("ColorWizardNamePresetPage"),
                                 QStringLiteral("ColorWizardWhitePointPage"),
                                 QStringLiteral("ColorWizardBrightnessPage")};
    for (const QString& name : classes) {
        for (const char* part : {" title", " subtitle"}) {
            const QString comment = name + QLatin1String(part);
            const bool found = std::any_of(
                translator.keys.begin(), translator.keys.end(), [&](const QString& key) {
                    return key.startsWith(name + QLatin1Char('|')) && key.endsWith(comment);
                });
            EXPECT_TRUE(found) << qPrintable(comment);
        }
    }
    EXPECT_EQ(wizard->page(kRenderingIntentPage)->subTitle(), QStringLiteral(" "));
    EXPECT_EQ(wizard->page(kBrightnessPage)->title(), QStringLiteral("Brightness and Black Level"));
}

TEST_F(ColorWizardIntro, TheWizardReturnsWhereItWasLeft) {
    start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint place = screen.topLeft() + QPoint(60, 40);
    QPoint client;
    {
        auto wizard = open_wizard();
        wizard->move(place);
        client = wizard->geometry().topLeft();
        wizard->hide();
    }
    // The client area's corner is stored, and given back as such: the frame returns to place.
    EXPECT_EQ(master().preferences().wizard_position(), client);
    auto again = open_wizard();
    EXPECT_EQ(again->pos(), place);
    again->hide();

    master().preferences().set_wizard_position(QPoint(-30000, -30000));
    auto elsewhere = open_wizard();
    EXPECT_NE(elsewhere->pos(), QPoint(-30000, -30000)) << "a place no screen shows is not used";
    elsewhere.reset();

    master().preferences().set_wizard_position(
        QPoint(Preferences::kNoPosition, Preferences::kNoPosition));
    auto unplaced = open_wizard();
    EXPECT_NE(unplaced->pos().x(), Preferences::kNoPosition) << "99999 means none is stored";
}

}  // namespace
