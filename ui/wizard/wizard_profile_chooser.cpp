#include "ui/wizard/wizard_profile_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidget>

#include "core/error_box.h"

namespace {

constexpr int kPathRole = Qt::UserRole;

QTableWidgetItem* cell(const QString& text, const QString& path) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(QDir::toNativeSeparators(path));
    item->setData(kPathRole, path);
    return item;
}

}  // namespace

wizard_profile_chooser::wizard_profile_chooser(QWidget* parent) : QWidget(parent) {}

void wizard_profile_chooser::attach_table(QTableWidget* table) {
    table_ = table;
    table_->setColumnCount(2);
    table_->setHorizontalHeaderLabels({tr("Profile Description"), tr("Profile Name")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(kDescriptionColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(kNameColumn, QHeaderView::ResizeToContents);
    connect(table_, &QTableWidget::currentItemChanged, this,
            &wizard_profile_chooser::selectChanged);
}

void wizard_profile_chooser::fill_profiles(const QList<ProfileEntry>& profiles) {
    // Filling moves the current row; the page reacts once, to the row it selects afterwards.
    const QSignalBlocker blocker(table_);
    table_->setRowCount(0);
    for (const ProfileEntry& profile : profiles) {
        QString description = profile.description;
        // The listing takes descriptions of the version 2 kind only; version 4 profiles keep
        // theirs in a localised tag, which the header read knows.
        ProfileHeaderInfo info;
        if (description.isEmpty() && profileHeaderUsable(readProfileHeader(profile.path, info)))
            description = info.description;
        append_row(profile.path, description);
    }
}

int wizard_profile_chooser::append_row(const QString& path, const QString& description) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    table_->setItem(row, kDescriptionColumn, cell(description, path));
    table_->setItem(row, kNameColumn, cell(QFileInfo(path).fileName(), path));
    return row;
}

void wizard_profile_chooser::select_row(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        // An empty table still tells the page that nothing is chosen.
        Q_EMIT complete(QString());
        return;
    }
    if (table_->currentRow() == row) {
        selectChanged(table_->item(row, kDescriptionColumn));
    } else {
        table_->setCurrentCell(row, kDescriptionColumn);
    }
}

QString wizard_profile_chooser::selected_path() const {
    const QTableWidgetItem* item = table_->currentItem();
    return item ? item->data(kPathRole).toString() : QString();
}

void wizard_profile_chooser::selectChanged(QTableWidgetItem* item) {
    Q_EMIT complete(item ? item->data(kPathRole).toString() : QString());
}

bool wizard_profile_chooser::add_profile_file(const QString& path) {
    ProfileHeaderInfo info;
    if (!profileHeaderUsable(readProfileHeader(path, info)) || !takes(info)) {
        show_message(this, refusal_text(), QMessageBox::Critical);
        return false;
    }
    select_row(append_row(path, info.description));
    return true;
}

void wizard_profile_chooser::on_add_pushButton_clicked() {
    const QString path = QFileDialog::getOpenFileName(this, open_dialog_title(), QDir::homePath(),
                                                      tr("ICC Profiles (*.icc *.icm)"));
    if (!path.isEmpty()) add_profile_file(path);
}
