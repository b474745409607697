#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class panel_statusClass;
}

// The status page: the software's version, what the monitor reports about itself, the display
// profile the system uses for it, how well the link to it has gone, and the re-synchronisation
// of the stored colour settings.
class panel_status : public QWidget {
    Q_OBJECT

  public:
    explicit panel_status(QWidget* parent = nullptr);
    ~panel_status() override;

    Ui::panel_statusClass* form() const { return ui.get(); }
    static QString software_version();

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
    void on_synchronize_pushButton_clicked();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void show_link_quality();

    std::unique_ptr<Ui::panel_statusClass> ui;
};
