#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/parser_invariants.h"

// Any byte sequence as a capability string; parsing twice must give the same record.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CCapabilityRecord record;
    const int result = record.parse(text);
    std::string broken = parser_invariants::capability_violation(record, result);
    CCapabilityRecord again;
    again.parse("vcp(10 12(01))");
    if (broken.empty() && (again.parse(text) != result || again.vcp_codes != record.vcp_codes ||
                           again.value_table != record.value_table || again.type != record.type))
        broken = "a second parse into a used record differs";
    if (!broken.empty()) {
        std::fprintf(stderr, "capability invariant broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
