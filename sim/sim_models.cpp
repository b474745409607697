#include <algorithm>
#include <deque>
#include <mutex>

#include "sim/sim_model.h"

namespace sim {

bool CSimFeature::allows(int value) const {
    if (value < minimum || value > maximum) return false;
    return values.empty() || std::find(values.begin(), values.end(), value) != values.end();
}

const CSimFeature* CSimModel::feature(int code) const {
    for (const CSimFeature& f : features) {
        if (f.code == code) return &f;
    }
    return nullptr;
}

namespace {

using namespace feature_flag;

CSimFeature global(int code, int minimum, int maximum, int factory, unsigned flags = 0,
                   std::vector<int> values = {}) {
    return {code, minimum, maximum, factory, CSimScope::global, flags, std::move(values)};
}

CSimFeature per_memory(int code, int minimum, int maximum, unsigned flags = 0,
                       std::vector<int> values = {}) {
    return {code, minimum, maximum, 0, CSimScope::memory, flags, std::move(values)};
}

std::vector<int> range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v <= last; ++v)
        values.push_back(v);
    return values;
}

struct Extras {
    bool pip = false;
    bool uniformity = false;
    bool adjust_237 = false;
    bool adjust_2f8 = false;
    bool table_transfer = false;
    std::vector<int> inputs;
    std::vector<int> presets;
    int firmware_level = 0;
};

std::vector<CSimFeature> maker_features(const CSimModel& m, const Extras& x) {
    std::vector<CSimFeature> f = {
        global(code::restore_factory, 0, 1, 0, momentary | slow),
        global(code::restore_color, 0, 1, 0, momentary | slow),
        global(code::brightness, 0, 100, 0),  // a percent view of code::luminance
        global(code::contrast, 0, 100, 50),
        global(code::color_preset, 1, 11, 5, 0, {1, 2, 4, 5, 6, 8, 11}),
        global(code::red_gain, 0, 255, 255),
        global(code::green_gain, 0, 255, 248),
        global(code::blue_gain, 0, 255, 240),
        global(code::input_source, 1, 0x11, x.inputs.front(), 0, x.inputs),
        global(code::firmware_level, 0, 0xFFFF, x.firmware_level, read_only),
        global(code::power_mode, 1, 5, 1, 0, {1, 4, 5}),
        global(code::vcp_version, 0, 0xFFFF, 0x0201, read_only),
        global(code::select_e3, 0, 1, 0),
        global(code::select_fb, 0, 1, 0),
        global(code::operating_hours, 0, 0xFFFF, 0, read_only),
        global(code::adjust_233, 0, 1, 0),
        global(code::adjust_254, 0, 1, 1),
        per_memory(code::gamma_type, 1, 12, slow,
                   {gamma::native, gamma::dicom, gamma::programmable, gamma::value, gamma::srgb,
                    gamma::lstar}),
        global(code::red_drive, 0, 1023, 1023),
        global(code::green_drive, 0, 1023, 1000),
        global(code::blue_drive, 0, 1023, 985),
        per_memory(code::luminance, 0, m.brightness_max),
        global(code::max_luminance, 0, 1000, m.max_luminance, read_only),
        global(code::response_improve, 1, 2, 1, 0, {1, 2}),
        global(code::power_led, 1, 4, 3),
        per_memory(code::gamma_value, 50, 250, slow),
        per_memory(code::memory_select, 1, m.memory_count, slow),
        per_memory(code::preset, 1, x.presets.back(), slow, x.presets),
        per_memory(code::white_x, 0, 1000),
        per_memory(code::white_y, 0, 1000),
        per_memory(code::black_level, 0, m.black_max),
        per_memory(code::red_x, 0, 1000),
        per_memory(code::red_y, 0, 1000),
        per_memory(code::green_x, 0, 1000),
        per_memory(code::green_y, 0, 1000),
        per_memory(code::blue_x, 0, 1000),
        per_memory(code::blue_y, 0, 1000),
        global(code::color_vision, 1, 5, 1, 0, range(1, 5)),
        global(code::metamerism, 1, 2, 1, slow, {1, 2}),
        global(code::adjust_105d, 0, 31, 16),
        global(code::lut_mode, 1, 3, 1, slow, {1, 3}),
        per_memory(code::lut_use, 1, 2, slow, {1, 2}),
        per_memory(code::lut_slot, 0, m.slot_count),
        global(code::uniformity_limit, 0, m.brightness_max, 0, read_only),
        global(code::contrast_limit, 0, m.brightness_max, m.contrast_limit, read_only),
        global(code::black_floor, 0, m.black_max, m.black_floor, read_only),
        global(code::brightness_floor, 0, m.brightness_max, m.brightness_floor, read_only),
        global(code::reset_mode, 0, 1, 0, momentary | slow),
        global(code::reset_gamut, 0, 1, 0, momentary | slow),
    };
    if (x.pip) {
        f.push_back(global(code::pip_size, 1, 3, 2, 0, {1, 2, 3}));
        f.push_back(global(code::pip_h_position, 0, 100, 90));
        f.push_back(global(code::pip_v_position, 0, 100, 85));
        f.push_back(global(code::pbp_state, 1, 2, 1, read_only));
        f.push_back(global(code::pip_mode, 1, 4, 1, slow, range(1, 4)));
        f.push_back(global(code::pip_input, 1, 2, 2, 0, {1, 2}));
        f.push_back(global(code::pip_memory, 1, m.memory_count, 1));
        f.push_back(global(code::pip_color_vision, 1, 5, 1, 0, range(1, 5)));
    }
    if (x.uniformity) f.push_back(global(code::uniformity, 0, 5, 3));
    if (x.adjust_237) f.push_back(global(code::adjust_237, 0, 1, 0));
    if (x.adjust_2f8) f.push_back(global(code::adjust_2f8, 0, 1, 0));
    if (x.table_transfer) f.push_back(global(code::table_transfer, 0, 1, 0));
    std::sort(f.begin(), f.end(), [](const auto& a, const auto& b) { return a.code < b.code; });
    return f;
}

CSimModel maker_model(QString name, std::uint16_t product) {
    CSimModel m;
    m.name = std::move(name);
    m.vendor = "KST";
    m.product_code = product;
    m.maker_commands = true;
    m.memory_count = 5;
    m.slot_count = 5;
    m.table_entries = 256;
    m.table_offsets = {0x000, 0x100, 0x200};
    m.mccs_version = "2.1";
    m.asset_eeprom = 0x40;
    return m;
}

std::vector<CSimModel> build_models() {
    std::vector<CSimModel> models;

    // The line's 24-inch model: no picture-in-picture, no uniformity correction, no eciRGB
    // preset and no change table.
    CSimModel kx241 = maker_model(QStringLiteral("KX241W"), 0x6C10);
    kx241.width_px = 1920;
    kx241.height_px = 1200;
    kx241.width_cm = 52;
    kx241.height_cm = 32;
    kx241.native = {0.680, 0.310, 0.205, 0.700, 0.150, 0.055, 0.310, 0.325};
    kx241.factory_presets = {preset::srgb, preset::adobe_rgb, preset::rec709, preset::full,
                             preset::programmable_first};
    kx241.busy_polls = 1;
    kx241.brightness_max = 350;
    kx241.brightness_floor = 35;
    kx241.max_luminance = 320;
    kx241.black_max = 40;
    kx241.black_floor = 2;
    kx241.contrast_limit = 60;
    kx241.firmware = "1.4.2";
    kx241.factory_matrix = {0.9874, 0.0093, -0.0021, -0.0048, 0.9931,
                            0.0117, 0.0009, -0.0064, 1.0035};
    kx241.features = maker_features(
        kx241, {.inputs = {0x03, 0x0F}, .presets = range(1, 12), .firmware_level = 0x0104});
    models.push_back(kx241);

    CSimModel kx271 = maker_model(QStringLiteral("KX271W"), 0x6C11);
    kx271.width_px = 2560;
    kx271.height_px = 1440;
    kx271.width_cm = 60;
    kx271.height_cm = 34;
    kx271.native = {0.690, 0.305, 0.170, 0.740, 0.150, 0.045, 0.312, 0.328};
    kx271.factory_presets = {preset::srgb, preset::adobe_rgb, preset::rec709, preset::full,
                             preset::programmable_first};
    kx271.change_table = true;
    kx271.busy_polls = 3;
    kx271.brightness_max = 400;
    kx271.brightness_floor = 40;
    kx271.max_luminance = 380;
    kx271.black_max = 50;
    kx271.black_floor = 3;
    kx271.contrast_limit = 80;
    kx271.uniformity_limit = 250;
    kx271.firmware = "2.1.7";
    kx271.factory_matrix = {0.9862, 0.0125, -0.0043, -0.0031, 0.9917,
                            0.0108, 0.0012, -0.0087, 1.0041};
    kx271.features = maker_features(kx271, {.pip = true,
                                            .uniformity = true,
                                            .adjust_237 = true,
                                            .adjust_2f8 = true,
                                            .inputs = {0x03, 0x0F, 0x11},
                                            .presets = range(1, 13),
                                            .firmware_level = 0x0201});
    models.push_back(kx271);

    // The line's medical model: brightness and black level shown in percent, DICOM first.
    CSimModel kx272 = maker_model(QStringLiteral("KX272W"), 0x6C12);
    kx272.width_px = 2560;
    kx272.height_px = 1440;
    kx272.width_cm = 60;
    kx272.height_cm = 34;
    kx272.native = {0.680, 0.310, 0.200, 0.720, 0.150, 0.050, 0.310, 0.330};
    kx272.factory_presets = {preset::dicom, preset::srgb, preset::adobe_rgb, preset::full,
                             preset::programmable_first};
    kx272.change_table = true;
    kx272.busy_polls = 2;
    kx272.brightness_max = 500;
    kx272.brightness_floor = 50;
    kx272.max_luminance = 450;
    kx272.black_max = 50;
    kx272.black_floor = 3;
    kx272.contrast_limit = 90;
    kx272.uniformity_limit = 300;
    kx272.firmware = "2.2.0";
    kx272.factory_matrix = {0.9905, 0.0071, -0.0012, -0.0026, 0.9958,
                            0.0064, 0.0004, -0.0052, 1.0022};
    kx272.features = maker_features(kx272, {.uniformity = true,
                                            .adjust_237 = true,
                                            .inputs = {0x03, 0x0F},
                                            .presets = range(1, 13),
                                            .firmware_level = 0x0202});
    models.push_back(kx272);

    // The 30-inch model keeps 1024-entry tables per channel; 256-entry transfers need
    // code::table_transfer, and its EDID carries a CEA extension block.
    CSimModel kx302 = maker_model(QStringLiteral("KX302W"), 0x6C13);
    kx302.width_px = 2560;
    kx302.height_px = 1600;
    kx302.width_cm = 64;
    kx302.height_cm = 40;
    kx302.native = {0.685, 0.309, 0.180, 0.730, 0.148, 0.048, 0.311, 0.327};
    kx302.factory_presets = {preset::srgb, preset::adobe_rgb, preset::dci, preset::full,
                             preset::programmable_first};
    kx302.table_entries = 1024;
    kx302.table_offsets = {0x000, 0x400, 0x800};
    kx302.change_table = true;
    kx302.cea_extension = true;
    kx302.busy_polls = 2;
    kx302.brightness_max = 350;
    kx302.brightness_floor = 35;
    kx302.max_luminance = 330;
    kx302.black_max = 50;
    kx302.black_floor = 4;
    kx302.contrast_limit = 70;
    kx302.uniformity_limit = 220;
    kx302.firmware = "3.0.1";
    kx302.factory_matrix = {0.9841, 0.0138, -0.0056, -0.0044, 0.9902,
                            0.0131, 0.0017, -0.0095, 1.0058};
    kx302.features = maker_features(kx302, {.pip = true,
                                            .uniformity = true,
                                            .adjust_237 = true,
                                            .adjust_2f8 = true,
                                            .table_transfer = true,
                                            .inputs = {0x03, 0x0F, 0x11},
                                            .presets = range(1, 13),
                                            .firmware_level = 0x0300});
    models.push_back(kx302);

    // A third-party monitor: standard commands only, a plain EDID without serial descriptor.
    CSimModel plain;
    plain.name = QStringLiteral("Generic 24");
    plain.vendor = "QQQ";
    plain.product_code = 0x2401;
    plain.serial_descriptor = false;
    plain.edid_revision = 3;
    plain.width_px = 1920;
    plain.height_px = 1080;
    plain.width_cm = 53;
    plain.height_cm = 30;
    // sRGB with its D65 white, as its EDID's sRGB flag says.
    plain.native = {0.640, 0.330, 0.300, 0.600, 0.150, 0.060, 0.3127, 0.3290};
    plain.mccs_version = "2.2";
    plain.features = {
        global(code::restore_factory, 0, 1, 0, momentary),
        global(code::restore_color, 0, 1, 0, momentary),
        global(code::brightness, 0, 100, 75),
        global(code::contrast, 0, 100, 70),
        global(code::color_preset, 1, 11, 5, 0, {5, 6, 8, 11}),
        global(code::red_gain, 0, 100, 50),
        global(code::green_gain, 0, 100, 50),
        global(code::blue_gain, 0, 100, 50),
        global(code::input_source, 1, 0x11, 0x11, 0, {0x01, 0x03, 0x11}),
        global(code::power_mode, 1, 5, 1, 0, {1, 4, 5}),
        global(code::vcp_version, 0, 0xFFFF, 0x0202, read_only),
    };
    models.push_back(plain);

    for (CSimModel& m : models)
        m.capabilities = build_capabilities(m);
    return models;
}

}  // namespace

const std::vector<CSimModel>& sim_models() {
    static const std::vector<CSimModel> models = build_models();
    return models;
}

const CSimModel* find_sim_model(const QString& name) {
    for (const CSimModel& m : sim_models()) {
        if (m.name.compare(name, Qt::CaseInsensitive) == 0) return &m;
    }
    return nullptr;
}

const CSimModel* sim_model_with_memories(const CSimModel& model, int memories) {
    if (memories == model.memory_count) return &model;
    if (memories < 1 || memories > model.memory_count) return nullptr;
    static std::mutex mutex;
    static std::deque<CSimModel> variants;  // a deque keeps the addresses monitors hold
    std::lock_guard lock(mutex);
    for (const CSimModel& v : variants) {
        if (v.name == model.name && v.memory_count == memories) return &v;
    }
    CSimModel v = model;
    v.memory_count = memories;
    for (CSimFeature& f : v.features) {
        if (f.code == code::memory_select || f.code == code::pip_memory) f.maximum = memories;
    }
    v.capabilities = build_capabilities(v);
    variants.push_back(std::move(v));
    return &variants.back();
}

}  // namespace sim
