#include "platform/access_library.h"

#include <atomic>

namespace platform {

int interface_enumeration_mode = 0;

namespace {
std::atomic<CAccessLibrary*> global_library{nullptr};
AccessLibraryFactory& factory_slot() {
    static AccessLibraryFactory factory;
    return factory;
}
}  // namespace

CAccessLibrary::CAccessLibrary() = default;
CAccessLibrary::~CAccessLibrary() = default;

void CAccessLibrary::add_backend(std::unique_ptr<CAccessBackend> backend) {
    std::lock_guard lock(mutex_);
    backends_.push_back(std::move(backend));
}

std::size_t CAccessLibrary::backend_count() const {
    std::lock_guard lock(mutex_);
    return backends_.size();
}

CAccessBackend* CAccessLibrary::backend(std::size_t i) const {
    std::lock_guard lock(mutex_);
    return i < backends_.size() ? backends_[i].get() : nullptr;
}

int CAccessLibrary::EnumerateInterfaces(int /*first*/, int mode) {
    std::lock_guard lock(mutex_);
    slots_.clear();
    for (auto& backend : backends_) {
        backend->rescan(mode);
        const int count = backend->interface_count();
        for (int i = 0; i < count; ++i)
            slots_.push_back({backend.get(), i});
    }
    last_results_.assign(slots_.size(), 0);
    return static_cast<int>(slots_.size());
}

int CAccessLibrary::note(int index, int result) {
    std::lock_guard lock(mutex_);
    if (index >= 0 && index < static_cast<int>(last_results_.size()))
        last_results_[static_cast<std::size_t>(index)] = result < 0 ? result : 0;
    return result;
}

int CAccessLibrary::last_result(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(last_results_.size())) return 0;
    return last_results_[static_cast<std::size_t>(index)];
}

int CAccessLibrary::GetNumDisplayInterfaces() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(slots_.size());
}

bool CAccessLibrary::resolve(int index, Slot& slot) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(slots_.size())) return false;
    slot = slots_[static_cast<std::size_t>(index)];
    return true;
}

int CAccessLibrary::GetDisplayInterfaceInfo(int index, CInterfaceInfo* record) {
    if (!record || record->get_int(info_offset::size) != kInterfaceInfoSize) {
        return kAccessBadArguments;
    }
    Slot slot{};
    if (!resolve(index, slot)) return kAccessBadIndex;
    CInterfaceInfo filled;
    const int result = slot.backend->interface_info(slot.local_index, filled);
    if (result != 0) return result;
    filled.set_int(info_offset::size, kInterfaceInfoSize);
    *record = filled;
    return 0;
}

int CAccessLibrary::I2C_WRITE(int index, int address, const std::uint8_t* data, int length,
                              int /*link_parameter*/) {
    if (length < 0 || (length > 0 && !data)) return kAccessBadArguments;
    Slot slot{};
    if (!resolve(index, slot)) return kAccessBadIndex;
    return note(index, slot.backend->i2c_write(slot.local_index, address & 0xFE, data, length));
}

int CAccessLibrary::I2C_READ(int index, int address, std::uint8_t* buffer, int length,
                             int /*link_parameter*/) {
    if (length < 0 || (length > 0 && !buffer)) return kAccessBadArguments;
    Slot slot{};
    if (!resolve(index, slot)) return kAccessBadIndex;
    return note(index, slot.backend->i2c_read(slot.local_index, address | 1, buffer, length));
}

int CAccessLibrary::begin_transaction(int index) {
    Slot slot{};
    if (!resolve(index, slot)) return kAccessBadIndex;
    return note(index, slot.backend->begin_transaction(slot.local_index));
}

void CAccessLibrary::end_transaction(int index) {
    Slot slot{};
    if (resolve(index, slot)) slot.backend->end_transaction(slot.local_index);
}

CAccessLibrary* access_library() {
    return global_library.load(std::memory_order_acquire);
}

void set_access_library(CAccessLibrary* library) {
    global_library.store(library, std::memory_order_release);
}

AccessLibraryFactory set_access_library_factory(AccessLibraryFactory factory) {
    AccessLibraryFactory previous = std::move(factory_slot());
    factory_slot() = std::move(factory);
    return previous;
}

std::unique_ptr<CAccessLibrary> create_access_library() {
    if (factory_slot()) return factory_slot()();
    return build_configured_access_library();
}

}  // namespace platform
