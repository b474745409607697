#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "comm/interface_enumeration.h"
#include "comm/multi_monitor.h"

namespace Ui {
class TW_Display_Configuration_DialogClass;
}

// Lets the user say which monitor (DDC/CI interface) drives which display of the desktop, with
// the desktop layout as a clickable picture, automatic configuration and a test that flashes
// the chosen monitor.
//
// Use (the main window's configuration action):
//     TW_Display_Configuration_Dialog dialog(master_control_instance->monitor_list(), this);
//     if (dialog.exec() == QDialog::Accepted) { /* initialise the displays from the mapping */ }
// The constructor lists the interfaces (without probing them) and remembers the mapping;
// every choice goes into `monitors` at once. Accepted keeps the choices; Cancel, Escape or
// closing the window puts the remembered mapping back. The dialog blocks the user-interface
// thread (wait cursor) while it enumerates, auto-configures or tests.
class TW_Display_Configuration_Dialog : public QDialog {
    Q_OBJECT

  public:
    explicit TW_Display_Configuration_Dialog(CMultiMonitor& monitors, QWidget* parent = nullptr);
    ~TW_Display_Configuration_Dialog() override;

    // The mapping as it was when the dialog opened.
    const std::array<int, CMultiMonitor::kMappingCount>& saved_mapping() const {
        return saved_mapping_;
    }

  public Q_SLOTS:
    void on_display_configuration_Test_Monitor_pushButton_clicked();
    void on_display_configuration_Auto_Configure_pushButton_clicked();
    void onDisplaySelectionChanged(int display);
    void onMonitorSelectionChanged(int item);
    void my_reject();
    // Escape and the window's close button cancel as the Cancel button does.
    void reject() override;

  private:
    void fill_monitor_list();
    void fill_display_list();
    void rebuild_picture();
    // The interface record with this index from the list made when the dialog opened.
    const CInterfaceRecord* record_for(int interface_index) const;

    CMultiMonitor& monitors_;
    std::unique_ptr<Ui::TW_Display_Configuration_DialogClass> ui_;
    CEnumDDCCI_Monitors enumerator_;
    std::vector<CInterfaceRecord> records_;
    std::array<int, CMultiMonitor::kMappingCount> saved_mapping_{};
    bool auto_configured_ = false;
};
