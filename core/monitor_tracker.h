#pragma once

#include <QDataStream>
#include <QList>
#include <QObject>
#include <QString>

#include "color/adjust_value.h"

// One stored monitor: its adjustment record, identified by model name and serial number.
struct CMonitorEntry {
    CAdjustValue adjust;
    QString modelName;
    QString serialNumber;
};

// The stored per-monitor records, keyed by model name and serial number (both compared
// exactly), kept in the second block of "config.dat".
class CMonitorTracker : public QObject {
    Q_OBJECT

  public:
    static constexpr qint32 kMagic = 43962;
    static constexpr qint32 kVersion = 100;

    explicit CMonitorTracker(QObject* parent = nullptr);
    ~CMonitorTracker() override;

    // 0 or a loader's error code. A record that fails ends the load with its code; the
    // entries before it stay, the failed one is not added.
    int read(QDataStream& in);
    // 0 or a saver's error code; `modified` is cleared only when everything was written.
    int write(QDataStream& out);

    // The index of the entry with this key, or -1.
    int find(const QString& model, const QString& serial) const;
    // Replaces the entry with the same key or appends it; returns its index.
    int store(const CMonitorEntry& entry);
    // Copies the stored record with the key of `entry` into it and returns its index. Without
    // one it copies the default record, keeps the key (so that storing it later files it under
    // this monitor) and returns -1.
    int lookup(CMonitorEntry& entry) const;
    // The same for the monitor with this model name and serial number: `entry` gets the key
    // and the stored or default record.
    int lookup(const QString& model, const QString& serial, CMonitorEntry& entry) const;

    int count() const { return count_; }
    const CMonitorEntry& entry(int i) const { return entries_[i]; }
    const CMonitorEntry& default_entry() const { return default_entry_; }
    bool modified() const { return modified_; }

  Q_SIGNALS:
    void data_changed();

  private:
    void clear();

    CMonitorEntry default_entry_;
    QList<CMonitorEntry> entries_;
    int count_ = 0;
    bool modified_ = false;
};
