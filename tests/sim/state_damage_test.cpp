#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>

#include "sim/sim_config.h"
#include "sim/sim_model.h"
#include "sim/sim_state.h"
#include "sim/sim_store.h"
#include "sim/sim_tool.h"
#include "sim_wire.h"
#include "support/test_environment.h"

using wire::bytes;

namespace {

const QString kMain = QStringLiteral("KX271W/71000123");

struct Monitors {
    explicit Monitors(const QString& state) : config(sim::CSimConfig::default_set()) {
        config.state_file = state;
        owned = sim::create_monitors(config);
        for (auto& m : owned)
            list.push_back(m.get());
    }
    sim::CSimMonitor& main() { return *list[0]; }
    sim::CSimConfig config;
    std::vector<std::unique_ptr<sim::CSimMonitor>> owned;
    std::vector<sim::CSimMonitor*> list;
};

struct Tool {
    int code = 0;
    QString out, err;
};

Tool run_tool(const QString& state, const QStringList& args) {
    Tool t;
    QTextStream o(&t.out), e(&t.err);
    t.code = sim::run_sim_tool(QStringList{"--config", "default", "--state", state} + args, o, e);
    o.flush();
    e.flush();
    return t;
}

// A state file written by the simulator, with memory 3 active on the main monitor, then
// edited as a person or a broken program might.
struct StateFile : ::testing::Test {
    void SetUp() override {
        path = dir.path() + QStringLiteral("/state.json");
        QFile::remove(path);
        Monitors m(path);
        wire::set_paged(m.main(), 0x1050, 3);
        sim::CSimStateStore store(path);
        ASSERT_TRUE(store.save(m.list));
    }
    QJsonObject root() const {
        return QJsonDocument::fromJson(testing_support::read_file(path)).object();
    }
    void write_root(const QJsonObject& r) {
        ASSERT_TRUE(testing_support::write_file(path, QJsonDocument(r).toJson()));
    }
    // Edits the main monitor's entry.
    void edit_main(const std::function<void(QJsonObject&)>& change) {
        QJsonObject r = root();
        QJsonObject monitors = r.value(QStringLiteral("monitors")).toObject();
        QJsonObject entry = monitors.value(kMain).toObject();
        change(entry);
        monitors.insert(kMain, entry);
        r.insert(QStringLiteral("monitors"), monitors);
        write_root(r);
    }
    static void set_in(QJsonObject& o, const QString& section, const QString& key,
                       const QJsonValue& v) {
        QJsonObject inner = o.value(section).toObject();
        inner.insert(key, v);
        o.insert(section, inner);
    }

    QTemporaryDir dir;
    QString path;
};

// The factory calibration data, read over the wire, as the model defines it.
void expect_factory_calibration(sim::CSimMonitor& m) {
    const QByteArray factory = sim::factory_memory(m.model());
    EXPECT_EQ(wire::read_memory(m, 0x8800, 32) + wire::read_memory(m, 0x8820, 16),
              factory.mid(0x8800, 48));
    EXPECT_EQ(wire::read_memory(m, 0x8C90, 18), factory.mid(0x8C90, 18));
    EXPECT_NE(factory.mid(0x8800, 48), QByteArray(48, '\xFF')) << "the model defines them";
}

struct Refused {
    const char* name;
    const char* field;  // as the message names it
    std::function<void(StateFile&)> damage;
};

TEST_F(StateFile, DamageThatMakesAPartUnreadableRefusesTheWholeFile) {
    const std::vector<Refused> cases = {
        {"memories not an array", "monitors.\"KX271W/71000123\".memories",
         [](StateFile& f) { f.edit_main([](QJsonObject& e) { e.insert("memories", 5); }); }},
        {"entry of another model", "monitors.\"KX271W/71000123\".model",
         [](StateFile& f) { f.edit_main([](QJsonObject& e) { e.insert("model", "KX241W"); }); }},
        {"entry that is a string", "monitors.\"KX241W/41000456\"",
         [](StateFile& f) {
             QJsonObject r = f.root();
             QJsonObject monitors = r.value("monitors").toObject();
             monitors.insert("KX241W/41000456", "KX241W");
             r.insert("monitors", monitors);
             f.write_root(r);
         }},
        {"no monitors", "monitors: missing",
         [](StateFile& f) {
             QJsonObject r = f.root();
             r.remove("monitors");
             f.write_root(r);
         }},
        {"monitors as an array", "monitors: not an object",
         [](StateFile& f) {
             QJsonObject r = f.root();
             r.insert("monitors", QJsonArray{r.value("monitors")});
             f.write_root(r);
         }},
        {"unknown format", "format: 2 is not",
         [](StateFile& f) {
             QJsonObject r = f.root();
             r.insert("format", 2);
             f.write_root(r);
         }},
        {"not JSON", "line 1, column",
         [](StateFile& f) { ASSERT_TRUE(testing_support::write_file(f.path, "{\"format\": 1,")); }},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.damage(*this);
        const QByteArray damaged = testing_support::read_file(path);

        Monitors m(path);
        sim::CSimStateStore store(path);
        QString error;
        EXPECT_FALSE(store.load(m.list, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.field))) << error.toStdString();
        EXPECT_EQ(wire::get_paged(m.main(), 0x1050).current, 1) << "nothing taken";
        // The next save leaves the file alone, and says why.
        wire::set_paged(m.main(), 0x1050, 2);
        error.clear();
        EXPECT_FALSE(store.save(m.list, &error));
        EXPECT_TRUE(error.contains(path));
        EXPECT_EQ(store.reload_if_changed(m.list), 0);

        const Tool show = run_tool(path, {"show", "kx271w"});
        EXPECT_EQ(show.code, 1);
        EXPECT_TRUE(show.err.contains(path)) << show.err.toStdString();
        EXPECT_TRUE(show.err.contains(QString::fromUtf8(c.field))) << show.err.toStdString();
        EXPECT_NE(run_tool(path, {"osd", "kx271w", "--memory", "4"}).code, 0);
        EXPECT_EQ(testing_support::read_file(path), damaged) << "the refused file is kept";
    }
}

struct Ignored {
    const char* name;
    const char* field;
    std::function<void(QJsonObject&)> damage;
    std::function<void(sim::CSimMonitor&)> expect_factory;
};

TEST_F(StateFile, ASingleBadValueIsIgnoredAndNamedAndTheRestIsTaken) {
    const std::vector<Ignored> cases = {
        {"contrast as text", "features.0x0012",
         [](QJsonObject& e) { set_in(e, "features", "0x0012", "eighty"); },
         [](sim::CSimMonitor& m) { EXPECT_EQ(wire::get_paged(m, 0x12).current, 50); }},
        {"contrast 99999", "features.0x0012",
         [](QJsonObject& e) { set_in(e, "features", "0x0012", 99999); },
         [](sim::CSimMonitor& m) { EXPECT_EQ(wire::get_paged(m, 0x12).current, 50); }},
        {"bad hex in a memory run", "memory[1].bytes",
         [](QJsonObject& e) {
             QJsonArray runs = e.value("memory").toArray();
             runs.append(QJsonObject{{"address", "0x2000"}, {"bytes", "0102zz"}});
             runs.append(QJsonObject{{"address", "0x3000"}, {"bytes", "0a0b"}});
             // The first run stays the change table's; the one with bad hex comes second.
             QJsonArray ordered{runs[0], runs[runs.size() - 2], runs[runs.size() - 1]};
             e.insert("memory", ordered);
         },
         [](sim::CSimMonitor& m) {
             EXPECT_EQ(wire::read_memory(m, 0x2000, 3), bytes({0xFF, 0xFF, 0xFF}));
             EXPECT_EQ(wire::read_memory(m, 0x3000, 2), bytes({0x0A, 0x0B})) << "a good run";
         }},
        {"active memory 9", "active_memory", [](QJsonObject& e) { e.insert("active_memory", 9); },
         [](sim::CSimMonitor& m) { EXPECT_EQ(wire::get_paged(m, 0x1050).current, 1); }},
        {"slot name of 12 characters", "slot_names[0]",
         [](QJsonObject& e) {
             QJsonArray names = e.value("slot_names").toArray();
             names[0] = "Twelve chars";
             e.insert("slot_names", names);
         },
         [](sim::CSimMonitor& m) {
             EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x26, 1})).payload.mid(2), "Programmable1");
         }},
    };
    for (const Ignored& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        edit_main(c.damage);
        Monitors m(path);
        sim::CSimStateStore store(path);
        QString error;
        QStringList warnings;
        ASSERT_TRUE(store.load(m.list, &error, &warnings)) << error.toStdString();
        ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
        EXPECT_TRUE(warnings[0].contains(path));
        EXPECT_TRUE(warnings[0].contains(QStringLiteral("monitors.\"KX271W/71000123\".") +
                                         QString::fromUtf8(c.field)))
            << warnings[0].toStdString();
        c.expect_factory(m.main());
        if (std::string(c.name) != "active memory 9") {
            EXPECT_EQ(wire::get_paged(m.main(), 0x1050).current, 3) << "the rest is taken";
        }

        const Tool show = run_tool(path, {"show", "kx271w"});
        EXPECT_EQ(show.code, 0);
        EXPECT_TRUE(show.err.contains(path) && show.err.contains(QString::fromUtf8(c.field)))
            << show.err.toStdString();
    }
}

TEST_F(StateFile, TheProtectedAreaIsAlwaysTheModelsFactoryData) {
    // A file without any memory runs ...
    edit_main([](QJsonObject& e) { e.insert("memory", QJsonArray()); });
    {
        Monitors m(path);
        sim::CSimStateStore store(path);
        QStringList warnings;
        ASSERT_TRUE(store.load(m.list, nullptr, &warnings));
        EXPECT_TRUE(warnings.isEmpty());
        expect_factory_calibration(m.main());
        EXPECT_EQ(wire::read_memory(m.main(), 0xFF10, 1), bytes({0xFF})) << "as the file says";
    }
    // ... and one that zeroes the primaries and the matrix.
    edit_main([](QJsonObject& e) {
        e.insert("memory",
                 QJsonArray{
                     QJsonObject{{"address", "0x8800"}, {"bytes", QString(96, QLatin1Char('0'))}},
                     QJsonObject{{"address", "0x8c90"}, {"bytes", QString(36, QLatin1Char('0'))}}});
    });
    Monitors m(path);
    sim::CSimStateStore store(path);
    QStringList warnings;
    ASSERT_TRUE(store.load(m.list, nullptr, &warnings));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("\".memory: bytes in the write-protected")));
    expect_factory_calibration(m.main());
    // Nor does a save put the area into the file.
    ASSERT_TRUE(store.save(m.list));
    for (const QJsonValue& run :
         root().value("monitors").toObject().value(kMain).toObject().value("memory").toArray()) {
        const int at = run.toObject().value("address").toString().toInt(nullptr, 0);
        EXPECT_TRUE(at > 0x8FFF ||
                    at + run.toObject().value("bytes").toString().size() / 2 <= 0x8000)
            << at;
    }
}

TEST_F(StateFile, AFileFixedByHandIsTakenAgain) {
    const QByteArray good = testing_support::read_file(path);
    edit_main([](QJsonObject& e) { e.insert("memories", "none"); });
    Monitors m(path);
    sim::CSimStateStore store(path);
    ASSERT_FALSE(store.load(m.list));
    QStringList warnings;
    EXPECT_EQ(store.reload_if_changed(m.list, &warnings), 0);
    ASSERT_TRUE(testing_support::write_file(path, good + "\n"));
    EXPECT_EQ(store.reload_if_changed(m.list, &warnings), static_cast<int>(m.list.size()));
    EXPECT_EQ(wire::get_paged(m.main(), 0x1050).current, 3);
    EXPECT_TRUE(store.save(m.list));
}

// Ten entries, memory m and preset p for entry i, as the monitor's own buttons make them.
void fill_change_table(sim::CSimMonitor& m) {
    for (int i = 0; i < 10; ++i) {
        m.osd_change({.memory = i % 5 + 1,
                      .preset = i / 5 + 1 + 2 * (i % 5),
                      .stamp = static_cast<std::uint32_t>(100 + i)});
    }
}

// (memory, preset, stamp) of each entry, in slot order.
std::vector<std::array<int, 3>> table(sim::CSimMonitor& m) {
    const QByteArray t = wire::read_memory(m, 0xFF10, 3);
    std::vector<std::array<int, 3>> entries;
    for (int i = 0; i < static_cast<std::uint8_t>(t[2]); ++i) {
        const QByteArray e = wire::read_memory(m, 0xFF13 + 6 * i, 6);
        entries.push_back({static_cast<std::uint8_t>(e[0]), static_cast<std::uint8_t>(e[1]),
                           static_cast<int>(static_cast<std::uint8_t>(e[4]) << 8 |
                                            static_cast<std::uint8_t>(e[5]))});
    }
    return entries;
}

bool holds_stamp(const std::vector<std::array<int, 3>>& entries, int stamp) {
    return std::any_of(entries.begin(), entries.end(), [&](auto& e) { return e[2] == stamp; });
}

TEST_F(StateFile, AFullChangeTableDropsTheOldestEntryAfterAnErasedOneWasReused) {
    Monitors m(path);
    sim::CSimStateStore store(path);
    ASSERT_TRUE(store.load(m.list));
    sim::CSimMonitor& monitor = m.main();
    fill_change_table(monitor);
    ASSERT_EQ(table(monitor).size(), 10u);
    wire::write_memory(monitor, 0xFF13, QByteArray(6, '\0'));  // the host erases slot 0
    monitor.osd_change({.memory = 5, .preset = 6, .stamp = 555});
    EXPECT_EQ(table(monitor)[0], (std::array<int, 3>{5, 6, 555})) << "the erased slot is reused";

    // The order survives the state file.
    ASSERT_TRUE(store.save(m.list));
    Monitors again(path);
    sim::CSimStateStore other(path);
    ASSERT_TRUE(other.load(again.list));
    again.main().osd_change({.memory = 1, .preset = 13, .stamp = 777});

    const auto entries = table(again.main());
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_TRUE(holds_stamp(entries, 555)) << "the newest change stays";
    EXPECT_TRUE(holds_stamp(entries, 777));
    EXPECT_FALSE(holds_stamp(entries, 101)) << "the oldest remaining entry made room";
    for (int stamp = 102; stamp < 110; ++stamp)
        EXPECT_TRUE(holds_stamp(entries, stamp)) << stamp;

    // orvale-sim shows the same table.
    ASSERT_TRUE(other.save(again.list));
    const Tool show = run_tool(path, {"show", "kx271w"});
    EXPECT_TRUE(show.out.contains(QStringLiteral("memory 5 preset 6 value 555")));
    EXPECT_TRUE(show.out.contains(QStringLiteral("memory 1 preset 13 value 777")));
    EXPECT_FALSE(show.out.contains(QStringLiteral("value 101\n")));
}

TEST_F(StateFile, TheToolSaysWhatTheMonitorNowHolds) {
    Tool t = run_tool(path, {"osd", "kx271w", "--preset", "99", "--luminance", "9999"});
    EXPECT_EQ(t.code, 0);
    Monitors m(path);
    sim::CSimStateStore store(path);
    ASSERT_TRUE(store.load(m.list));
    const int preset = wire::get_paged(m.main(), 0x1051).current;
    const int luminance = wire::get_paged(m.main(), 0x2B3).current;
    EXPECT_NE(preset, 99);
    EXPECT_TRUE(t.out.contains(QStringLiteral("preset %1").arg(preset))) << t.out.toStdString();
    EXPECT_TRUE(
        t.out.contains(QStringLiteral("preset 99 was not taken (it stays %1)").arg(preset)));
    EXPECT_TRUE(t.out.contains(QStringLiteral("luminance 9999 was clamped to %1").arg(luminance)))
        << t.out.toStdString();
    EXPECT_FALSE(t.out.contains(QStringLiteral("done")));

    t = run_tool(path, {"reset", "all"});
    EXPECT_EQ(t.code, 0);
    for (const sim::CSimMonitor* monitor : m.list)
        EXPECT_TRUE(t.out.contains(monitor->key() + QStringLiteral(": factory settings")))
            << t.out.toStdString();
}

TEST(SimConfigFile, ABrokenConfigurationNamesTheFileAndThePosition) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/sim.json");
    ASSERT_TRUE(testing_support::write_file(
        file, "{\n  \"monitors\": [\n    {\"model\": \"KX241W\", \"serial\": \"1\"},,\n  ]\n}\n"));
    sim::CSimConfig config;
    QString error;
    ASSERT_FALSE(sim::CSimConfig::load(file, config, &error));
    EXPECT_TRUE(error.startsWith(file + QStringLiteral(": "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("line 3, column"))) << error.toStdString();

    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(sim::run_sim_tool({"--config", file, "list"}, o, e), 1);
    e.flush();
    EXPECT_TRUE(err.contains(file) && err.contains(QStringLiteral("line 3"))) << err.toStdString();

    // A readable file with a bad value names the file too.
    ASSERT_TRUE(testing_support::write_file(file, R"({"monitors": [{"model": "KX9"}]})"));
    ASSERT_FALSE(sim::CSimConfig::load(file, config, &error));
    EXPECT_TRUE(error.startsWith(file)) << error.toStdString();
}

}  // namespace
