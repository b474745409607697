#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/monitor_change_notes.h"
#include "panels_fixture.h"
#include "sim/sim_faults.h"
#include "ui/main_window/panel_status.h"
#include "ui_panel_status.h"

namespace mf = monitor_feature;

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

TEST_F(StatusPage, ResynchronisationStoresTheMonitorsRecordWithUpdatesBlockedAroundIt) {
    start();
    panel_status page;
    page.show();
    CMonitorTracker& tracker = master->monitor_tracker();
    ASSERT_EQ(tracker.find(QStringLiteral("KX271W"), QStringLiteral("71000123")), -1);
    set_feature(mf::memory_select, 2);
    // orvale-ctl changed the monitor: the fresh record settles that.
    ASSERT_TRUE(monitor_change_notes::note(QStringLiteral("KX271W"), QStringLiteral("71000123")));
    QSignalSpy blocks(&page, &panel_status::block_unblock_usb_update);
    // Stored between the block and the release, not before or after.
    std::vector<bool> stored_at;
    QObject::connect(&page, &panel_status::block_unblock_usb_update, [&] {
        stored_at.push_back(tracker.find(QStringLiteral("KX271W"), QStringLiteral("71000123")) >=
                            0);
    });
    page.form()->synchronize_pushButton->click();
    ASSERT_EQ(blocks.count(), 2);
    EXPECT_TRUE(blocks.at(0).at(0).toBool());
    EXPECT_FALSE(blocks.at(1).at(0).toBool());
    EXPECT_EQ(stored_at, (std::vector<bool>{false, true}));
    const int index = tracker.find(QStringLiteral("KX271W"), QStringLiteral("71000123"));
    ASSERT_GE(index, 0) << "the record read from the monitor is stored";
    const CAdjustValue& record = tracker.entry(index).adjust;
    const CModeSettings* second = record.findModeSettings(2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->preset(), sim_monitor().state().memories[1].values.at(mf::preset));
    EXPECT_FALSE(monitor_change_notes::noted(QStringLiteral("KX271W"), QStringLiteral("71000123")));
}

TEST_F(StatusPage, AFailedResynchronisationStoresNothingAndSaysSo) {
    start();
    panel_status page;
    page.show();
    sim_monitor().faults().add({sim::CSimFault::write_failure, -1, -1, 1, 100000});
    ASSERT_TRUE(monitor_change_notes::note(QStringLiteral("KX271W"), QStringLiteral("71000123")));
    expect_message_box();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++message_boxes;
            box->accept();
        }
    });
    closer.start(20);
    page.form()->synchronize_pushButton->click();
    closer.stop();
    EXPECT_GE(message_boxes, 1);
    EXPECT_EQ(master->monitor_tracker().find(QStringLiteral("KX271W"), QStringLiteral("71000123")),
              -1);
    EXPECT_TRUE(monitor_change_notes::noted(QStringLiteral("KX271W"), QStringLiteral("71000123")));
    monitor_change_notes::clear(QStringLiteral("KX271W"), QStringLiteral("71000123"));
}

}  // namespace
