#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "sim/sim_faults.h"
#include "sim/sim_model.h"
#include "sim/sim_state.h"

namespace sim {

// Results of the I2C entry points beside success (write: the length, read: 0).
constexpr int kSimNoAcknowledge = -1;  // nothing answers at that address
constexpr int kSimNoDevice = -2;       // the link to the monitor is gone
constexpr int kSimBadArguments = -3;

// A feature as a C6/C8 reply reports it.
struct CSimReading {
    std::uint8_t result = 1;  // 0: supported
    std::uint8_t type = 0;    // 0: set parameter, 1: momentary
    int maximum = 0;
    int current = 0;
};

struct CSimCounters {
    int exchanges = 0;         // DDC/CI writes, the numbering fault rules use
    int rejected_frames = 0;   // wrong source, length or checksum: ignored
    int ignored_requests = 0;  // well-framed but unknown, malformed or refused
    int replies = 0;           // reply frames delivered (not counting null messages)
    int null_replies = 0;
    int saves = 0;
    int table_stores = 0;   // C2 07
    int table_applies = 0;  // C2 06
    int edid_reads = 0;
};

// An "OSD change": what a person does with the monitor's own buttons.
struct CSimOsdChange {
    int memory = 0;  // 0: keep the active memory
    int preset = 0;  // 0: keep the memory's preset
    int luminance = -1;
    int black_level = -1;
    std::uint32_t stamp = 0;  // value of the change-table entry
};

// One simulated monitor of the maker's line (or a third-party one), answering I2C transfers
// at 0x6E/0x6F (DDC/CI) and 0xA0/0xA1 (EDID) as the real one does. Not thread-safe.
class CSimMonitor {
  public:
    CSimMonitor(const CSimModel& model, const CSimMonitorSetup& setup);

    // Write: the length on success, a negative code on failure. Read: 0 on success.
    int i2c_write(int address, const std::uint8_t* data, int length);
    int i2c_read(int address, std::uint8_t* buffer, int length);

    const CSimModel& model() const { return *model_; }
    const CSimMonitorSetup& setup() const { return setup_; }
    const QByteArray& serial() const { return setup_.serial; }
    const QByteArray& edid() const { return edid_; }
    // The monitor's name in the state file: model and serial.
    QString key() const;

    const CSimMonitorState& state() const { return state_; }
    CSimMonitorState& state() { return state_; }
    void reset_to_factory();
    QJsonObject to_json() const;
    // Takes a state-file entry over the factory state; false (state unchanged) when refused.
    bool restore(const QJsonObject& object, CSimStateIssues* issues = nullptr);

    // Features as the monitor's own controls see them; writes have every side effect a
    // paged set has (memory swap, preset defaults, resets).
    CSimReading read_feature(int code) const;
    CSimReading write_feature(int code, int value);
    void osd_change(const CSimOsdChange& change);

    bool usb_present() const { return setup_.usb_present; }
    bool usb_plugged() const { return setup_.usb_present && state_.usb_plugged; }
    void set_usb_plugged(bool plugged) { state_.usb_plugged = plugged && setup_.usb_present; }
    bool video_ddcci() const { return state_.video_ddcci; }
    void set_video_ddcci(bool on) { state_.video_ddcci = on; }
    bool link_lost() const { return link_lost_; }
    // A reply (or the "still working" null replies before it) waits to be read: the exchange
    // its request opened is not over.
    bool reply_pending() const { return pending_.present || null_polls_ > 0; }
    void reconnect() { link_lost_ = false; }

    CSimFaultScript& faults() { return faults_; }
    const CSimFaultScript& faults() const { return faults_; }
    const CSimCounters& counters() const { return counters_; }

    // Called when the monitor receives the save command (0C).
    void set_save_handler(std::function<void()> handler) { on_save_ = std::move(handler); }

  private:
    struct Reply {
        bool present = false;
        QByteArray payload;
        int busy_polls = 0;
    };

    Reply process(const QByteArray& payload);
    Reply get_vcp(const QByteArray& p);
    Reply set_vcp(const QByteArray& p);
    Reply capabilities(const QByteArray& p);
    Reply get_paged(const QByteArray& p);
    Reply set_paged(const QByteArray& p);
    Reply memory_command(const QByteArray& p);
    Reply table_command(const QByteArray& p);
    Reply read_words(const QByteArray& p);
    Reply write_words(const QByteArray& p);
    Reply read_lut(const QByteArray& p);
    Reply write_lut(const QByteArray& p);
    Reply read_slot_name(const QByteArray& p);
    Reply write_slot_name(const QByteArray& p);

    // Word address to (channel, first entry, entries covered); false outside the tables.
    bool map_word(int address, int& channel, int& entry, int& span) const;
    int active_lut_slot() const;
    void load_preset(int preset);
    void reset_preparation();
    void add_change_entry(int memory, int preset, std::uint32_t stamp);

    QByteArray next_reply_frame();
    void spoil(QByteArray& frame, CSimFault fault) const;

    const CSimModel* model_;
    CSimMonitorSetup setup_;
    QByteArray edid_;
    CSimMonitorState state_;

    // The exchange in progress (not kept across power cycles).
    int edid_offset_ = 0;
    Reply pending_;
    int null_polls_ = 0;
    std::vector<CSimFault> reply_faults_;
    bool link_lost_ = false;

    CSimFaultScript faults_;
    CSimCounters counters_;
    std::function<void()> on_save_;
};

}  // namespace sim
