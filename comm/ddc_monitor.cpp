#include "comm/ddc_monitor.h"

#include "comm/ddc_errors.h"
#include "comm/monitor_features.h"
#include "comm/monitor_undo.h"
#include "comm/supported_models.h"
#include "platform/sleeper.h"

namespace mf = monitor_feature;

CDDCMonitor::CDDCMonitor(QObject* parent) : QObject(parent) {}

CDDCMonitor::~CDDCMonitor() = default;

int CDDCMonitor::connect_interface(int index) {
    reset();
    control.reset();
    control = std::make_unique<PVX_factory_ddc_control>(index, kLinkParameter, kLinkMode);
    return 0;
}

void CDDCMonitor::set_mode(int new_mode) {
    mode = new_mode;
}

bool CDDCMonitor::is_usb() const {
    return usb_link;
}

void CDDCMonitor::set_usb(bool usb) {
    usb_link = usb;
}

int CDDCMonitor::save_settings() {
    if (!control) return kNotConnected;
    const int result = control->save_settings();
    wait(save_wait);
    return result;
}

int CDDCMonitor::send_command_07() {
    if (!control) return kNotConnected;
    const int result = control->table_command_07();
    wait(command07_wait);
    return result;
}

int CDDCMonitor::send_command_06() {
    if (!control) return kNotConnected;
    const int result = control->table_command_06();
    wait(command06_wait);
    return result;
}

// --- features ---------------------------------------------------------------------------------

// The paged commands serve every page, page 0 included, so that every reply carries the
// monitor's result code.
int CDDCMonitor::get_raw(int code, int& current, int& maximum, int& result_code, int& type) {
    if (!control) return kNotConnected;
    if (code < 0 || code > 0xFFFF) return ddc_error::kCodeRange;
    return control->get_paged(code >> 8, code & 0xFF, current, maximum, result_code, type);
}

int CDDCMonitor::set_raw(int code, int& value, int& maximum, int& result_code, int& type) {
    if (!control) return kNotConnected;
    if (code < 0 || code > 0xFFFF) return ddc_error::kCodeRange;
    if (undo_) undo_->before_feature(*this, code);
    const int result =
        control->set_paged(code >> 8, code & 0xFF, value, maximum, result_code, type);
    if (undo_) undo_->after_feature(*this, code, value, result != 0 ? result : result_code);
    return result;
}

int CDDCMonitor::get_value(int code, int& current) {
    int maximum = 0;
    int read = current;
    const int result = get_value_max(code, read, maximum);
    if (result == 0) current = read;
    return result;
}

int CDDCMonitor::get_value_max(int code, int& current, int& maximum) {
    int read = 0, read_maximum = 0, result_code = 0, type = 0;
    const int result = get_raw(code, read, read_maximum, result_code, type);
    if (result != 0) return result;
    if (result_code != 0) return kUnsupported;
    current = read;
    maximum = read_maximum;
    return 0;
}

int CDDCMonitor::set_value(int code, int& value) {
    int taken = value, maximum = 0, result_code = 0, type = 0;
    const int result = set_raw(code, taken, maximum, result_code, type);
    if (result != 0) return result;
    if (result_code != 0) return kUnsupported;
    value = taken;
    return 0;
}

int CDDCMonitor::set_and_wait(int code, int& value, int wait_ms) {
    const int result = set_value(code, value);
    if (result == 0) wait(wait_ms);
    return result;
}

int CDDCMonitor::get_red_gain(int& current, int& maximum) {
    return get_value_max(mf::red_gain, current, maximum);
}

int CDDCMonitor::get_green_gain(int& current, int& maximum) {
    return get_value_max(mf::green_gain, current, maximum);
}

int CDDCMonitor::get_blue_gain(int& current, int& maximum) {
    return get_value_max(mf::blue_gain, current, maximum);
}

int CDDCMonitor::set_brightness(int& value) {
    return set_value(mf::brightness, value);
}

int CDDCMonitor::set_contrast(int& value) {
    return set_value(mf::contrast, value);
}

int CDDCMonitor::set_red_gain(int& value) {
    return set_and_wait(mf::red_gain, value, gain_wait);
}

int CDDCMonitor::set_green_gain(int& value) {
    return set_and_wait(mf::green_gain, value, gain_wait);
}

int CDDCMonitor::set_blue_gain(int& value) {
    return set_and_wait(mf::blue_gain, value, gain_wait);
}

int CDDCMonitor::set_color_preset(int& value) {
    return set_and_wait(mf::color_preset, value, preset_wait);
}

int CDDCMonitor::get_mode_0268(int& current, int& maximum) {
    return get_value_max(mf::gamma_type, current, maximum);
}

int CDDCMonitor::set_mode_0268(int& value) {
    return set_and_wait(mf::gamma_type, value, mode_0268_wait);
}

int CDDCMonitor::restore_color_defaults() {
    int value = 1;
    return set_and_wait(mf::restore_color, value, restore_wait);
}

// The two features are written as a pair; a pair that failed half-way is reported as failed.
int CDDCMonitor::select_e3_fb(int selector) {
    struct Write {
        int code;
        int value;
    };
    std::array<Write, 2> writes{};
    if (selector == 1)
        writes = {{{mf::select_e3, 0}, {mf::select_fb, 0}}};
    else if (selector == 2)
        writes = {{{mf::select_e3, 0}, {mf::select_fb, 1}}};
    else
        writes = {{{mf::select_fb, 0}, {mf::select_e3, 1}}};
    int result = 0;
    for (Write& w : writes) {
        result = set_value(w.code, w.value);
        if (result != 0) return result;
    }
    return result;
}

int CDDCMonitor::feature_2f8_usable() {
    int current = 0, maximum = 0, result_code = 0, type = 0;
    return get_raw(mf::adjust_2f8, current, maximum, result_code, type) == 0 && result_code == 0
               ? 1
               : 0;
}

int CDDCMonitor::enable_feature_2f8() {
    int value = 1;
    const int result = set_value(mf::adjust_2f8, value);
    if (result != 0) return result;
    return send_command_06();
}

int CDDCMonitor::operating_hours(double& hours) {
    int half_hours = 0;
    const int result = get_value(mf::operating_hours, half_hours);
    if (result == 0) hours = half_hours * 0.5;
    return result;
}

void CDDCMonitor::wait(int milliseconds) {
    platform::sleep_ms(milliseconds);
}

void CDDCMonitor::report_progress(unsigned message, unsigned value) {
    Q_EMIT Broadcast_MessageOut(message, value);
}

int CDDCMonitor::select_0268_one() {
    int value = mf::gamma_type_one;
    const int result = set_mode_0268(value);
    if (result != 0) return result;
    step();
    return 0;
}

int CDDCMonitor::reset_gains() {
    int red = 0, green = 0, blue = 0;
    return reset_gains_to_maximum(red, green, blue);
}

int CDDCMonitor::reset_gains_to_maximum(int& red, int& green, int& blue) {
    struct Gain {
        int (CDDCMonitor::*get)(int&, int&);
        int (CDDCMonitor::*set)(int&);
        int& maximum;
    };
    const std::array<Gain, 3> gains = {
        {{&CDDCMonitor::get_red_gain, &CDDCMonitor::set_red_gain, red},
         {&CDDCMonitor::get_green_gain, &CDDCMonitor::set_green_gain, green},
         {&CDDCMonitor::get_blue_gain, &CDDCMonitor::set_blue_gain, blue}}};
    for (const Gain& g : gains) {
        int current = 0, maximum = 0;
        int result = (this->*g.get)(current, maximum);
        if (result != 0) return result;
        g.maximum = maximum;
        int value = maximum;
        result = (this->*g.set)(value);
        if (result != 0) return result;
    }
    return 0;
}

PVX_factory_ddc_control* CDDCMonitor::command_object() const {
    return control.get();
}

int CDDCMonitor::set_power_led_brightness(int& value) {
    return set_value(mf::power_led, value);
}

int CDDCMonitor::get_power_led_brightness(int& current, int& maximum) {
    return get_value_max(mf::power_led, current, maximum);
}

int CDDCMonitor::set_uniformity_level(int& value) {
    return set_value(mf::uniformity, value);
}

int CDDCMonitor::get_uniformity_level(int& current, int& maximum) {
    return get_value_max(mf::uniformity, current, maximum);
}

int CDDCMonitor::feature_237_usable() {
    int value = 0;
    return get_value(mf::adjust_237, value) == 0 ? 1 : 0;
}

int CDDCMonitor::enable_feature_237() {
    int value = 1;
    return set_value(mf::adjust_237, value);
}

int CDDCMonitor::set_monitor_number(int number) {
    monitor_number = number;
    return 0;
}

int CDDCMonitor::read_lut_points(int* points, int index0, int index1, int index2, int count) {
    if (!control) return kNotConnected;
    return control->read_lut_points(points, index0, index1, index2, count);
}

int CDDCMonitor::write_lut_points(const int* points, int index0, int index1, int index2,
                                  int count) {
    if (!control) return kNotConnected;
    return control->write_lut_points(points, index0, index1, index2, count);
}

int CDDCMonitor::read_slot_name(int slot, char* name) {
    if (!control) return kNotConnected;
    return control->read_slot_name(slot, name);
}

int CDDCMonitor::write_slot_name(int slot, const char* name) {
    if (!control) return kNotConnected;
    if (undo_) undo_->before_slot_name(*this, slot);
    return control->write_slot_name(slot, name);
}

const CCapabilityRecord& CDDCMonitor::capability_record() const {
    return capabilities;
}

bool CDDCMonitor::is_special_model() {
    return model_name().contains(QLatin1String(supported_models::kSpecialModel));
}

bool CDDCMonitor::uses_percent_brightness() {
    return is_special_model();
}

bool CDDCMonitor::has_simulated_dicom() {
    return is_special_model();
}

void CDDCMonitor::set_retries(int retries) {
    if (control) control->retries = retries;
}
