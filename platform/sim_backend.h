#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/access_library.h"
#include "platform/sim_exchange_lock.h"
#include "sim/sim_config.h"
#include "sim/sim_monitor.h"
#include "sim/sim_store.h"

namespace platform {

// The simulated monitors as access-library interfaces: in configuration order, each monitor's
// video interface (unless its configuration has none) followed by its USB interface while
// that link is plugged. Both interfaces reach the same simulated monitor.
//
// State: loaded from the simulator's state file at construction. Several processes may
// simulate the same monitors (the program, orvale-ctl, the orvale-sim tool), so the file is
// the monitors' one state: each request is handled under the file's lock, with the changes
// other processes made taken before it, and whatever it changed written to the file before
// the lock is let go. No process keeps changes of its own the others cannot see, so none is
// lost.
class CSimBackend : public CAccessBackend {
  public:
    explicit CSimBackend(sim::CSimConfig config);
    ~CSimBackend() override;
    CSimBackend(const CSimBackend&) = delete;
    CSimBackend& operator=(const CSimBackend&) = delete;

    void rescan(int mode) override;
    int interface_count() const override;
    int interface_info(int local_index, CInterfaceInfo& info) override;
    int i2c_write(int local_index, int address, const std::uint8_t* data, int length) override;
    int i2c_read(int local_index, int address, std::uint8_t* buffer, int length) override;
    // Holds the interface's monitor for one exchange against other threads and processes.
    int begin_transaction(int local_index) override;
    void end_transaction(int local_index) override;

    const sim::CSimConfig& config() const { return config_; }
    std::size_t monitor_count() const { return monitors_.size(); }
    // Direct access for tests and the simulated platform services; not while transfers run
    // on another thread.
    sim::CSimMonitor* monitor(std::size_t i) const;
    // Writes every monitor's state to the state file now.
    bool persist();

  private:
    struct Interface {
        std::size_t monitor;
        bool usb;
    };
    void take_external_changes();
    bool save_locked();
    // Resolves an interface for a transfer: 0, or the access library's error.
    int reachable(int local_index, sim::CSimMonitor*& monitor);
    bool ddcci_switched_off(int local_index, int address) const;
    void report(const QString& text);
    // Open exchanges, by monitor key: who wrote the request whose reply is still unread. Kept
    // beside the state file (under its lock), so that every process sees the others'.
    std::map<QString, QString> open_exchanges();
    void store_open_exchanges(const std::map<QString, QString>& open);
    // Counts a DDC/CI request of the calling thread that arrives while another thread's or
    // process's exchange on `m` is open.
    void check_overlap(sim::CSimMonitor& m);
    // After the calling thread's request or read: the exchange is open while a reply waits.
    void track_exchange(sim::CSimMonitor& m, bool wrote);

    sim::CSimConfig config_;
    std::vector<std::unique_ptr<sim::CSimMonitor>> monitors_;
    std::vector<sim::CSimMonitor*> monitor_list_;
    sim::CSimStateStore store_;
    std::vector<Interface> interfaces_;
    mutable std::mutex mutex_;
    QString last_report_;
    QString exchange_file_;
    std::map<QString, QString> exchanges_;  // without a state file
    // One per monitor; a monitor is reached by both its interfaces.
    std::vector<std::unique_ptr<CSimExchangeLock>> exchange_locks_;
    // The monitor each thread's open transactions hold, by interface: a rescan between begin
    // and end may number the interfaces anew.
    std::map<std::pair<std::thread::id, int>, std::vector<std::size_t>> held_;
};

// The simulator backend ORVALE_SIM_CONFIG asks for, or null when it is unset or unusable.
std::unique_ptr<CAccessBackend> create_sim_backend_from_environment();

}  // namespace platform
