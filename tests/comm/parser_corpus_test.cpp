#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <vector>

#include "comm/edid_record.h"
#include "fuzz/parser_invariants.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kEdidData = fs::path(ORVALE_SOURCE_DIR) / "tests/data/edid";
const fs::path kFuzzCorpus = fs::path(ORVALE_SOURCE_DIR) / "fuzz/corpus";

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a monitor read gives the decoder: the first two blocks, zero-padded.
Bytes as_read(Bytes bytes) {
    bytes.resize(CEdidRecord::kEdidSize, 0);
    return bytes;
}

std::vector<fs::path> files_in(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The traits in the file name, taken from the bytes when the set was assembled.
std::set<std::string> traits_of(const fs::path& file) {
    std::set<std::string> traits;
    std::istringstream parts(file.stem().string());
    for (std::string part; std::getline(parts, part, '_');)
        traits.insert(part);
    return traits;
}

TEST(EdidCorpus, EveryRealEdidDecodesWithPlausibleFields) {
    const auto files = files_in(kEdidData);
    ASSERT_EQ(files.size(), 48u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto traits = traits_of(file);
        CEdidRecord r;
        ASSERT_EQ(r.decode(as_read(read_file(file)).data()), 0);
        EXPECT_EQ(parser_invariants::edid_violation(r, 0), "");

        for (char letter : r.vendor_letters)
            EXPECT_TRUE(letter >= 'A' && letter <= 'Z');
        EXPECT_EQ(r.id_text.substr(0, 3), std::string(r.vendor_letters.data(), 3));
        EXPECT_EQ(std::stoi(r.id_text.substr(3), nullptr, 16), r.product_code);
        EXPECT_EQ(r.product_id & 0xFFFF, r.product_code);
        EXPECT_EQ(r.version, 1);
        EXPECT_TRUE(traits.count("v1" + std::to_string(r.revision)));
        EXPECT_TRUE(r.year >= 1990 && r.year <= 2030);
        EXPECT_EQ(r.digital_input(), traits.count("digital") == 1);
        EXPECT_EQ(r.week == 0, traits.count("week0") == 1);
        EXPECT_EQ(r.week == 255, traits.count("week255") == 1);
        if (traits.count("gammaff")) {
            EXPECT_DOUBLE_EQ(r.gamma, 3.55);
        } else {
            EXPECT_TRUE(r.gamma >= 1.0 && r.gamma < 3.55);
        }
        for (double c :
             {r.red_x, r.red_y, r.green_x, r.green_y, r.blue_x, r.blue_y, r.white_x, r.white_y})
            EXPECT_TRUE(c > 0.0 && c < 1.0) << c;

        if (traits.count("noserial")) {
            EXPECT_EQ(r.serial_text, std::to_string(r.serial_value));
        }
        if (traits.count("serial13")) {
            EXPECT_EQ(r.serial_text.size(), 13u);
        }
        if (traits.count("serialblank")) {
            EXPECT_EQ(r.serial_text, std::string(13, ' '));
        }
        if (traits.count("name2")) {
            EXPECT_GT(r.name_text.size(), 13u);
        }
        for (char c : r.serial_text + r.name_text)
            EXPECT_NE(c, '\n');

        EXPECT_GE(r.max_width, 640);
        EXPECT_GE(r.max_height, 350);
        // Every panel of the corpus is landscape: a square largest mode means a 16:10 standard
        // timing read as 1:1.
        EXPECT_LT(r.max_height, r.max_width);
        if (r.preferred_timing && r.descriptors[0].kind == kEdidDetailedTiming) {
            EXPECT_EQ(r.preferred_width, r.descriptors[0].timing.h_active);
            EXPECT_GT(r.preferred_width * r.preferred_height, 0);
        }
        if (!traits.count("cta")) {
            EXPECT_EQ(r.descriptors.size(), 4u);
        }
        if (r.has_range_limits) {
            EXPECT_LE(r.range_limits.min_v_hz, r.range_limits.max_v_hz);
            EXPECT_LE(r.range_limits.min_h_khz, r.range_limits.max_h_khz);
        }
    }
}

TEST(EdidCorpus, BrokenDumpsGiveWhatTheAcceptanceRulesSay) {
    // Only the base block and the first extension are checked; a never captured extension
    // reads as zeros, which sum to 0.
    const std::map<std::string, int> expected = {
        {"all_ff_128.bin", -1},
        {"bad_base_checksum.bin", -1},
        {"bad_extension_checksum.bin", -1},
        {"bad_header.bin", -1},
        {"truncated_base_100.bin", -1},
        {"truncated_extension_200.bin", -1},
        {"ext_count_exceeds_data.bin", 0},
        {"real_missing_extension.bin", 0},
    };
    const auto files = files_in(kEdidData / "bad");
    ASSERT_EQ(files.size(), expected.size());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        CEdidRecord r;
        const int result = r.decode(as_read(read_file(file)).data());
        EXPECT_EQ(result, expected.at(file.filename().string()));
        EXPECT_EQ(parser_invariants::edid_violation(r, result), "");
    }
}

TEST(EdidCorpus, ConnectedDisplaysOfThisMachineDecode) {
    int decoded = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/class/drm", error)) {
        const Bytes edid = read_file(entry.path() / "edid");
        if (edid.size() < 128) continue;  // no display on this connector
        SCOPED_TRACE(entry.path().string());
        CEdidRecord r;
        EXPECT_EQ(r.decode(as_read(edid).data()), 0);
        EXPECT_EQ(r.id_text.size(), 7u);
        ++decoded;
    }
    if (decoded == 0) GTEST_SKIP() << "no connected display under /sys/class/drm";
}

// The fuzzers' seed inputs, replayed in the normal and sanitizer builds.
TEST(ParserSeeds, EverySeedKeepsTheInvariants) {
    for (const fs::path& file : files_in(kFuzzCorpus / "capabilities")) {
        const Bytes text = read_file(file);
        CCapabilityRecord r;
        const int result =
            r.parse(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        EXPECT_EQ(parser_invariants::capability_violation(r, result), "") << file.filename();
    }
    for (const fs::path& file : files_in(kFuzzCorpus / "edid")) {
        Bytes bytes = read_file(file);
        const bool seal =
            bytes.size() > CEdidRecord::kEdidSize && (bytes[CEdidRecord::kEdidSize] & 1);
        bytes = as_read(bytes);
        if (seal) {  // as the fuzzer's control byte asks
            for (int block : {0, 1}) {
                const int sum = std::accumulate(bytes.begin() + block * 128,
                                                bytes.begin() + block * 128 + 127, 0);
                bytes[block * 128 + 127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
            }
        }
        CEdidRecord r;
        const int result = r.decode(bytes.data());
        EXPECT_EQ(parser_invariants::edid_violation(r, result), "") << file.filename();
        if (seal) {
            EXPECT_EQ(result, 0) << file.filename();
        }
    }
}

}  // namespace
