#pragma once

#include <string>

#include "comm/capability_record.h"
#include "comm/edid_record.h"

// What must hold after any input, good or hostile. The fuzz targets abort on a violation; the
// seed replay test reports it. Each returns the broken rule, or nothing.
namespace parser_invariants {

inline std::string capability_violation(const CCapabilityRecord& r, int result) {
    if (result != 0 && result != -1) return "parse returned neither 0 nor -1";
    if (r.is_parsed() != (result == 0 ? 1 : 0)) return "parsed flag disagrees with the result";
    if (r.value_codes.size() != r.value_table.size() ||
        r.cmds_c2_value_codes.size() != r.cmds_c2_value_table.size())
        return "value codes and value table differ in length";
    for (const auto* table : {&r.value_table, &r.cmds_c2_value_table}) {
        for (const auto& list : *table) {
            if (list.size() > CCapabilityRecord::kMaxValues) return "value list over 255 entries";
            for (std::int32_t v : list)
                if (v < 0 || v > 255) return "value outside 0..255";
        }
    }
    for (const std::string* text : {&r.type, &r.mccs_ver, &r.mpu_ver})
        if (text->size() > CCapabilityRecord::kMaxTextLength) return "text over 255 characters";
    if (r.display_type < 0 || r.display_type > 2) return "display type out of range";
    for (std::size_t i = 0; i < r.value_codes.size(); ++i) {
        const std::int32_t code = r.value_codes[i];
        if (!r.has_value_list(code)) return "value code without a value list";
        const auto values = r.values(code);
        if (r.value_count(code) != static_cast<int>(values.size())) return "value count disagrees";
        for (std::int32_t v : values)
            if (!r.allows_value(code, v)) return "listed value not allowed";
    }
    return {};
}

inline std::string edid_violation(const CEdidRecord& r, int result) {
    if (result == -1) {
        if (r.valid() || !r.descriptors.empty() || !r.serial_text.empty() || r.product_id != 0)
            return "a rejected EDID left data in the record";
        return {};
    }
    if (result != 0) return "decode returned neither 0 nor -1";
    if (r.serial_text.size() > CEdidRecord::kMaxTextLength ||
        r.name_text.size() > CEdidRecord::kMaxTextLength)
        return "text over 127 characters";
    if (r.id_text.size() != 7) return "identifier text not seven characters";
    if (r.descriptors.size() < 4 || r.descriptors.size() > 10)
        return "descriptor count out of range";
    for (const CEdidDescriptor& d : r.descriptors) {
        if (d.kind < 0 || d.kind > 7) return "descriptor kind out of range";
        if (d.text.size() > 13) return "descriptor text over 13 characters";
    }
    if (r.preferred_width > r.max_width || r.preferred_height > r.max_height)
        return "preferred size larger than the largest size";
    return {};
}

}  // namespace parser_invariants
