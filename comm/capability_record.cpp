#include "comm/capability_record.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

using Codes = std::vector<std::int32_t>;
using ValueTable = std::vector<std::vector<std::int32_t>>;

constexpr std::size_t kNone = std::string_view::npos;

bool is_scan_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int digit_in_base(char c, int base) {
    const int d = hex_digit(c);
    return d >= 0 && d < base ? d : -1;
}

// The content of the group that starts at `begin` (just after its keyword and '('), up to the
// parenthesis that closes it; none when it is never closed.
std::optional<std::string_view> group_content_at(std::string_view text, std::size_t begin) {
    int depth = 0;
    for (std::size_t i = begin; i < text.size(); ++i) {
        if (text[i] == '(') {
            ++depth;
        } else if (text[i] == ')') {
            if (depth == 0) return text.substr(begin, i - begin);
            --depth;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> group_content(std::string_view text, std::string_view keyword) {
    const std::size_t at = text.find(keyword);
    if (at == kNone) return std::nullopt;
    return group_content_at(text, at + keyword.size());
}

// A scanf-style integer conversion ("%X" with base 16, "%i" with base 0): leading white space,
// an optional sign, a 0x prefix (and for base 0 a leading 0 for octal), then digits. The result
// is truncated to 32 bits as the C library does; `end` is where reading stopped.
bool scan_integer(std::string_view s, std::size_t pos, int base, std::int32_t& value,
                  std::size_t& end) {
    std::size_t p = pos;
    while (p < s.size() && is_scan_space(s[p]))
        ++p;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        negative = s[p] == '-';
        ++p;
    }
    bool any = false;
    const bool hex_prefix = p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X');
    if ((base == 16 || base == 0) && hex_prefix) {
        base = 16;
        p += 2;
        any = true;  // "0x" alone reads as 0
    } else if (base == 0) {
        base = (p < s.size() && s[p] == '0') ? 8 : 10;
    }
    std::uint64_t acc = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (int d; p < s.size() && (d = digit_in_base(s[p], base)) >= 0; ++p) {
        any = true;
        const auto b = static_cast<std::uint64_t>(base);
        acc = acc > (kMax - static_cast<std::uint64_t>(d)) / b ? kMax : acc * b + d;
    }
    if (!any) return false;
    if (negative) acc = ~acc + 1;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(acc));
    end = p;
    return true;
}

// Matches `format` against `s` as sscanf does, for formats made of literal characters, white
// space (any run of white space in the input) and %X. Returns the number of values assigned.
int scan_format(std::string_view s, std::string_view format, std::span<std::int32_t* const> out) {
    std::size_t p = 0;
    int assigned = 0;
    for (std::size_t f = 0; f < format.size(); ++f) {
        if (format[f] == '%' && f + 1 < format.size() && format[f + 1] == 'X') {
            if (static_cast<std::size_t>(assigned) >= out.size()) break;
            std::int32_t v = 0;
            if (!scan_integer(s, p, 16, v, p)) break;
            *out[static_cast<std::size_t>(assigned++)] = v;
            ++f;
        } else if (is_scan_space(format[f])) {
            while (p < s.size() && is_scan_space(s[p]))
                ++p;
        } else {
            if (p >= s.size() || s[p] != format[f]) break;
            ++p;
        }
    }
    return assigned;
}

// "%2X" as the code lists read it: one or two hexadecimal digits; returns how many were read.
// Unlike the C library no sign is taken, so a code or value never comes out negative.
int scan_code(std::string_view s, std::size_t pos, std::int32_t& value) {
    int v = 0;
    int digits = 0;
    for (int d; digits < 2 && pos < s.size() && (d = hex_digit(s[pos])) >= 0; ++pos, ++digits)
        v = v * 16 + d;
    if (digits > 0) value = v;
    return digits;
}

// Full codes wrap in 32 bits like the monitor's own arithmetic, whatever page a string names.
std::int32_t full_code(std::uint32_t base, std::int32_t page, std::int32_t code) {
    return static_cast<std::int32_t>(base + static_cast<std::uint32_t>(page) * 256u +
                                     static_cast<std::uint32_t>(code));
}

// A "page<n>(" prefix at `start`: reads n into `page` and returns where the scan resumes. The
// prefix is six characters for the one-digit pages monitors send; a longer number is skipped
// together with its '(' so that its digits are not taken for codes.
std::size_t read_page_prefix(std::string_view s, std::size_t start, std::int32_t& page) {
    std::int32_t n = 0;
    std::size_t end = 0;
    if (scan_integer(s, start + 4, 0, n, end)) {
        page = n;
        if (end < s.size() && s[end] == '(') return std::max(end + 1, start + 6);
    }
    return start + 6;
}

// Scans one code list, adding `base` to every code: codes, page prefixes and value lists.
void parse_code_list(std::string_view s, std::uint32_t base, Codes& codes, Codes& value_codes,
                     ValueTable& table) {
    std::int32_t page = 0;
    std::int32_t last_code = -1;
    bool in_values = false;
    // Lists nested inside a value list belong to the value before them and are skipped; only
    // the outer ')' closes the value list.
    int nested = 0;
    std::size_t list = kNone;  // index in `table` of the open value list
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (is_scan_space(c)) {
            // All white space separates like a space: a conversion that skipped a tab or line
            // break itself would still advance only two characters and read the code twice.
            ++i;
        } else if (nested > 0) {
            if (c == '(') ++nested;
            if (c == ')') --nested;
            ++i;
        } else if (s.compare(i, 4, "page") == 0) {
            i = read_page_prefix(s, i, page);
        } else if (c == '(' && in_values) {
            nested = 1;
            ++i;
        } else if (c == '(') {
            in_values = true;
            list = kNone;  // values before any code have no owner and are dropped
            if (last_code >= 0) {
                value_codes.push_back(full_code(base, page, last_code));
                table.emplace_back();
                list = table.size() - 1;
            }
            ++i;
        } else if (c == ')') {
            // Closes the open value list, or else the open page part, whose page stays in force.
            in_values = false;
            list = kNone;
            ++i;
        } else if (std::int32_t n = 0; const int digits = scan_code(s, i, n)) {
            if (!in_values) {
                codes.push_back(full_code(base, page, n));
                last_code = n;
            } else if (list != kNone && table[list].size() < CCapabilityRecord::kMaxValues) {
                table[list].push_back(n);
            }
            // Past the digits read: a one-digit value such as "14(5 6 8)" must not swallow the
            // parenthesis after it, which would leave the list open for every later code.
            i += static_cast<std::size_t>(digits);
        } else {
            ++i;
        }
    }
}

std::string cut_text(std::string_view content) {
    return std::string(content.substr(0, CCapabilityRecord::kMaxTextLength));
}

std::int32_t type_of_display(std::string_view type) {
    if (type == "LCD" || type == "lcd") return CCapabilityRecord::kDisplayLcd;
    if (type == "CRT" || type == "CRT_AG" || type == "crt" || type == "crt_ag")
        return CCapabilityRecord::kDisplayCrt;
    return CCapabilityRecord::kDisplayNone;
}

std::int32_t read_hex(std::string_view content) {
    std::int32_t v = 0;
    std::int32_t* const out[] = {&v};
    scan_format(content, "%X", out);
    return v;
}

// The keyword "vcp_pXX(" is formed with upper-case hexadecimal digits only.
bool is_upper_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Where each "vcp_pXX(" group first occurs, by page; one pass instead of 256 searches.
std::array<std::size_t, 256> paged_group_starts(std::string_view text) {
    std::array<std::size_t, 256> starts;
    starts.fill(kNone);
    constexpr std::string_view kPrefix = "vcp_p";
    for (std::size_t at = text.find(kPrefix); at != kNone; at = text.find(kPrefix, at + 1)) {
        const std::size_t hi = at + kPrefix.size();
        if (hi + 2 >= text.size() || text[hi + 2] != '(') continue;
        if (!is_upper_hex(text[hi]) || !is_upper_hex(text[hi + 1])) continue;
        const auto page =
            static_cast<std::size_t>(hex_digit(text[hi]) * 16 + hex_digit(text[hi + 1]));
        if (starts[page] == kNone) starts[page] = hi + 3;
    }
    return starts;
}

}  // namespace

int CCapabilityRecord::parse(std::string_view text) {
    reset();
    text = text.substr(0, text.find('\0'));

    if (const auto content = group_content(text, "type(")) {
        type = cut_text(*content);
        display_type = type_of_display(*content);
    }
    const auto vcp = group_content(text, "vcp(");
    if (vcp) parse_code_list(*vcp, 0, vcp_codes, value_codes, value_table);

    const auto starts = paged_group_starts(text);
    for (std::size_t page = 0; page < starts.size(); ++page) {
        if (starts[page] == kNone) continue;
        if (const auto content = group_content_at(text, starts[page])) {
            parse_code_list(*content, static_cast<std::uint32_t>(page) * 256u, vcp_codes,
                            value_codes, value_table);
        }
    }
    if (const auto content = group_content(text, "mccs_ver(")) mccs_ver = cut_text(*content);
    if (const auto content = group_content(text, "mpu_ver(")) mpu_ver = cut_text(*content);
    if (const auto content = group_content(text, "c_tmp_ofst(")) c_tmp_ofst = read_hex(*content);
    if (const auto content = group_content(text, "cmds_c2(")) {
        parse_code_list(*content, 0, cmds_c2_codes, cmds_c2_value_codes, cmds_c2_value_table);
    }
    if (const auto content = group_content(text, "asset_eep(")) {
        // The monitor writes the EEPROM size in decimal; the field is read as hexadecimal.
        asset_eep = read_hex(*content);
        if (asset_eep == 0x64)
            asset_eep = 0x40;
        else if (asset_eep == 0x32)
            asset_eep = 0x20;
    }
    if (const auto content = group_content(text, "gamma_table(")) {
        has_gamma_table = 1;
        std::int32_t* const out[] = {&size, &r_ofs, &g_ofs, &b_ofs};
        scan_format(*content, "size(%X) r_ofs(%X) g_ofs(%X) b_ofs(%X)", out);
    }
    parsed = vcp ? 1 : 0;
    return vcp ? 0 : -1;
}

void CCapabilityRecord::reset() {
    *this = CCapabilityRecord{};
}

int CCapabilityRecord::value_index(std::int32_t code) const {
    const auto it = std::find(value_codes.begin(), value_codes.end(), code);
    return it == value_codes.end() ? -1 : static_cast<int>(it - value_codes.begin());
}

bool CCapabilityRecord::has_value_list(std::int32_t code) const {
    return value_index(code) >= 0;
}

int CCapabilityRecord::value_count(std::int32_t code) const {
    return static_cast<int>(values(code).size());
}

std::span<const std::int32_t> CCapabilityRecord::values(std::int32_t code) const {
    const int i = value_index(code);
    if (i < 0) return {};
    return value_table[static_cast<std::size_t>(i)];
}

bool CCapabilityRecord::allows_value(std::int32_t code, std::int32_t value) const {
    const auto list = values(code);
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool CCapabilityRecord::lists_code(std::int32_t code) const {
    return std::find(vcp_codes.begin(), vcp_codes.end(), code) != vcp_codes.end();
}
