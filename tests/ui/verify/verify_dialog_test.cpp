#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "comm/monitor_fixture.h"
#include "platform/sim_colorimeter.h"
#include "platform/sim_screen.h"
#include "ui/verify/simulated_instrument.h"
#include "ui/verify/verify_dialog.h"
#include "ui/verify/verify_graphs.h"

namespace {

constexpr const char* kConfig = R"({"monitors": [{"model": "KX271W", "serial": "71000123"}]})";

class VerifyDialogTest : public monitor_testing::MonitorTest {
  protected:
    void SetUp() override {
        simulate(kConfig);
        open(0);
        ASSERT_TRUE(backend->persist());
        testing_support::offer_simulated_colorimeter(backend->config());
        display.text1 = QStringLiteral("KX271W");
        display.text2 = QStringLiteral("71000123");
        display.desktop_right = 639;
        display.desktop_bottom = 399;
    }
    void TearDown() override {
        verify_dialog::set_instrument_list({});
        // Qt's own widget tests: nothing may be left open.
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    int measure(verify_dialog& dialog) {
        QSignalSpy done(&dialog, &verify_dialog::finished_measuring);
        if (!dialog.start()) return 1;
        if (!done.wait(20000)) return 2;
        return done.first().first().toInt();
    }

    DisplayInfo display;
};

TEST_F(VerifyDialogTest, MeasuresShowsTheReportAndSavesTheSameFigures) {
    const QJsonObject before = sim_monitor().to_json();
    verify_dialog dialog(&monitor, display);
    dialog.patch_box()->setCurrentIndex(1);
    dialog.patch_size_box()->setValue(30);
    ASSERT_EQ(measure(dialog), 0) << qPrintable(dialog.status_text());
    const verify::Report* report = dialog.report();
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->passed());
    // The report says which noise this run had, so that it can be repeated.
    EXPECT_TRUE(report->instrument.startsWith(QStringLiteral("Simulated colorimeter, noise seed ")))
        << qPrintable(report->instrument);
    EXPECT_EQ(dialog.progress_bar()->value(), 69);
    EXPECT_EQ(dialog.patch_window()->patch_share(), 30);
    EXPECT_FALSE(dialog.patch_window()->isVisible());
    EXPECT_FALSE(platform::CSimScreen::instance().shown("71000123").has_value());
    EXPECT_EQ(sim_monitor().to_json(), before);

    // The table holds the report's figures; the graphs show every patch and grayscale step.
    ASSERT_EQ(dialog.table()->rowCount(), 69);
    QStringList shown_differences;
    for (int i = 0; i < 69; ++i) {
        EXPECT_EQ(dialog.table()->item(i, 3)->text(),
                  QString::number(report->rows[std::size_t(i)].delta_e, 'f', 2));
        shown_differences << dialog.table()->item(i, 3)->text();
    }
    EXPECT_EQ(dialog.chromaticity_graph()->point_count(), 69);  // black glows: it has a colour
    EXPECT_EQ(dialog.grayscale_graph()->gamma().size(), 19);

    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(dialog.save_html(dir.filePath("r.html"), error)) << qPrintable(error);
    ASSERT_TRUE(dialog.save_csv(dir.filePath("r.csv"), error)) << qPrintable(error);
    QFile html(dir.filePath("r.html"));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&html);
    QStringList cells;
    int images = 0;
    bool in_cell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("img")) ++images;
        if (xml.isStartElement() && xml.name() == QLatin1String("td")) in_cell = true;
        if (xml.isEndElement() && xml.name() == QLatin1String("td")) in_cell = false;
        if (in_cell && xml.isCharacters()) cells << xml.text().toString().trimmed();
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(images, 2);
    for (const QString& d : shown_differences)
        EXPECT_TRUE(cells.contains(d)) << qPrintable(d);
    QFile csv(dir.filePath("r.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().trimmed().split('\n');
    EXPECT_TRUE(lines[0].startsWith("patch,group,"));
    EXPECT_EQ(lines.size(), 70);
}

TEST_F(VerifyDialogTest, CancelAndMissingInstrumentEndCleanly) {
    {
        verify_dialog dialog(&monitor, display);
        QSignalSpy done(&dialog, &verify_dialog::finished_measuring);
        ASSERT_TRUE(dialog.start());
        EXPECT_TRUE(dialog.cancel_button()->isEnabled());
        EXPECT_FALSE(dialog.measure_button()->isEnabled());
        // Escape on a patch that covers the whole screen cancels as the button does.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog.patch_window(), &escape);
        ASSERT_TRUE(done.wait(20000));
        EXPECT_EQ(done.first().first().toInt(), platform::instrument_error::kCancelled);
        EXPECT_EQ(dialog.report(), nullptr);
        EXPECT_EQ(dialog.status_text(),
                  platform::instrument_error_text(platform::instrument_error::kCancelled));
        EXPECT_FALSE(dialog.patch_window()->isVisible());
        EXPECT_TRUE(dialog.measure_button()->isEnabled());
    }
    verify_dialog::set_instrument_list([] { return QList<verify_dialog::InstrumentChoice>{}; });
    verify_dialog dialog(&monitor, display);
    EXPECT_FALSE(dialog.instrument_box()->isEnabled());
    EXPECT_FALSE(dialog.start());
    EXPECT_EQ(dialog.status_text(),
              platform::instrument_error_text(platform::instrument_error::kNone));
    EXPECT_FALSE(dialog.running());
}

// Return in a field takes what was typed there: it does not start a run that covers the screen.
TEST_F(VerifyDialogTest, ReturnInAFieldTakesTheValueAndStartsNoMeasurement) {
    verify_dialog dialog(&monitor, display);
    dialog.patch_box()->setCurrentIndex(1);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault()) << qPrintable(button->text());

    QList<QWidget*> fields;
    for (QAbstractSpinBox* spin : dialog.findChildren<QAbstractSpinBox*>())
        if (spin->isEnabled()) fields << spin;
    for (QLineEdit* line : dialog.findChildren<QLineEdit*>())
        if (!qobject_cast<QAbstractSpinBox*>(line->parent())) fields << line;
    for (QWidget* field : fields) {
        auto* number = qobject_cast<QDoubleSpinBox*>(field);
        auto* whole = qobject_cast<QSpinBox*>(field);
        QString typed = QStringLiteral("x");
        if (number)
            typed =
                QString::number(number->minimum() + number->singleStep(), 'f', number->decimals());
        if (whole) typed = QString::number(whole->minimum() + whole->singleStep());
        field->setFocus();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->selectAll();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_FALSE(dialog.running()) << qPrintable(typed);
        EXPECT_FALSE(dialog.patch_window() && dialog.patch_window()->isVisible());
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) {
            EXPECT_TRUE(spin->text().startsWith(typed)) << qPrintable(spin->text());
        } else {
            EXPECT_EQ(qobject_cast<QLineEdit*>(field)->text(), typed);
        }
    }
    EXPECT_EQ(fields.size(), 6) << "the patch size, the four limits and the emulated profile";
    dialog.close();
}

}  // namespace
