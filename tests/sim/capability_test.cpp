#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sim/sim_model.h"
#include "sim_wire.h"

using wire::bytes;

namespace {

// Reads the whole string the way a host does: F3 at each offset until an empty fragment.
QByteArray read_capabilities(sim::CSimMonitor& m, int* fragments = nullptr) {
    QByteArray text;
    int count = 0;
    for (int offset = 0; count < 1000; ++count) {
        const wire::Reply r = wire::exchange(m, bytes({0xF3, offset >> 8, offset}));
        EXPECT_TRUE(r.valid);
        EXPECT_GE(r.payload.size(), 3);
        if (r.payload.size() < 3) break;
        EXPECT_EQ(static_cast<std::uint8_t>(r.payload[0]), 0xE3);
        EXPECT_EQ(wire::word(r.payload, 1), offset);
        EXPECT_LE(r.payload.size() - 3, 32);
        if (r.payload.size() == 3) break;
        text += r.payload.mid(3);
        offset += static_cast<int>(r.payload.size()) - 3;
    }
    if (fragments) *fragments = count;
    return text;
}

// The content of keyword(...) with nested parentheses; empty when absent or unbalanced.
QByteArray group(const QByteArray& caps, const QByteArray& keyword) {
    const int start = caps.indexOf(keyword + '(');
    if (start < 0) return QByteArray();
    int depth = 0;
    for (int i = start + static_cast<int>(keyword.size()) + 1; i < caps.size(); ++i) {
        if (caps[i] == '(') ++depth;
        if (caps[i] == ')') {
            if (depth == 0)
                return caps.mid(start + keyword.size() + 1, i - start - keyword.size() - 1);
            --depth;
        }
    }
    return QByteArray();
}

// Codes of a list with their value lists: "10 14(01 02) 60(0F)".
std::map<int, std::vector<int>> codes(const QByteArray& list, int page) {
    std::map<int, std::vector<int>> out;
    int last = -1;
    bool in_values = false;
    for (const QByteArray& token :
         QByteArray(list).replace('(', " ( ").replace(')', " ) ").split(' ')) {
        if (token.isEmpty()) continue;
        if (token == "(") {
            in_values = true;
        } else if (token == ")") {
            in_values = false;
        } else if (in_values) {
            out[last].push_back(token.toInt(nullptr, 16));
        } else {
            last = page * 256 + token.toInt(nullptr, 16);
            out[last];
        }
    }
    return out;
}

TEST(Capabilities, FragmentsOfAtMost32BytesEndWithAnEmptyOne) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        sim::CSimMonitor m(model, {});
        int fragments = 0;
        const QByteArray caps = read_capabilities(m, &fragments);
        EXPECT_EQ(fragments, (caps.size() + 31) / 32);
        EXPECT_TRUE(caps.startsWith('(') && caps.endsWith(')')) << caps.constData();
        EXPECT_EQ(caps.count('('), caps.count(')'));
        EXPECT_EQ(group(caps, "type"), "LCD");
        EXPECT_FALSE(group(caps, "vcp").isEmpty());
        // Past the end the fragment stays empty.
        const int past = static_cast<int>(caps.size()) + 100;
        EXPECT_EQ(wire::exchange(m, bytes({0xF3, past >> 8, past})).payload.size(), 3);
    }
}

TEST(Capabilities, MakerModelsDescribeThemselvesInTheMakersDialect) {
    sim::CSimMonitor m(*sim::find_sim_model(QStringLiteral("KX271W")), {});
    const QByteArray caps = read_capabilities(m);
    for (const char* keyword : {"vcp_p02", "vcp_p10", "cmds_c2", "gamma_table", "asset_eep",
                                "c_tmp_ofst", "mpu_ver", "mccs_ver"}) {
        EXPECT_FALSE(group(caps, keyword).isEmpty()) << keyword;
    }
    EXPECT_EQ(group(caps, "mpu_ver"), m.model().firmware);
    EXPECT_EQ(group(caps, "gamma_table"), "size(300) r_ofs(0) g_ofs(100) b_ofs(200)");
    const auto p10 = codes(group(caps, "vcp_p10"), 0x10);
    ASSERT_TRUE(p10.count(0x1051));
    EXPECT_EQ(p10.at(0x1051).size(), 13u);  // every picture mode, eciRGB v2 included

    sim::CSimMonitor small(*sim::find_sim_model(QStringLiteral("KX241W")), {});
    const auto small_p10 = codes(group(read_capabilities(small), "vcp_p10"), 0x10);
    ASSERT_TRUE(small_p10.count(0x1051));
    EXPECT_EQ(small_p10.at(0x1051).back(), 12);  // no eciRGB v2
}

TEST(Capabilities, EveryListedFeatureIsSupportedWithTheListedValues) {
    for (const sim::CSimModel& model : sim::sim_models()) {
        sim::CSimMonitor m(model, {});
        const QByteArray caps = read_capabilities(m);
        std::map<int, std::vector<int>> listed = codes(group(caps, "vcp"), 0);
        for (int page : {0x02, 0x10}) {
            const QByteArray name =
                "vcp_p" + QByteArray::number(page, 16).rightJustified(2, '0').toUpper();
            for (const auto& entry : codes(group(caps, name), page))
                listed.insert(entry);
        }
        EXPECT_EQ(listed.size(), model.features.size());
        for (const auto& [code, values] : listed) {
            const sim::CSimReading r = m.read_feature(code);
            EXPECT_EQ(r.result, 0) << model.name.toStdString() << " " << std::hex << code;
            for (int v : values) {
                // Every listed value is taken (memory swaps and resets are not undone here).
                if (code == 0x1050 || code == 0x04 || code == 0x08 || code == 0x1070 ||
                    code == 0x1071)
                    continue;
                EXPECT_EQ(m.write_feature(code, v).current, v) << std::hex << code << " " << v;
            }
        }
        if (model.maker_commands) {
            EXPECT_EQ(wire::get_paged(m, 0x10FE).result, 1);
            const auto c2 = codes(group(caps, "cmds_c2"), 0);
            EXPECT_EQ(c2.size(), 8u);
        }
    }
}

}  // namespace
