#include "comm/multi_monitor.h"

#include <algorithm>

#include "color/error_codes.h"
#include "comm/edid_record.h"
#include "comm/supported_models.h"
#include "platform/access_library.h"

namespace {

// The image size, the primaries (with Y = 1) and the bytes of a decoded EDID.
void take_edid(DisplayInfo& info, const CEdidRecord& edid,
               const std::array<std::uint8_t, 256>& bytes) {
    info.image_width = edid.max_h_cm * 10;
    info.image_height = edid.max_v_cm * 10;
    info.primaries = {CCIEXYZ(edid.red_x, edid.red_y), CCIEXYZ(edid.green_x, edid.green_y),
                      CCIEXYZ(edid.blue_x, edid.blue_y), CCIEXYZ(edid.white_x, edid.white_y)};
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<std::uint8_t*>(info.edid.data()));
}

}  // namespace

CMultiMonitor::CMultiMonitor(QObject* parent) : QObject(parent) {
    mapping_.fill(-1);
    connect(&interfaces_, &CEnumDDCCI_Monitors::detectedMonitor2, this,
            &CMultiMonitor::detectedMonitorIn);
}

CMultiMonitor::~CMultiMonitor() = default;

void CMultiMonitor::count_interfaces() {
    platform::CAccessLibrary* library = platform::access_library();
    interface_count_ = library ? library->GetNumDisplayInterfaces() : 0;
}

void CMultiMonitor::build_display_list() {
    displays_.clear();
    desktop_.enumerate_displays(true);
    for (int i = 0; i < desktop_.display_count(); ++i) {
        CDisplayEntry entry;
        desktop_.display_entry(i, entry);
        DisplayInfo info;
        info.index = -1;
        info.text1 = entry.monitor_description;
        info.text4 = entry.adapter_device_name;
        info.text5 = entry.monitor_device_id;
        if (entry.desktop_rectangle.isValid()) {
            info.desktop_left = entry.desktop_rectangle.left();
            info.desktop_top = entry.desktop_rectangle.top();
            info.desktop_right = entry.desktop_rectangle.right();
            info.desktop_bottom = entry.desktop_rectangle.bottom();
        }
        CEdidRecord edid;
        if (entry.has_edid() && edid.decode(entry.edid.data()) == 0) {
            info.text2 = QString::fromStdString(edid.serial_text);
            info.text1 = QString::fromStdString(edid.name_text);
            info.monitorId = static_cast<std::int32_t>(edid.product_id);
            take_edid(info, edid, entry.edid);
            info.supported_model =
                supported_models::is_supported_monitor_id(info.monitorId) ? 1 : 0;
        }
        displays_.append(info);
    }
    desktop_records_ = displays_;
    Q_EMIT monitorDetectionComplete();
}

int CMultiMonitor::enumerate(bool probe, bool rescan) {
    const int count = interfaces_.enumerate(probe, rescan);
    count_interfaces();
    return count;
}

int CMultiMonitor::scan_interfaces() {
    build_display_list();
    return enumerate(true);
}

void CMultiMonitor::attach_interfaces() {
    std::vector<CInterfaceRecord> records(static_cast<std::size_t>(interfaces_.interface_count()));
    for (int r = 0; r < interfaces_.interface_count(); ++r)
        interfaces_.interface_record(r, records[static_cast<std::size_t>(r)]);
    for (int d = 0; d < displays_.size(); ++d) {
        // Each pass starts from what the desktop alone says, so that a display whose mapping
        // was changed or removed keeps nothing of the monitor it had before.
        DisplayInfo info = d < desktop_records_.size() ? desktop_records_[d] : displays_[d];
        const int mapped = mapping(d);
        for (const CInterfaceRecord& record : records) {
            if (mapped < 0 || record.index != mapped) continue;
            info.index = record.index;
            info.text2 = record.serial;
            info.monitorId = record.product_id;
            if (info.text1.isEmpty()) info.text1 = record.model_name;
            info.text3 = record.extra;
            info.writeNames = record.is_usb;
            if (record.is_usb) {
                info.ddcCapable = record.communicates;
                info.has_monitor_data = 1;
            } else {
                CEdidRecord edid;
                if (edid.decode(record.edid.data()) == 0) {
                    info.text2 = QString::fromStdString(edid.serial_text);
                    info.monitorId = static_cast<std::int32_t>(edid.product_id);
                    info.text1 = QString::fromStdString(edid.name_text);
                    info.text3 = record.extra;
                    take_edid(info, edid, record.edid);
                    info.ddcCapable = record.communicates;
                    info.has_monitor_data = 1;
                }
            }
            // The record now names the monitor behind the display; whether that model is
            // supported follows it.
            info.supported_model =
                supported_models::is_supported_monitor_id(info.monitorId) ? 1 : 0;
        }
        displays_[d] = info;
    }
}

void CMultiMonitor::auto_configure() {
    clear_mapping();
    scan_interfaces();
    match_scanned();
}

void CMultiMonitor::match_scanned() {
    clear_mapping();
    const int displays = std::min<int>(static_cast<int>(displays_.size()), kMappingCount);
    std::vector<CInterfaceRecord> records(static_cast<std::size_t>(interfaces_.interface_count()));
    for (int r = 0; r < interfaces_.interface_count(); ++r)
        interfaces_.interface_record(r, records[static_cast<std::size_t>(r)]);
    for (int d = 0; d < displays; ++d) {
        DisplayInfo& info = displays_[d];
        for (const CInterfaceRecord& record : records) {
            if (info.text1 == record.model_name && info.text2 == record.serial) {
                mapping_[static_cast<std::size_t>(d)] = record.index;
                info.text3 = record.extra;
            }
        }
    }
    // A monitor reachable over USB as well is controlled over USB.
    for (int d = 0; d < displays; ++d) {
        DisplayInfo& info = displays_[d];
        for (const CInterfaceRecord& record : records) {
            if (record.is_usb && info.text2 == record.serial) {
                mapping_[static_cast<std::size_t>(d)] = record.index;
                info.text3 = record.extra;
            }
        }
    }
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
    stored_mapping_taken_ = false;
    in >> magic;
    if (magic != kConfigMagic) return ui_error::kFileWrongMagic;
    if (in.status() != QDataStream::Ok) return ui_error::kFileReadError;
    in >> version;
    if (version != kConfigVersion) return ui_error::kFileUnsupportedVersion;
    in >> saved_count;
    // All ten are read whatever the count, so that the block after them is found; they are
    // taken over only when the block is complete and was saved for the interfaces known now.
    std::array<qint32, kMappingCount> saved{};
    for (qint32& value : saved)
        in >> value;
    if (in.status() != QDataStream::Ok) return ui_error::kFileReadError;
    if (saved_count == interface_count_) {
        for (std::size_t i = 0; i < saved.size(); ++i)
            mapping_[i] = saved[i];
        stored_mapping_taken_ = true;
    }
    return 0;
}

int CMultiMonitor::write_config(QDataStream& out) const {
    out << kConfigMagic;
    if (out.status() != QDataStream::Ok) return ui_error::kFileWriteError;
    out << kConfigVersion << qint32(interface_count_);
    for (int value : mapping_)
        out << qint32(value);
    return out.status() == QDataStream::Ok ? 0 : ui_error::kFileWriteError;
}
