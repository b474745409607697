#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/interface_info.h"

namespace platform {

// The access library's own error codes (never in the range of the protocol's -20 .. -32).
constexpr int kAccessBadIndex = -201;      // no interface with that number since the last rescan
constexpr int kAccessBadArguments = -202;  // null buffer, negative length or wrong record size
constexpr int kAccessNoDevice = -203;      // the device behind the interface is gone
constexpr int kAccessIoError = -204;       // the bus refused or did not answer the transfer
constexpr int kAccessBusy = -205;          // another program holds the bus

// One source of display interfaces: the simulator, or the Linux I2C buses. Interfaces are
// numbered 0 .. interface_count() - 1 within the backend; the count changes only in rescan().
class CAccessBackend {
  public:
    virtual ~CAccessBackend() = default;
    virtual void rescan(int mode) = 0;
    virtual int interface_count() const = 0;
    // Fills the record; returns 0, or a negative code when the interface cannot be described.
    virtual int interface_info(int local_index, CInterfaceInfo& info) = 0;
    // Results as the library's entry points give them: write < 0 = failure, read 0 = success.
    virtual int i2c_write(int local_index, int address, const std::uint8_t* data, int length) = 0;
    virtual int i2c_read(int local_index, int address, std::uint8_t* buffer, int length) = 0;
    // Exclusive use of an interface for one transaction, where the bus is shared with other
    // programs. Returns 0 when the interface may be used.
    virtual int begin_transaction(int /*local_index*/) { return 0; }
    virtual void end_transaction(int /*local_index*/) {}
};

// The access object: the five entry points through which every byte reaches a monitor,
// composed of backends whose interfaces are numbered one after another in the order the
// backends were added.
class CAccessLibrary {
  public:
    CAccessLibrary();
    ~CAccessLibrary();
    CAccessLibrary(const CAccessLibrary&) = delete;
    CAccessLibrary& operator=(const CAccessLibrary&) = delete;

    void add_backend(std::unique_ptr<CAccessBackend> backend);
    std::size_t backend_count() const;
    CAccessBackend* backend(std::size_t i) const;

    int EnumerateInterfaces(int first, int mode);
    int GetNumDisplayInterfaces();
    int GetDisplayInterfaceInfo(int index, CInterfaceInfo* record);
    int I2C_WRITE(int index, int address, const std::uint8_t* data, int length, int link_parameter);
    int I2C_READ(int index, int address, std::uint8_t* buffer, int length, int link_parameter);

    // Transaction bracket for links that share a bus with other programs (not one of the five
    // entry points; the link calls it from its begin_access / end_access hooks).
    int begin_transaction(int index);
    void end_transaction(int index);

    // The result of the last transfer or transaction on interface `index` (0 after a success),
    // so that a caller can tell a monitor that is silent from a bus another program held.
    int last_result(int index) const;

  private:
    int note(int index, int result);
    struct Slot {
        CAccessBackend* backend;
        int local_index;
    };
    bool resolve(int index, Slot& slot) const;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<CAccessBackend>> backends_;
    std::vector<Slot> slots_;
    std::vector<int> last_results_;
};

// The process-wide access object; null while none exists (then no monitor is reached).
CAccessLibrary* access_library();
void set_access_library(CAccessLibrary* library);

// Builds the access object with the backends this machine is configured for. Tests replace
// the builder to control which interfaces exist.
using AccessLibraryFactory = std::function<std::unique_ptr<CAccessLibrary>()>;
std::unique_ptr<CAccessLibrary> create_access_library();
// The default builder: the backends the machine's configuration names (access_setup.cpp).
std::unique_ptr<CAccessLibrary> build_configured_access_library();
AccessLibraryFactory set_access_library_factory(AccessLibraryFactory factory);

// The mode that the interface enumeration passes to EnumerateInterfaces; start-up sets it to 3.
extern int interface_enumeration_mode;

}  // namespace platform
