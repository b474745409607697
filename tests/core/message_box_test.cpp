#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include <QApplication>
#include <QTimer>
#include <vector>

#include "core/custom_message_box.h"
#include "core/error_box.h"
#include "core/string_table.h"

namespace {

TEST(ErrorText, CommunicationErrorsNameTheCodeAndSuggestUsbOnlyWithoutIt) {
    for (int code : {-1023, -32, -27, -26, -25, -24, -23, -20, -12, -11, -10}) {
        const ErrorText video = error_text(code, false);
        EXPECT_EQ(video.string_id, 179) << code;
        EXPECT_EQ(video.text, string(179)) << "the USB hint has no place for the code";
        const ErrorText usb = error_text(code, true);
        EXPECT_EQ(usb.string_id, 143) << code;
        EXPECT_TRUE(usb.text.startsWith(QStringLiteral("Error ") + QString::number(code) +
                                        QLatin1Char(':')))
            << usb.text.toStdString();
        EXPECT_EQ(usb.icon, QMessageBox::Critical);
    }
    // Neighbours of the communication ranges are not communication errors.
    for (int code : {-28, -22, -21, -19, -13, -9}) {
        EXPECT_EQ(error_text(code, true).string_id, 100) << code;
    }
}

std::vector<QString>& captured_messages() {
    static std::vector<QString> messages;
    return messages;
}

TEST(ErrorText, FillingTheTextsDrawsNoWarning) {
    captured_messages().clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            captured_messages().push_back(text);
        });
    const QString texts[] = {error_text(-24, false).text, error_text(-24, true).text,
                             error_text(-2, false).text, error_text(-1500, false).text};
    qInstallMessageHandler(previous);
    EXPECT_TRUE(texts[1].contains(QStringLiteral("-24")));
    EXPECT_TRUE(texts[2].contains(QStringLiteral("-2")));
    EXPECT_TRUE(captured_messages().empty()) << captured_messages().front().toStdString();
}

TEST(ErrorText, UnknownCodesShowTheCodeInTheGenericText) {
    const ErrorText error = error_text(-2, false);
    EXPECT_EQ(error.string_id, 100);
    EXPECT_EQ(error.text, QStringLiteral("Unknown Error #-2"));
    EXPECT_EQ(error.icon, QMessageBox::Critical);
}

TEST(ErrorText, ProfileProblemsAreWarningsAndFileProblemsCritical) {
    EXPECT_EQ(error_text(-1017, false).string_id, 131);
    EXPECT_EQ(error_text(-1017, false).icon, QMessageBox::Warning);
    EXPECT_EQ(error_text(-1013, false).icon, QMessageBox::Warning);
    EXPECT_EQ(error_text(-1015, false).string_id, 127);
    EXPECT_EQ(error_text(-1005, false).icon, QMessageBox::Warning);
    EXPECT_EQ(error_text(-1505, false).string_id, 104);
    EXPECT_EQ(error_text(-1500, false).string_id, 101);
    EXPECT_EQ(error_text(-1500, false).icon, QMessageBox::Critical);
    EXPECT_EQ(error_text(-1001, false).text, QStringLiteral("Error: No supported monitor"));
}

TEST(CountdownBox, ShowsTheFullCountAtOnceAndOneSecondAtTheEnd) {
    MyCustomMessageBox box(nullptr, 60, false);
    EXPECT_EQ(box.informativeText(), QStringLiteral("Closes in 60 seconds"));
    EXPECT_EQ(box.counter(), 59);
    for (int i = 0; i < 59; ++i)
        box.on_timeout();
    EXPECT_EQ(box.informativeText(), QStringLiteral("Closes in 1 second"));
    EXPECT_EQ(box.counter(), 0);
    EXPECT_NE(box.result(), QDialog::Accepted);
    box.on_timeout();
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(CountdownBox, WithoutCounterThereIsNoCountdownText) {
    MyCustomMessageBox box(nullptr, 0, false);
    EXPECT_TRUE(box.informativeText().isEmpty());
    EXPECT_EQ(box.counter(), 0);
}

TEST(CountdownBox, ClosesItselfWhenNobodyClicks) {
    MyCustomMessageBox box(nullptr, 2, false);
    box.set_interval(20);
    box.setText(QStringLiteral("text"));
    box.setStandardButtons(QMessageBox::Ok);
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (seen.isEmpty() || seen.back() != box.informativeText()) seen << box.informativeText();
    });
    watch.start(5);
    // A safety net so that a broken countdown fails instead of hanging the test.
    QTimer::singleShot(5000, &box, [&box] { box.reject(); });
    const int result = box.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(seen.contains(QStringLiteral("Closes in 1 second")))
        << seen.join(',').toStdString();
}

}  // namespace
