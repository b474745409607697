#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "profiles/profile_header_read.h"
#include "profiles/profile_list.h"

class QTableWidget;
class QTableWidgetItem;

// What the printer and display emulation forms share: a table of installed profiles
// (description and file name, the full path as tool tip), "Add from other location..." for a
// file elsewhere, and the signal that a profile was chosen.
class wizard_profile_chooser : public QWidget {
    Q_OBJECT

  public:
    enum Column { kDescriptionColumn = 0, kNameColumn = 1 };

    // Replaces the rows by these profiles, in their order.
    void fill_profiles(const QList<ProfileEntry>& profiles);
    // Reads the file's header; a profile this form takes is appended and selected, anything
    // else is refused with the form's error message. Whether it was taken.
    bool add_profile_file(const QString& path);
    void select_row(int row);
    QString selected_path() const;
    QTableWidget* profile_table() const { return table_; }

  Q_SIGNALS:
    void complete(QString path);

  public Q_SLOTS:
    void selectChanged(QTableWidgetItem* item);
    void on_add_pushButton_clicked();

  protected:
    explicit wizard_profile_chooser(QWidget* parent);
    // Called by the form once its designer form is set up.
    void attach_table(QTableWidget* table);

    virtual QString open_dialog_title() const = 0;
    // Whether a readable profile is one this form offers.
    virtual bool takes(const ProfileHeaderInfo& info) const = 0;
    virtual QString refusal_text() const = 0;

  private:
    int append_row(const QString& path, const QString& description);

    QTableWidget* table_ = nullptr;
};
