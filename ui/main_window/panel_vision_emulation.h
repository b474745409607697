#pragma once

#include <QWidget>
#include <memory>

class QButtonGroup;
namespace Ui {
class panel_vision_emulationClass;
}

// The colour vision emulation page: the monitor shows its picture as a viewer with one of the
// common colour vision deficiencies, or in grey, would see it.
class panel_vision_emulation : public QWidget {
    Q_OBJECT

  public:
    explicit panel_vision_emulation(QWidget* parent = nullptr);
    ~panel_vision_emulation() override;

    Ui::panel_vision_emulationClass* form() const { return ui.get(); }
    QButtonGroup* button_group() const { return group_; }

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
    void color_vision_emulation_buttonClicked(int value);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Writes one choice with its settle wait and save: the result.
    int write_choice(int value);

    std::unique_ptr<Ui::panel_vision_emulationClass> ui;
    QButtonGroup* group_;
    // The choice the user made last, and whether a write is under way: a click that arrives
    // during another's event processing or settle wait is written after it, not inside it.
    int requested_ = 0;
    bool writing_ = false;
};
