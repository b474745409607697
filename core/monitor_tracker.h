#pragma once

#include <QDataStream>
#include <QObject>

// The stored per-monitor records, keyed by model name and serial number, kept in the second
// block of "config.dat".
class CMonitorTracker : public QObject {
    Q_OBJECT

  public:
    static constexpr qint32 kMagic = 43962;
    static constexpr qint32 kVersion = 100;

    explicit CMonitorTracker(QObject* parent = nullptr);
    ~CMonitorTracker() override;

    int read(QDataStream& in);
    int write(QDataStream& out);
    int entry_count() const { return count_; }
    bool modified() const { return modified_; }

  Q_SIGNALS:
    void data_changed();

  private:
    int count_ = 0;
    bool modified_ = false;
};
