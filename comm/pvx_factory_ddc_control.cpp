#include "comm/pvx_factory_ddc_control.h"

PVX_factory_ddc_control::~PVX_factory_ddc_control() = default;

int PVX_factory_ddc_control::get_feature(int code, int& current, int& maximum, int& result_code,
                                         int& type) {
    if (code < 256) return get_vcp(code, current, maximum, result_code, type);
    return get_paged((code >> 8) & 0xFF, code & 0xFF, current, maximum, result_code, type);
}

int PVX_factory_ddc_control::set_feature(int code, int value) {
    if (code > 255) {
        int maximum = 0;
        int result_code = 0;
        int type = 0;
        return set_paged((code >> 8) & 0xFF, code & 0xFF, value, maximum, result_code, type);
    }
    return set_vcp(code, value);
}
