// The name page: which slots can be chosen, what goes to the monitor as a name and when, and
// what a failure there does.
#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWizard>

#include "color_wizard_fixture.h"
#include "comm/monitor_features.h"
#include "ui/wizard/color_wizard_name_preset.h"
#include "ui/wizard/color_wizard_name_preset_page.h"

namespace mf = monitor_feature;

namespace {

using namespace wizard_testing;
using namespace color_wizard_rules;

class ColorWizardNamePreset : public ColorWizardTest {
  protected:
    void SetUp() override {
        ColorWizardTest::SetUp();
        start();
    }
    // Opens the wizard and goes to the name page of a full-custom mode.
    std::unique_ptr<color_wizard> at_name_page() {
        auto wizard = open_wizard();
        wizard->setField(QStringLiteral("preset_type.custom"), true);
        wizard->next();
        wizard->setField(QStringLiteral("custom_type.full_custom"), true);
        wizard->next();
        EXPECT_EQ(wizard->currentId(), kNamePresetPage);
        return wizard;
    }
    color_wizard_name_preset* form(color_wizard& w) {
        return static_cast<ColorWizardNamePresetPage*>(w.page(kNamePresetPage))->form();
    }
    QByteArray slot_name(int slot) {
        return sim_monitor().state().slot_names[static_cast<std::size_t>(slot - 1)];
    }
    // Keeps the first `count` of the names the monitor reported.
    void keep_names(int count) {
        CMonitorEntry entry;
        ASSERT_TRUE(stored_record(entry));
        if (reported_names.isEmpty()) reported_names = entry.adjust.namedEntries;
        entry.adjust.namedEntries = reported_names.mid(0, count);
        store_record(entry);
    }
    QList<CNamedEntry> reported_names;
};

TEST_F(ColorWizardNamePreset, TheStoredNamesFillTheSlotsAndOnlyTheChosenOneCanBeEdited) {
    sim_monitor().state().slot_names[1] = QByteArray("Second slot  ");
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    entry.adjust.namedEntries[1].name = QStringLiteral("Second slot  ");
    store_record(entry);
    auto wizard = at_name_page();
    color_wizard_name_preset* f = form(*wizard);
    EXPECT_EQ(f->name_edit(2)->text(), QStringLiteral("Second slot  "));
    EXPECT_EQ(f->name_edit(5)->text(), QStringLiteral("Programmable5"));
    EXPECT_TRUE(f->name_edit(1)->isEnabled());
    EXPECT_FALSE(f->name_edit(2)->isEnabled());
    f->radio(2)->click();
    EXPECT_TRUE(f->name_edit(2)->isEnabled());
    EXPECT_FALSE(f->name_edit(1)->isEnabled());
    EXPECT_EQ(f->name_edit(2)->maxLength(), 13);
    // Only letters, digits and blanks can be typed.
    f->name_edit(2)->clear();
    QTest::keyClicks(f->name_edit(2), QStringLiteral("A-b_c 1.2"));
    EXPECT_EQ(f->name_edit(2)->text(), QStringLiteral("Abc 12"));
}

TEST_F(ColorWizardNamePreset, WithFewerThanFourStoredNamesSlotsFourAndFiveStayDisabled) {
    keep_names(3);
    auto wizard = at_name_page();
    color_wizard_name_preset* f = form(*wizard);
    for (const int slot : {4, 5}) {
        EXPECT_FALSE(f->radio(slot)->isEnabled()) << slot;
        EXPECT_FALSE(f->name_label(slot)->isEnabled()) << slot;
        EXPECT_FALSE(f->name_edit(slot)->isEnabled()) << slot;
    }
    EXPECT_TRUE(f->radio(3)->isEnabled());
    wizard.reset();

    keep_names(4);
    auto four = at_name_page();
    EXPECT_TRUE(form(*four)->radio(4)->isEnabled());
    EXPECT_FALSE(form(*four)->radio(5)->isEnabled());
}

TEST_F(ColorWizardNamePreset, ANewNameGoesAsThirteenCharactersAnUnchangedOneNotAtAll) {
    {
        auto wizard = at_name_page();
        wizard->setField(QStringLiteral("name_preset.radio2"), true);
        wizard->setField(QStringLiteral("name_preset.nametext2"), QStringLiteral("ab"));
        wizard->next();
        EXPECT_EQ(wizard->currentId(), kGammaPage);
        EXPECT_EQ(slot_name(2), QByteArray("ab           "));
        EXPECT_EQ(sim_value(mf::preset), programmable_mode(2));
    }
    // The monitor's name changes behind the wizard's back; a name the user leaves alone is not
    // sent, so the monitor keeps whatever it holds.
    sim_monitor().state().slot_names[3] = QByteArray("Kept by OSD  ");
    auto wizard = at_name_page();
    wizard->setField(QStringLiteral("name_preset.radio4"), true);
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kGammaPage);
    EXPECT_EQ(slot_name(4), QByteArray("Kept by OSD  "));
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(4));
    EXPECT_EQ(sim_value(mf::lut_use), 1);
    EXPECT_TRUE(errors.texts.isEmpty());
}

TEST_F(ColorWizardNamePreset, AStoredNameIsNotSentAgainAfterBackAndNext) {
    auto wizard = at_name_page();
    wizard->setField(QStringLiteral("name_preset.radio3"), true);
    wizard->setField(QStringLiteral("name_preset.nametext3"), QStringLiteral("Proof"));
    wizard->next();
    ASSERT_EQ(slot_name(3), QByteArray("Proof        "));
    wizard->back();
    sim_monitor().state().slot_names[2] = QByteArray("Changed      ");
    wizard->next();
    EXPECT_EQ(slot_name(3), QByteArray("Changed      "));
}

TEST_F(ColorWizardNamePreset, ANameTheMonitorRefusesIsReportedAndThePageStays) {
    auto wizard = at_name_page();
    wizard->setField(QStringLiteral("name_preset.radio2"), true);
    wizard->setField(QStringLiteral("name_preset.nametext2"), QStringLiteral("Studio"));
    fail_command(0xC227);
    wizard->next();
    sim_monitor().faults().clear();
    EXPECT_EQ(wizard->currentId(), kNamePresetPage);
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(errors.texts[0], error_text(-1023, false).text);
    EXPECT_EQ(slot_name(2), QByteArray("Programmable2"));
    EXPECT_TRUE(wizard->changed()) << "the monitor was switched before the name failed";
    CMonitorEntry entry;
    ASSERT_TRUE(stored_record(entry));
    EXPECT_EQ(entry.adjust.namedEntries[1].name, QStringLiteral("Programmable2"))
        << "the record keeps what the monitor holds";

    // Trying again once the monitor answers stores it.
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kGammaPage);
    EXPECT_EQ(slot_name(2), QByteArray("Studio       "));
}

TEST_F(ColorWizardNamePreset, ANameTheMonitorCannotHoldIsRefusedBeforeAnythingIsWritten) {
    auto wizard = at_name_page();
    wizard->setField(QStringLiteral("name_preset.radio5"), true);
    // Set past the validator, as a stored or pasted text could be.
    wizard->setField(QStringLiteral("name_preset.nametext5"), QStringLiteral("caf\u00e9-bar"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kNamePresetPage);
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_TRUE(errors.texts[0].contains(QStringLiteral("letters"))) << "it says what is wrong";
    EXPECT_EQ(sim_value(mf::preset), kSrgb) << "not switched";
    EXPECT_EQ(slot_name(5), QByteArray("Programmable5"));
    EXPECT_FALSE(wizard->changed());
}

TEST_F(ColorWizardNamePreset, AFailedSwitchToTheSlotRefusesThePageAndWritesNothingAfterIt) {
    auto wizard = at_name_page();
    const int mode = sim_value(mf::preset);
    const int custom = sim_value(mf::lut_use);
    wizard->setField(QStringLiteral("name_preset.radio2"), true);
    wizard->setField(QStringLiteral("name_preset.nametext2"), QStringLiteral("Studio"));
    fail_command(0xC8);
    wizard->next();
    sim_monitor().faults().clear();
    EXPECT_EQ(wizard->currentId(), kNamePresetPage);
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_EQ(errors.texts[0], error_text(-1023, false).text);
    EXPECT_EQ(sim_value(mf::preset), mode) << "not switched";
    EXPECT_EQ(slot_name(2), QByteArray("Programmable2")) << "the name went nowhere";
    EXPECT_EQ(sim_value(mf::lut_use), custom) << "the mode that was active stays as it was";

    // Once the monitor answers, the same Next makes the mode in the chosen slot.
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kGammaPage);
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(2));
    EXPECT_EQ(slot_name(2), QByteArray("Studio       "));
}

TEST_F(ColorWizardNamePreset, TheSlotTheMonitorIsInStaysChosenWhateverTheRecordHolds) {
    // The monitor is in Programmable 4, the record knows only three names.
    keep_names(3);
    set_sim_value(mf::preset, programmable_mode(4));
    const QByteArray first = slot_name(1);
    auto wizard = at_name_page();
    color_wizard_name_preset* f = form(*wizard);
    EXPECT_EQ(f->checked_slot(), 4);
    EXPECT_TRUE(f->radio(4)->isEnabled());
    EXPECT_FALSE(f->radio(5)->isEnabled());
    EXPECT_TRUE(errors.texts.isEmpty());
    wizard->setField(QStringLiteral("name_preset.nametext4"), QStringLiteral("Four"));
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kGammaPage);
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(4));
    EXPECT_EQ(slot_name(4), QByteArray("Four         "));
    EXPECT_EQ(slot_name(1), first) << "slot 1 was never chosen";
}

TEST_F(ColorWizardNamePreset, AChosenSlotTheMonitorDoesNotHaveIsNotMovedButAskedFor) {
    keep_names(3);
    const int mode = sim_value(mf::preset);
    const QByteArray first = slot_name(1);
    auto wizard = open_wizard();
    wizard->setField(QStringLiteral("preset_type.custom"), true);
    wizard->next();
    wizard->setField(QStringLiteral("custom_type.full_custom"), true);
    // A choice of slot 5 that neither the record nor the monitor's mode offers.
    wizard->setField(QStringLiteral("name_preset.radio5"), true);
    wizard->next();
    ASSERT_EQ(wizard->currentId(), kNamePresetPage);
    color_wizard_name_preset* f = form(*wizard);
    EXPECT_EQ(f->checked_slot(), 0) << "no slot the user did not choose";
    ASSERT_EQ(errors.texts.size(), 1);
    EXPECT_TRUE(errors.texts[0].contains(QStringLiteral("Custom 5")))
        << qPrintable(errors.texts[0]);

    wizard->next();
    EXPECT_EQ(wizard->currentId(), kNamePresetPage) << "Next waits for a choice";
    EXPECT_EQ(errors.texts.size(), 2);
    EXPECT_EQ(sim_value(mf::preset), mode);
    EXPECT_EQ(slot_name(1), first);

    f->radio(3)->click();
    wizard->next();
    EXPECT_EQ(wizard->currentId(), kGammaPage);
    EXPECT_EQ(sim_value(mf::preset), programmable_mode(3));
    EXPECT_EQ(slot_name(1), first);
}

}  // namespace

namespace {

TEST_F(ColorWizardNamePreset, ReturnInANameFieldKeepsThePageAndWritesNothing) {
    auto wizard = at_name_page();
    wizard->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
    color_wizard_name_preset* f = form(*wizard);
    f->radio(2)->click();
    const QByteArray before = slot_name(2);
    const int preset = sim_value(mf::preset);
    QLineEdit* edit = f->name_edit(2);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("Proof"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(edit, key);
    EXPECT_EQ(wizard->currentId(), kNamePresetPage);
    EXPECT_EQ(edit->text(), QStringLiteral("Proof"));
    EXPECT_EQ(slot_name(2), before);
    EXPECT_EQ(sim_value(mf::preset), preset);
    // Next still takes the name.
    wizard->next();
    EXPECT_EQ(slot_name(2), QByteArray("Proof        "));
}

// Back and Next take Alt+B and Alt+N on every page that shows them; a control of a page with
// the same mnemonic makes the key do one or the other depending on focus. (Finish shows only
// on the last pages, which have no "F" of their own.)
TEST_F(ColorWizardNamePreset, NoPageTakesTheMnemonicOfBackOrNext) {
    auto wizard = open_wizard();
    QList<int> taken;
    for (const QWizard::WizardButton which : {QWizard::BackButton, QWizard::NextButton}) {
        const QKeySequence key = QKeySequence::mnemonic(wizard->buttonText(which));
        if (!key.isEmpty()) taken << key[0].toCombined();
    }
    ASSERT_EQ(taken.size(), 2);
    for (const int id : wizard->pageIds()) {
        QWizardPage* page = wizard->page(id);
        QStringList texts;
        for (const QLabel* label : page->findChildren<QLabel*>())
            texts << label->text();
        for (const QAbstractButton* button : page->findChildren<QAbstractButton*>())
            texts << button->text();
        for (const QString& text : texts) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty()) continue;
            EXPECT_FALSE(taken.contains(key[0].toCombined()))
                << "page " << id << ": \"" << text.toStdString() << "\"";
        }
    }
}

}  // namespace
