// The monitor's tables: the three 1D tone tables and the 3D LUT of a named slot.

#include <algorithm>
#include <cmath>

#include "comm/ddc_errors.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_undo.h"

namespace mf = monitor_feature;

namespace {

constexpr double kWordScale = 65535.0;
constexpr int kLargestWord = 0xFFFF;
// Index bytes of the 3D LUT commands.
constexpr int kMaxLutNodes = 256;

std::array<int, 3> table_offsets(const CCapabilityRecord& c) {
    return {c.r_ofs, c.g_ofs, c.b_ofs};
}

bool lut_fits(std::size_t available, int n) {
    if (n <= 0 || n > kMaxLutNodes) return false;
    const std::size_t nodes = std::size_t(n) * std::size_t(n) * std::size_t(n);
    return available >= 3 * nodes;
}

}  // namespace

int CDDCMonitor::write_gamma_table(std::span<const std::int32_t> table) {
    if (!control) return kNotConnected;
    ensure_capabilities();
    if (undo_) undo_->before_1d_tables(*this);

    int current = 0, maximum = 0;
    if (get_mode_0268(current, maximum) != 0 || current != mf::gamma_type_programmable) {
        int value = mf::gamma_type_programmable;
        if (const int result = set_mode_0268(value); result != 0) return result;
    }

    // The DDC lines of these inputs lose longer messages; the USB link does not.
    int block = kWideBlock;
    int input = 0;
    if (!usb_link && get_value(mf::input_source, input) == 0 &&
        (input == mf::input_displayport || input == mf::input_0x10)) {
        block = kNarrowBlock;
    }
    report_progress(kProgressTotal, static_cast<unsigned>(kTableSize / block + 3));
    step();

    if (capabilities.size != kTableSize) {
        int value = 1;
        if (const int result = set_value(mf::table_transfer, value); result != 0) return result;
    }
    if (const int result = upload_gamma_table(table, block); result != 0) return result;
    if (const int result = send_command_07(); result != 0) return result;
    step();
    if (const int result = send_command_06(); result != 0) return result;
    step();
    return 0;
}

int CDDCMonitor::upload_gamma_table(std::span<const std::int32_t> table, int block) {
    if (!control) return kNotConnected;
    ensure_capabilities();
    if (capabilities.g_ofs == 0) return kMissing;
    if (block <= 0) return ddc_error::kLength;
    wait(monitor_timing::kUploadStartWaitMs);
    const int n = static_cast<int>(table.size() / 3);
    const std::array<int, 3> offsets = table_offsets(capabilities);
    for (int channel = 0; channel < 3; ++channel) {
        const std::int32_t* values = table.data() + std::size_t(channel) * std::size_t(n);
        for (int e = 0; e < n; e += block) {
            const int count = std::min(block, n - e);
            const int result = control->write_words_verified(
                values + e, offsets[static_cast<std::size_t>(channel)] + e, count);
            if (result != 0) return result;
            step();
        }
    }
    return 0;
}

int CDDCMonitor::write_gamma_from_curves(const CSpline& red, const CSpline& green,
                                         const CSpline& blue) {
    std::array<std::int32_t, kTableSize> table{};
    const std::array<const CSpline*, 3> curves = {&red, &green, &blue};
    for (std::size_t c = 0; c < curves.size(); ++c) {
        for (int i = 0; i < kChannelEntries; ++i) {
            const double x = i / double(kChannelEntries - 1);
            // A curve that leaves [0, 1] must not wrap around in the 16-bit word.
            const double word = std::trunc(curves[c]->evaluate(x) * kWordScale + 0.5);
            table[c * kChannelEntries + std::size_t(i)] =
                static_cast<std::int32_t>(std::clamp(word, 0.0, double(kLargestWord)));
        }
    }
    return write_gamma_table(table);
}

int CDDCMonitor::read_gamma_tables(CSpline& red, CSpline& green, CSpline& blue) {
    if (!control) return kNotConnected;
    report_progress(kProgressTotal, static_cast<unsigned>(kTableSize / kReadBlock));
    ensure_capabilities();
    if (capabilities.g_ofs == 0) return kMissing;
    if (capabilities.size != kTableSize) {
        int value = 1;
        if (const int result = set_value(mf::table_transfer, value); result != 0) return result;
        wait(monitor_timing::kTransferModeWaitMs);
    }
    std::array<std::array<int, kChannelEntries>, 3> words{};
    const std::array<int, 3> offsets = table_offsets(capabilities);
    for (std::size_t c = 0; c < words.size(); ++c) {
        for (int e = 0; e < kChannelEntries; e += kReadBlock) {
            const int result = control->read_words(words[c].data() + e, offsets[c] + e, kReadBlock);
            if (result != 0) return result;
            step();
        }
    }
    const std::array<CSpline*, 3> curves = {&red, &green, &blue};
    for (std::size_t c = 0; c < curves.size(); ++c) {
        CSpline& curve = *curves[c];
        curve.init(CSpline::kCatmullRom, kChannelEntries, 0.0, 1.0);
        for (int i = 0; i < kChannelEntries; ++i) {
            curve.setPointAt(i, i / double(kChannelEntries - 1),
                             words[c][static_cast<std::size_t>(i)] / kWordScale);
        }
        curve.valid = true;
    }
    return 0;
}

int CDDCMonitor::read_lut(std::span<std::int32_t> points, int n) {
    if (!control) return kNotConnected;
    if (!lut_fits(points.size(), n)) return kMissing;
    for (int index2 = 0; index2 < n; ++index2) {
        for (int index1 = 0; index1 < n; ++index1) {
            for (int index0 = 0; index0 < n; index0 += kLutPointsPerMessage) {
                const int count = std::min(kLutPointsPerMessage, n - index0);
                const std::size_t node = (std::size_t(index2) * n + index1) * n + index0;
                const int result =
                    read_lut_points(points.data() + 3 * node, index0, index1, index2, count);
                if (result != 0) return result;
                step();
            }
        }
    }
    return 0;
}

int CDDCMonitor::write_lut(std::span<const std::int32_t> points, int n) {
    if (!control) return kNotConnected;
    if (!lut_fits(points.size(), n)) return kMissing;
    if (undo_) undo_->before_3d_lut(*this);
    report_progress(kProgressTotal, static_cast<unsigned>(n * n));
    for (int index2 = 0; index2 < n; ++index2) {
        for (int index1 = 0; index1 < n; ++index1) {
            for (int index0 = 0; index0 < n; index0 += kLutPointsPerMessage) {
                const int count = std::min(kLutPointsPerMessage, n - index0);
                const std::size_t node = (std::size_t(index2) * n + index1) * n + index0;
                const int result =
                    write_lut_points(points.data() + 3 * node, index0, index1, index2, count);
                if (result != 0) return result;
            }
            step();
        }
    }
    return 0;
}

int CDDCMonitor::write_lut_to_slot(int slot, std::span<const std::int32_t> points) {
    if (slot <= 0) return kMissing;
    if (!control) return kNotConnected;
    if (!lut_fits(points.size(), kLutNodes)) return kMissing;
    int taken = slot;
    if (const int result = set_value(mf::lut_slot, taken); result != 0) return result;
    // A monitor with fewer slots keeps the nearest one: writing on would overwrite the LUT
    // of another slot.
    if (taken != slot) return kMissing;
    wait(monitor_timing::kLutSlotSelectWaitMs);
    return write_lut(points, kLutNodes);
}
