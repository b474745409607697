#pragma once

#include <QWidget>

// A page of the main window. It reloads its values from the monitor when it is shown.
class panel_vision_emulation : public QWidget {
    Q_OBJECT

  public:
    explicit panel_vision_emulation(QWidget* parent = nullptr);

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
};
