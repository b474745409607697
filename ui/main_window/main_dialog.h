#pragma once

#include <QDialog>

class QListWidget;
class QLabel;

// The main window: created hidden at start-up, shown when detection has completed, listing
// the displays of the monitor list. Closing it ends the program.
class main_dialog : public QDialog {
    Q_OBJECT

  public:
    explicit main_dialog(QWidget* parent = nullptr);
    ~main_dialog() override;

    QListWidget* display_list() const { return display_list_; }
    // The texts the display selector shows for the monitor list's records.
    static QStringList display_texts();

  public Q_SLOTS:
    void startup_complete();
    void start_check_display_settings();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void store_position();

    QListWidget* display_list_;
    QLabel* status_label_;
};
