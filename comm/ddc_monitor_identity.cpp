// What a monitor says about itself: its EDID, its capability string and the identity both give.

#include <QStringList>
#include <algorithm>
#include <cstring>

#include "comm/ddc_monitor.h"

namespace {

// The parser's result for a string without a vcp( group: the string was read.
constexpr int kNoFeatureList = -1;
constexpr int kFirmwareParts = 4;

}  // namespace

void CDDCMonitor::reset() {
    edid.fill(0);
    capability_text.fill(0);
    capabilities.reset();
    edid_info = CEdidRecord();
    edid_decoded = false;
    usb_link = false;
}

int CDDCMonitor::decode_edid() {
    const int result = edid_info.decode(edid.data());
    edid_decoded = result == 0;
    return result;
}

int CDDCMonitor::read_edid() {
    if (!control) return kNotConnected;
    const int read = control->read_edid(edid.data(), true);
    if (read < 0) {
        // Whatever arrived is not this monitor's EDID.
        edid.fill(0);
        edid_info = CEdidRecord();
        edid_decoded = false;
        return read;
    }
    return decode_edid();
}

bool CDDCMonitor::ensure_edid() {
    if (!edid_decoded) read_edid();
    return edid_decoded;
}

int CDDCMonitor::copy_edid(std::uint8_t* buffer, int length) const {
    if (length > kEdidSize || (length > 0 && !buffer)) return kMissing;
    if (length > 0) std::copy_n(edid.begin(), length, buffer);
    return 0;
}

int CDDCMonitor::set_edid(const std::uint8_t* bytes, int length) {
    if (length > kEdidSize || (length > 0 && !bytes)) return kMissing;
    edid.fill(0);
    if (length > 0) std::copy_n(bytes, length, edid.begin());
    return decode_edid();
}

bool CDDCMonitor::edid_valid() const {
    return edid_decoded;
}

int CDDCMonitor::read_capabilities() {
    capabilities.reset();
    if (!control) return kNotConnected;
    capability_text.fill(0);
    const int read = control->get_capabilities(capability_text.data(), kCapabilitySize);
    if (read < 0) return read;
    return capabilities.parse(capability_text.data());
}

void CDDCMonitor::ensure_capabilities() {
    if (!capabilities.is_parsed()) read_capabilities();
}

int CDDCMonitor::set_capabilities(std::string_view text) {
    const std::size_t length = std::min(text.size(), std::size_t(kCapabilitySize - 1));
    capability_text.fill(0);
    std::copy_n(text.begin(), length, capability_text.begin());
    return capabilities.parse(capability_text.data());
}

int CDDCMonitor::copy_capabilities(char* buffer, int length) const {
    if (!buffer || length <= 0) return 0;
    const int text_length = static_cast<int>(strnlen(capability_text.data(), kCapabilitySize));
    const int copied = std::min(text_length + 1, length);
    std::copy_n(capability_text.begin(), copied, buffer);
    return std::min(text_length, copied);
}

int CDDCMonitor::gamma_table_size(int& size) {
    if (!control) return kNotConnected;
    if (capability_text[0] == '\0') {
        const int read = read_capabilities();
        if (read < 0 && read != kNoFeatureList) return read;
    }
    size = capabilities.size;
    return 0;
}

int CDDCMonitor::image_size_mm(int& width, int& height) const {
    width = edid_info.max_h_cm * 10;
    height = edid_info.max_v_cm * 10;
    return edid_decoded ? 0 : kMissing;
}

int CDDCMonitor::product_id(std::int32_t& id) {
    if (!ensure_edid()) {
        id = 0;
        return kMissing;
    }
    id = static_cast<std::int32_t>(edid_info.product_id);
    return 0;
}

QString CDDCMonitor::serial_number() {
    if (usb_link) return usb_serial;
    if (!ensure_edid()) return QString();
    return QString::fromLatin1(edid_info.serial_text);
}

QString CDDCMonitor::model_name() {
    if (usb_link) return usb_model;
    if (!ensure_edid()) return QString();
    return QString::fromLatin1(edid_info.name_text);
}

void CDDCMonitor::set_serial_number(const QString& serial) {
    usb_serial = serial;
}

void CDDCMonitor::set_model_name(const QString& model) {
    usb_model = model;
}

int CDDCMonitor::edid_primaries(CCIEYxy& red, CCIEYxy& green, CCIEYxy& blue) {
    if (!ensure_edid()) return kMissing;
    red = CCIEYxy(1.0, edid_info.red_x, edid_info.red_y);
    green = CCIEYxy(1.0, edid_info.green_x, edid_info.green_y);
    blue = CCIEYxy(1.0, edid_info.blue_x, edid_info.blue_y);
    return 0;
}

int CDDCMonitor::is_digital_input() const {
    if (!edid_decoded) return kMissing;
    return edid_info.digital_input() ? 1 : 0;
}

int CDDCMonitor::firmware_version_numbers(int& major, int& minor, int& build, int& revision) {
    if (!control) return kNotConnected;
    ensure_capabilities();
    const QStringList parts = QString::fromStdString(capabilities.mpu_ver).split(QLatin1Char('.'));
    std::array<int*, kFirmwareParts> outputs = {&major, &minor, &build, &revision};
    for (int i = 0; i < kFirmwareParts; ++i) {
        // A part that is missing or not a number counts as 0.
        *outputs[static_cast<std::size_t>(i)] =
            i < parts.size() ? parts[i].trimmed().toInt(nullptr, 10) : 0;
    }
    return 0;
}

QString CDDCMonitor::firmware_version() {
    if (!control) return QString();
    if (!capabilities.is_parsed()) {
        const int read = read_capabilities();
        if (read < 0 && read != kNoFeatureList) return QString();
    }
    return QString::fromStdString(capabilities.mpu_ver);
}

int CDDCMonitor::copy_firmware_version(char* buffer, int size) {
    if (!control) return kNotConnected;
    if (!buffer || size <= 0) return kMissing;
    ensure_capabilities();
    const std::string& version = capabilities.mpu_ver;
    const std::size_t copied = std::min(version.size(), std::size_t(size - 1));
    std::copy_n(version.begin(), copied, buffer);
    buffer[copied] = '\0';
    return 0;
}
