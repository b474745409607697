#pragma once

#include <QDataStream>
#include <QList>
#include <QObject>
#include <QString>
#include <array>

#include "color/display_info.h"
#include "comm/display_enumeration.h"
#include "comm/interface_enumeration.h"

// All displays of the desktop and the monitors behind them, with the assignment of DDC/CI
// interfaces to displays.
class CMultiMonitor : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMappingCount = 10;

    explicit CMultiMonitor(QObject* parent = nullptr);
    ~CMultiMonitor() override;

    // Rebuilds the display records from the desktop; emits monitorDetectionComplete().
    void build_display_list();
    // Rescans the interfaces (unless the caller just did) and identifies their monitors
    // (probing USB ones when asked).
    int enumerate(bool probe, bool rescan = true);
    // Fills each display record from the interface mapped to it.
    void attach_interfaces();
    // Works the mapping out from scratch: clears it, rescans both lists and matches them.
    void auto_configure();

    // The detection pass, in its order: the scan (display list and interfaces), the full
    // matching on what the scan found when asked for, then the records filled from the
    // monitors.
    int scan_interfaces();
    void match_scanned();
    void initialise_displays() { attach_interfaces(); }

    int display_count() const { return static_cast<int>(displays_.size()); }
    // Record i, or an empty record (index -1) when there is none.
    DisplayInfo display(int i) const;
    // Interfaces the access object knew at the last scan (the count saved with the mapping).
    int interface_count() const { return interface_count_; }
    // Takes the count from the access object as it stands, before any scan of ours.
    void count_interfaces();
    const CEnumDDCCI_Monitors& interfaces() const { return interfaces_; }
    const MyEnumMonitors& desktop() const { return desktop_; }

    int mapping(int display) const;
    // Displays beyond the ten mapping entries cannot be assigned; such calls are ignored.
    void set_mapping(int display, int interface_index);
    void clear_mapping();

    // The monitor configuration block of "config.dat": the interface count when saved and the
    // ten assignments, taken over only when the interface count still matches.
    static constexpr qint32 kConfigMagic = 57003;
    static constexpr qint32 kConfigVersion = 11;
    int read_config(QDataStream& in);
    int write_config(QDataStream& out) const;
    // Whether the last read_config took the stored assignments over; a mapping saved for
    // another number of interfaces is as stale as a missing one.
    bool stored_mapping_taken() const { return stored_mapping_taken_; }

  Q_SIGNALS:
    void detectedMonitor(QString message);
    void monitorDetectionComplete();

  public Q_SLOTS:
    void detectedMonitorIn(QString message);

  private:
    CEnumDDCCI_Monitors interfaces_;
    MyEnumMonitors desktop_;
    QList<DisplayInfo> displays_;
    // The records as the desktop alone describes them, so that attaching again after a
    // mapping change starts from a clean record.
    QList<DisplayInfo> desktop_records_;
    int interface_count_ = 0;
    bool stored_mapping_taken_ = false;
    std::array<int, kMappingCount> mapping_;
};
