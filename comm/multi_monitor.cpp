#include "comm/multi_monitor.h"

#include "platform/access_library.h"

CMultiMonitor::CMultiMonitor(QObject* parent) : QObject(parent) {
    mapping_.fill(-1);
}

CMultiMonitor::~CMultiMonitor() = default;

int CMultiMonitor::scan_interfaces() {
    platform::CAccessLibrary* library = platform::access_library();
    if (!library) {
        interface_count_ = 0;
        return 0;
    }
    library->EnumerateInterfaces(1, platform::interface_enumeration_mode);
    interface_count_ = library->GetNumDisplayInterfaces();
    return interface_count_;
}

void CMultiMonitor::auto_configure() {
    clear_mapping();
}

void CMultiMonitor::initialise_displays() {
    Q_EMIT monitorDetectionComplete();
}

DisplayInfo CMultiMonitor::display(int i) const {
    if (i < 0 || i >= displays_.size()) return DisplayInfo();
    return displays_[i];
}

int CMultiMonitor::mapping(int display) const {
    if (display < 0 || display >= kMappingCount) return -1;
    return mapping_[static_cast<std::size_t>(display)];
}

void CMultiMonitor::set_mapping(int display, int interface_index) {
    if (display < 0 || display >= kMappingCount) return;
    mapping_[static_cast<std::size_t>(display)] = interface_index;
}

void CMultiMonitor::clear_mapping() {
    mapping_.fill(-1);
}

void CMultiMonitor::detectedMonitorIn(QString message) {
    Q_EMIT detectedMonitor(message);
}

int CMultiMonitor::read_config(QDataStream& in) {
    qint32 magic = 0, version = 0, saved_count = 0;
    in >> magic;
    if (magic != kConfigMagic) return -1502;
    if (in.status() != QDataStream::Ok) return -1503;
    in >> version;
    if (version != kConfigVersion) return -1501;
    in >> saved_count;
    for (int i = 0; i < kMappingCount; ++i) {
        qint32 value = -1;
        in >> value;
        if (in.status() == QDataStream::Ok && saved_count == interface_count_) {
            mapping_[static_cast<std::size_t>(i)] = value;
        }
    }
    return in.status() == QDataStream::Ok ? 0 : -1503;
}

int CMultiMonitor::write_config(QDataStream& out) const {
    out << kConfigMagic;
    if (out.status() != QDataStream::Ok) return -1504;
    out << kConfigVersion << qint32(interface_count_);
    for (int value : mapping_)
        out << qint32(value);
    return out.status() == QDataStream::Ok ? 0 : -1504;
}
