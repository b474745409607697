#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "core/string_table.h"
#include "simulated_desktop.h"

namespace {

using display_config_testing::kThreeDisplays;
using display_config_testing::SimulatedDesktop;

QStringList item_texts(QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}
QList<int> item_data(QComboBox* list) {
    QList<int> out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemData(i).toInt();
    return out;
}

using DisplayConfigurationLists = SimulatedDesktop;

TEST_F(DisplayConfigurationLists, MonitorsOfOneModelCarryTheirSerialsAndNobodyIsProbed) {
    start(R"({"monitors": [
        {"id": "main", "model": "KX271W", "serial": "71000123", "usb": true},
        {"id": "left", "model": "KX241W", "serial": "41000001"},
        {"id": "right", "model": "KX241W", "serial": "41000002"},
        {"id": "other", "model": "Generic 24", "serial": "24000789"},
        {"id": "gone", "model": "KX302W", "serial": "30000001", "video": "unusable"}
    ]})");
    const int before[] = {exchanges(0), exchanges(1), exchanges(2), exchanges(3)};
    TW_Display_Configuration_Dialog dialog(monitors);
    QComboBox* list = monitor_list(dialog);
    ASSERT_NE(list, nullptr);
    // The video and USB interfaces of one monitor share its model name too.
    EXPECT_EQ(item_texts(list),
              (QStringList{string(16), "KX271W S/N: 71000123", "KX271W (USB) S/N: 71000123",
                           "KX241W S/N: 41000001", "KX241W S/N: 41000002", "Generic 24"}));
    EXPECT_EQ(item_data(list), (QList<int>{-1, 0, 1, 2, 3, 4}))
        << "each item carries its interface index; the unusable interface is left out";
    const int after[] = {exchanges(0), exchanges(1), exchanges(2), exchanges(3)};
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), std::begin(after)))
        << "listing the monitors must not talk DDC/CI to any of them";
}

TEST_F(DisplayConfigurationLists, OneMonitorOfAModelIsListedByItsNameAlone) {
    start(R"({"monitors": [
        {"id": "a", "model": "KX302W", "serial": "30000001", "usb": true, "video": "none"},
        {"id": "b", "model": "KX241W", "serial": "41000001"}
    ]})");
    TW_Display_Configuration_Dialog dialog(monitors);
    EXPECT_EQ(item_texts(monitor_list(dialog)),
              (QStringList{string(16), "KX302W (USB)", "KX241W"}));
}

TEST_F(DisplayConfigurationLists, DisplaysArePicturedAtTheirDesktopPlacesWithTheirMonitors) {
    start(kThreeDisplays);
    ASSERT_EQ(mapping()[0], 1) << "detection prefers the USB link";
    TW_Display_Configuration_Dialog dialog(monitors);
    EXPECT_EQ(item_texts(display_list(dialog)),
              (QStringList{"Display 1", "Display 2", "Display 3"}));
    EXPECT_EQ(display_list(dialog)->currentIndex(), 0);
    EXPECT_EQ(monitor_list(dialog)->currentData().toInt(), 1);
    EXPECT_TRUE(test_button(dialog)->isEnabled());

    TW_display_configuration_widget* layout = picture(dialog);
    ASSERT_NE(layout, nullptr);
    const auto& items = layout->items();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(QRect(QPoint(items[2].left, items[2].top), QPoint(items[2].right, items[2].bottom)),
              QRect(4480, 240, 1920, 1200));
    EXPECT_EQ(layout->bounding_rectangle(), QRect(0, 0, 6400, 1440));
    EXPECT_EQ(items[0].title, "Display 1");
    EXPECT_EQ(items[0].detail, "KX271W\n S/N 71000123");
    EXPECT_EQ(items[2].detail, "KX241W\n S/N 41000002");
    EXPECT_TRUE(items[0].selected);
    EXPECT_FALSE(items[1].selected);
    // 6400 / 12 = 533.3 and 1440 / 12 = 120.
    EXPECT_EQ(layout->minimumSize(), QSize(533, 120));

    QLabel* is = dialog.findChild<QLabel*>("display_configuration_monitor_for_display_label");
    ASSERT_NE(is, nullptr);
    EXPECT_EQ(is->buddy(), monitor_list(dialog));
    EXPECT_EQ(dialog.windowTitle(), "Display Configuration");
}

using DisplayConfigurationMapping = SimulatedDesktop;

TEST_F(DisplayConfigurationMapping, NoneUnmapsTheDisplayAndAMonitorMapsItAtOnce) {
    start(kThreeDisplays);
    TW_Display_Configuration_Dialog dialog(monitors);
    QComboBox* list = monitor_list(dialog);

    list->setCurrentIndex(0);
    EXPECT_EQ(monitors.mapping(0), -1);
    EXPECT_FALSE(test_button(dialog)->isEnabled());
    EXPECT_TRUE(picture(dialog)->items()[0].detail.isEmpty());

    list->setCurrentIndex(item_of(dialog, 3));
    EXPECT_EQ(monitors.mapping(0), 3);
    EXPECT_TRUE(test_button(dialog)->isEnabled());
    EXPECT_EQ(picture(dialog)->items()[0].detail, "KX241W\n S/N 41000002");
    EXPECT_EQ(monitors.mapping(2), 3) << "another display may name the same monitor";

    // Choosing a display shows its monitor without changing any mapping.
    display_list(dialog)->setCurrentIndex(1);
    EXPECT_EQ(list->currentData().toInt(), 2);
    EXPECT_EQ(mapping(), (std::array<int, 10>{3, 2, 3, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_TRUE(picture(dialog)->items()[1].selected);
    EXPECT_FALSE(picture(dialog)->items()[0].selected);

    list->setCurrentIndex(0);
    display_list(dialog)->setCurrentIndex(0);
    EXPECT_TRUE(test_button(dialog)->isEnabled()) << "display 1 is still mapped";
    display_list(dialog)->setCurrentIndex(1);
    EXPECT_FALSE(test_button(dialog)->isEnabled());
    EXPECT_EQ(list->currentIndex(), 0) << "an unmapped display shows None";
}

TEST_F(DisplayConfigurationMapping, CancelPutsBackEveryEntryAndOkKeepsTheChoices) {
    start(kThreeDisplays);
    monitors.set_mapping(7, 2);  // an entry no display shows, kept for a display to come
    const auto opened = mapping();
    {
        TW_Display_Configuration_Dialog dialog(monitors);
        monitor_list(dialog)->setCurrentIndex(0);
        display_list(dialog)->setCurrentIndex(1);
        monitor_list(dialog)->setCurrentIndex(item_of(dialog, 0));
        display_list(dialog)->setCurrentIndex(2);
        monitor_list(dialog)->setCurrentIndex(item_of(dialog, 2));
        QTest::mouseClick(auto_button(dialog), Qt::LeftButton);  // clears entry 7 as well
        monitor_list(dialog)->setCurrentIndex(0);
        ASSERT_NE(mapping(), opened);
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(mapping(), opened);
        EXPECT_EQ(dialog.saved_mapping(), opened);
    }
    // Escape (or the close button) cancels too.
    {
        TW_Display_Configuration_Dialog dialog(monitors);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        monitor_list(dialog)->setCurrentIndex(0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(mapping(), opened);
    }
    {
        TW_Display_Configuration_Dialog dialog(monitors);
        monitor_list(dialog)->setCurrentIndex(item_of(dialog, 0));
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(monitors.mapping(0), 0);
    EXPECT_EQ(monitors.mapping(7), 2);
}

TEST_F(DisplayConfigurationMapping, RunModallyCancelReturnsRejected) {
    start(kThreeDisplays);
    const auto opened = mapping();
    TW_Display_Configuration_Dialog dialog(monitors);
    QTimer::singleShot(0, &dialog, [&] {
        monitor_list(dialog)->setCurrentIndex(0);
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(mapping(), opened);
}

TEST_F(DisplayConfigurationMapping, AutoConfigureFindsTheMonitorsAndSelectsTheFirstDisplay) {
    start(kThreeDisplays);
    monitors.clear_mapping();
    monitors.attach_interfaces();
    TW_Display_Configuration_Dialog dialog(monitors);
    display_list(dialog)->setCurrentIndex(2);
    EXPECT_FALSE(test_button(dialog)->isEnabled());
    EXPECT_TRUE(picture(dialog)->items()[1].detail.isEmpty());

    QTest::mouseClick(auto_button(dialog), Qt::LeftButton);
    EXPECT_EQ(mapping(), (std::array<int, 10>{1, 2, 3, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(display_list(dialog)->currentIndex(), 0);
    EXPECT_EQ(display_list(dialog)->count(), 3);
    EXPECT_EQ(monitor_list(dialog)->currentData().toInt(), 1);
    EXPECT_TRUE(test_button(dialog)->isEnabled());
    EXPECT_EQ(picture(dialog)->items()[1].detail, "KX241W\n S/N 41000001");
    EXPECT_EQ(monitors.display(2).index, 3) << "the records follow the new mapping";

    // Cancel: the records describe the mapping put back, not the automatic one.
    dialog.reject();
    EXPECT_EQ(monitors.mapping(0), -1);
    EXPECT_EQ(monitors.display(2).index, -1);
}

TEST_F(DisplayConfigurationMapping, ClickingTheLayoutSelectsThatDisplay) {
    start(kThreeDisplays);
    TW_Display_Configuration_Dialog dialog(monitors);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    TW_display_configuration_widget* layout = picture(dialog);
    QTest::mouseClick(layout, Qt::LeftButton, {}, layout->drawn_rectangle(2).center());
    EXPECT_EQ(display_list(dialog)->currentIndex(), 2);
    EXPECT_EQ(monitor_list(dialog)->currentData().toInt(), 3);
    EXPECT_TRUE(layout->items()[2].selected);

    // Between displays 1 and 2 (neither selected now) nothing is hit.
    const QPoint gap(layout->scaled_rectangle(1).left(), layout->drawn_rectangle(1).center().y());
    QTest::mouseClick(layout, Qt::LeftButton, {}, gap);
    EXPECT_EQ(display_list(dialog)->currentIndex(), 2);
    QTest::mouseClick(layout, Qt::RightButton, {}, layout->drawn_rectangle(0).center());
    EXPECT_EQ(display_list(dialog)->currentIndex(), 2) << "only the left button selects";
    dialog.close();
}

}  // namespace
