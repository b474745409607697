#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

class QButtonGroup;
namespace Ui {
class panel_pip_modeClass;
}

// The picture-in-picture and picture-by-picture page. It reloads its values from the monitor
// when it is shown; writes are followed by one save of the monitor's settings once the user
// has stopped for a while.
class panel_pip_mode : public QWidget {
    Q_OBJECT

  public:
    explicit panel_pip_mode(QWidget* parent = nullptr);
    ~panel_pip_mode() override;

    Ui::panel_pip_modeClass* form() const { return ui.get(); }
    QTimer& save_timer() { return save_timer_; }

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
    void onPIPInputSelectionChanged(int value);
    void onPIPPicturePresetSelectionChanged(int index);
    void onPIPModeSelectionChanged(int);
    void onPIPSizeChanged(int);
    void pip_color_vision_emulation_buttonClicked(int);
    void on_pip_h_pos_horizontalSlider_valueChanged(int in_value);
    void on_pip_v_pos_horizontalSlider_valueChanged(int);
    void save_timer_timeout();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Writes one feature with the page's pattern; true on success.
    bool write(int code, int value, bool process_events, bool settle);
    void fill_input();
    void fill_size();
    void fill_picture_modes();
    void read_slider(int code, class QSlider* slider);
    void check_button(QButtonGroup* group, int id);

    std::unique_ptr<Ui::panel_pip_modeClass> ui;
    QButtonGroup* mode_group_;
    QButtonGroup* color_vision_group_;
    QTimer save_timer_;
};
