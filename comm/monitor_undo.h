#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <vector>

#include "color/spline.h"

class CDDCMonitor;

// What a dialog changed in a monitor, so that Cancel can put it back: the first value each
// feature had in each picture-mode memory before a write (and, at a memory's first write, the
// whole of its picture mode, which a preset change replaces), the slot names and the 3D and 1D
// tables before they were overwritten. The monitor object calls the hooks while the journal is
// attached (CDDCMonitor::set_undo); reading the old state costs an exchange per first write,
// and a full table read before a table is written.
class CMonitorUndo {
  public:
    // Starts on `monitor`: reads its active memory. 0, or the read's error (nothing then can be
    // put back, and restore() says so).
    int begin(CDDCMonitor& monitor);

    // Hooks, before the write they name. A failed read leaves that item out, and it is named
    // by restore() as not restorable.
    void before_feature(CDDCMonitor& monitor, int code);
    void after_feature(CDDCMonitor& monitor, int code, int value, int result);
    void before_slot_name(CDDCMonitor& monitor, int slot);
    void before_3d_lut(CDDCMonitor& monitor);
    void before_1d_tables(CDDCMonitor& monitor);

    bool changed() const { return !entries_.empty() || !names_.empty() || !luts_.empty(); }
    // Writes everything back: the 3D tables and slot names, then each memory (its preset, its
    // 1D tables, its picture mode, the other features in reverse order), then selects the
    // memory the journal began in and saves. 0 when all went back, else the first error;
    // `failures` names what could not be put back (or read before it changed).
    int restore(CDDCMonitor& monitor, QStringList* failures = nullptr);

  private:
    struct Entry {
        int memory = 0;
        int code = 0;
        int value = 0;
    };
    struct MemoryState {
        // The picture mode's features and values as read at the memory's first write.
        std::vector<std::pair<int, int>> mode;
        bool tables_read = false;
        std::array<CSpline, 3> tables;
    };
    bool recorded(int memory, int code) const;
    MemoryState& memory_state(CDDCMonitor& monitor);
    int write_back(CDDCMonitor& monitor, int code, int value, QStringList& failures);

    bool started_ = false;
    bool busy_ = false;  // the journal's own exchanges are not recorded
    int first_memory_ = 0;
    int memory_ = 0;
    std::vector<Entry> entries_;
    std::vector<int> memory_order_;
    std::map<int, MemoryState> memories_;
    std::map<int, QByteArray> names_;
    std::map<int, std::vector<std::int32_t>> luts_;
    // The adjustment preparation, which the monitor undoes itself when the mode changes.
    std::vector<std::pair<int, int>> preparation_;
    QStringList unreadable_;
};
