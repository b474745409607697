#pragma once

#include <QDataStream>
#include <QList>
#include <QObject>
#include <QString>
#include <array>

#include "color/display_info.h"

// All displays of the desktop and the monitors behind them, with the assignment of DDC/CI
// interfaces to displays.
class CMultiMonitor : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMappingCount = 10;

    explicit CMultiMonitor(QObject* parent = nullptr);
    ~CMultiMonitor() override;

    // The detection pass, in its order: scan the interfaces, optionally work out the mapping
    // from scratch, then fill the display records from the monitors.
    int scan_interfaces();
    void auto_configure();
    void initialise_displays();

    int display_count() const { return static_cast<int>(displays_.size()); }
    // Record i, or an empty record (index -1) when there is none.
    DisplayInfo display(int i) const;
    int interface_count() const { return interface_count_; }

    int mapping(int display) const;
    void set_mapping(int display, int interface_index);
    void clear_mapping();

    // The monitor configuration block of "config.dat": the interface count when saved and the
    // ten assignments, taken over only when the interface count still matches.
    static constexpr qint32 kConfigMagic = 57003;
    static constexpr qint32 kConfigVersion = 11;
    int read_config(QDataStream& in);
    int write_config(QDataStream& out) const;

  Q_SIGNALS:
    void detectedMonitor(QString message);
    void monitorDetectionComplete();

  public Q_SLOTS:
    void detectedMonitorIn(QString message);

  private:
    QList<DisplayInfo> displays_;
    int interface_count_ = 0;
    std::array<int, kMappingCount> mapping_;
};
