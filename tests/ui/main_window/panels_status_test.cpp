#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "comm/ddc_monitor.h"
#include "panels_fixture.h"
#include "sim/sim_faults.h"
#include "ui/main_window/panel_status.h"
#include "ui_panel_status.h"

namespace {

using StatusPage = panels_testing::PanelTest;

int figure(QLabel* label) {
    bool ok = false;
    const int value = label->text().toInt(&ok);
    EXPECT_TRUE(ok) << qPrintable(label->text());
    return value;
}

TEST_F(StatusPage, ShowsWhatTheMonitorReports) {
    start();
    panel_status page;
    page.show();
    const auto& f = *page.form();
    EXPECT_EQ(f.status_software_version_label->text(), QStringLiteral("1.0.10 (Build 140106)"));
    EXPECT_EQ(f.status_model_name_label->text(), QStringLiteral("KX271W"));
    EXPECT_EQ(f.status_serial_number_label->text(), QStringLiteral("71000123"));
    EXPECT_EQ(f.status_operating_hours_label->text(), QStringLiteral("1234.5"));
    const QString firmware = f.status_firmware_version_label->text();
    EXPECT_NE(firmware, QStringLiteral("-"));
    EXPECT_FALSE(firmware.isEmpty());
    EXPECT_EQ(f.status_display_profile_label->text(), QStringLiteral("-"))
        << "no profile is associated yet";

    select(1);
    page.update_ui();
    EXPECT_EQ(f.status_model_name_label->text(), QStringLiteral("KX241W"));
    EXPECT_EQ(f.status_serial_number_label->text(), QStringLiteral("41000456"));
}

TEST_F(StatusPage, LinkFiguresMoveWhenTheMonitorSendsNullReplies) {
    start();
    panel_status page;
    page.show();
    const auto& f = *page.form();
    ASSERT_TRUE(f.link_quality_groupBox->isEnabled());
    const int exchanges_before = figure(f.link_exchanges_label);
    const int nulls_before = figure(f.link_null_replies_label);
    const int retries_before = figure(f.link_retries_label);
    // The figures are the whole run's, earlier tests included: compare with what was there.
    const int failed_before = figure(f.link_failed_operations_label);
    EXPECT_GT(exchanges_before, 0) << "reading the page talked to the monitor";

    sim_monitor().faults().add({sim::CSimFault::null_replies, -1, -1, 2, 3});
    page.update_ui();
    EXPECT_GT(figure(f.link_exchanges_label), exchanges_before);
    EXPECT_GE(figure(f.link_null_replies_label), nulls_before + 3);
    EXPECT_GT(figure(f.link_retries_label), retries_before);
    EXPECT_EQ(figure(f.link_failed_operations_label), failed_before)
        << "each read got through in the end";
}

TEST_F(StatusPage, LinkFiguresCoverTheWholeRunNotOneMonitorObject) {
    start();
    panel_status page;
    page.show();
    const int checksums_before = figure(page.form()->link_checksum_errors_label);
    sim_monitor().faults().add({sim::CSimFault::bad_checksum, -1, -1, 1, 2});
    page.update_ui();
    const int checksums = figure(page.form()->link_checksum_errors_label);
    EXPECT_EQ(checksums, checksums_before + 2);
    // Selecting the display again makes a new monitor object; the figures stay.
    select(0);
    page.update_ui();
    EXPECT_EQ(figure(page.form()->link_checksum_errors_label), checksums);
}

TEST_F(StatusPage, ResynchronisationBlocksDeviceUpdatesAroundIt) {
    start();
    panel_status page;
    page.show();
    QSignalSpy blocks(&page, &panel_status::block_unblock_usb_update);
    page.form()->synchronize_pushButton->click();
    ASSERT_EQ(blocks.count(), 2);
    EXPECT_TRUE(blocks.at(0).at(0).toBool());
    EXPECT_FALSE(blocks.at(1).at(0).toBool());
}

}  // namespace
