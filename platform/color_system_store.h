#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace platform {

// The colour system's own record of which installed profiles belong to which device: a small
// JSON file in the user's configuration folder, read when constructed and written by save().
class CColorAssociationStore {
  public:
    CColorAssociationStore();

    static QString file_path();

    // The device's profiles in association order.
    QStringList profiles(const QString& device) const;
    // Appends the profile unless the device already has it.
    void add(const QString& device, const QString& file_name);
    // False when the device did not have the profile.
    bool remove(const QString& device, const QString& file_name);
    void remove_everywhere(const QString& file_name);

    bool save() const;
    // The file was there but could not be read; a copy of it was kept beside it.
    bool damaged() const { return damaged_; }

  private:
    bool damaged_ = false;
    QList<QPair<QString, QStringList>> devices_;
};

}  // namespace platform
