#pragma once

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QRadioButton;
namespace Ui {
class color_wizard_name_presetClass;
}

// The five programmable slots a custom mode can be stored in, each with the name the monitor
// shows for it. Only the chosen slot's name can be edited; names take letters, digits and
// blanks, at most 13.
class color_wizard_name_preset : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kSlots = 5;

    explicit color_wizard_name_preset(QWidget* parent = nullptr);
    ~color_wizard_name_preset() override;

    // Slots count from 1; null outside 1..5.
    QRadioButton* radio(int slot) const;
    QLineEdit* name_edit(int slot) const;
    QLabel* name_label(int slot) const;
    // The checked slot, or 0.
    int checked_slot() const;
    // A disabled slot cannot be chosen; when it was, slot 1 is chosen instead.
    void set_slot_enabled(int slot, bool enabled);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void update_edits();

    std::unique_ptr<Ui::color_wizard_name_presetClass> ui;
};
