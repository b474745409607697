#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "sim/sim_config.h"
#include "sim/sim_model.h"
#include "sim/sim_store.h"
#include "sim/sim_tool.h"
#include "sim_wire.h"
#include "support/test_environment.h"

using wire::bytes;

namespace {

struct Bench {
    Bench() : config(sim::CSimConfig::default_set()) {
        config.state_file = dir.path() + QStringLiteral("/state/sim.json");
        owned = sim::create_monitors(config);
        for (auto& m : owned)
            monitors.push_back(m.get());
    }
    QTemporaryDir dir;
    sim::CSimConfig config;
    std::vector<std::unique_ptr<sim::CSimMonitor>> owned;
    std::vector<sim::CSimMonitor*> monitors;
};

// Changes a bit of everything a monitor keeps, over the wire.
void exercise(sim::CSimMonitor& m) {
    wire::set_paged(m, 0x1050, 3);
    wire::set_paged(m, 0x1052, 301);
    wire::set_paged(m, 0x2BE, 1);
    wire::write(m, wire::request(bytes({0xC2, 0x0B, 0x01, 0x10, 0x12, 0x34, 0x56, 0x78})));
    wire::set_paged(m, 0x106B, 2);
    wire::exchange(m, bytes({0xC2, 0x25, 0, 0, 0, 0x03, 0xFC, 0, 0, 0, 7}));
    wire::exchange(m, bytes({0xC2, 0x27, 2}) + "Soft Proof   ");
    wire::write_memory(m, 0x2000, bytes({9, 8, 7}));
    m.set_usb_plugged(false);
}

TEST(StateStore, StateSurvivesANewSimulatorInstance) {
    Bench first;
    exercise(*first.monitors[0]);
    sim::CSimStateStore store(first.config.state_file);
    ASSERT_TRUE(store.save(first.monitors));
    EXPECT_FALSE(store.changed_on_disk());

    Bench second;
    second.config.state_file = first.config.state_file;
    EXPECT_NE(second.monitors[0]->state(), first.monitors[0]->state());
    sim::CSimStateStore again(second.config.state_file);
    ASSERT_TRUE(again.load(second.monitors));
    for (std::size_t i = 0; i < first.monitors.size(); ++i) {
        EXPECT_EQ(second.monitors[i]->state(), first.monitors[i]->state()) << i;
    }
    sim::CSimMonitor& m = *second.monitors[0];
    EXPECT_EQ(wire::get_paged(m, 0x1050).current, 3);
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x26, 2})).payload.mid(2), "Soft Proof   ");
    EXPECT_FALSE(m.usb_plugged());
    // Nothing is left behind beside the file.
    EXPECT_EQ(QDir(first.dir.path() + QStringLiteral("/state")).entryList(QDir::Files).size(), 1);
}

TEST(StateStore, EntriesOfOtherMonitorsAreKept) {
    Bench bench;
    sim::CSimStateStore store(bench.config.state_file);
    ASSERT_TRUE(store.save(bench.monitors));
    std::vector<sim::CSimMonitor*> only_first = {bench.monitors[0]};
    sim::CSimStateStore partial(bench.config.state_file);
    ASSERT_TRUE(partial.load(only_first));
    ASSERT_TRUE(partial.save(only_first));
    const QJsonObject root =
        QJsonDocument::fromJson(testing_support::read_file(bench.config.state_file)).object();
    EXPECT_EQ(root.value(QStringLiteral("monitors")).toObject().size(), 4);
}

TEST(StateStore, AnotherProcessesChangeWinsOnlyForItsMonitor) {
    Bench program;
    sim::CSimStateStore program_store(program.config.state_file);
    ASSERT_TRUE(program_store.save(program.monitors));
    EXPECT_EQ(program_store.reload_if_changed(program.monitors), 0);

    // Unsaved changes in the program to monitors 0 and 1 ...
    wire::set_paged(*program.monitors[0], 0x12, 11);
    wire::set_paged(*program.monitors[1], 0x12, 22);
    // ... while another process changes monitor 1 in the file.
    Bench tool;
    tool.config.state_file = program.config.state_file;
    sim::CSimStateStore tool_store(tool.config.state_file);
    ASSERT_TRUE(tool_store.load(tool.monitors));
    tool.monitors[1]->osd_change({.memory = 4});
    ASSERT_TRUE(tool_store.save(tool.monitors));

    EXPECT_TRUE(program_store.changed_on_disk());
    EXPECT_EQ(program_store.reload_if_changed(program.monitors), 1);
    EXPECT_EQ(wire::get_paged(*program.monitors[0], 0x12).current, 11);
    EXPECT_EQ(wire::get_paged(*program.monitors[1], 0x1050).current, 4);
    EXPECT_EQ(wire::get_paged(*program.monitors[1], 0x12).current, 50);
    EXPECT_FALSE(program_store.changed_on_disk());
}

TEST(StateStore, UnreadableFilesLeaveTheFactoryState) {
    Bench bench;
    ASSERT_TRUE(testing_support::write_file(bench.config.state_file, "{ not json"));
    sim::CSimStateStore store(bench.config.state_file);
    QString error;
    EXPECT_FALSE(store.load(bench.monitors, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(wire::get_paged(*bench.monitors[0], 0x1050).current, 1);
    EXPECT_FALSE(store.save(bench.monitors)) << "somebody's file is not replaced";
    EXPECT_EQ(testing_support::read_file(bench.config.state_file), "{ not json");
    ASSERT_TRUE(QFile::remove(bench.config.state_file));
    EXPECT_TRUE(store.save(bench.monitors));
    EXPECT_TRUE(store.load(bench.monitors));

    // Values out of range in an edited file are ignored, the rest is taken.
    QJsonObject root =
        QJsonDocument::fromJson(testing_support::read_file(bench.config.state_file)).object();
    QJsonObject monitors = root.value(QStringLiteral("monitors")).toObject();
    const QString key = bench.monitors[0]->key();
    QJsonObject entry = monitors.value(key).toObject();
    QJsonObject features = entry.value(QStringLiteral("features")).toObject();
    features.insert(QStringLiteral("0x0012"), 900);
    features.insert(QStringLiteral("0x02BE"), 2);
    entry.insert(QStringLiteral("features"), features);
    monitors.insert(key, entry);
    root.insert(QStringLiteral("monitors"), monitors);
    ASSERT_TRUE(testing_support::write_file(bench.config.state_file, QJsonDocument(root).toJson()));
    Bench fresh;
    sim::CSimStateStore other(bench.config.state_file);
    ASSERT_TRUE(other.load(fresh.monitors));
    EXPECT_EQ(wire::get_paged(*fresh.monitors[0], 0x12).current, 50);
    EXPECT_EQ(wire::get_paged(*fresh.monitors[0], 0x2BE).current, 2);
}

TEST(StateStore, FactoryResetKeepsTheHourMeterAndTheCable) {
    Bench bench;
    sim::CSimMonitor& m = *bench.monitors[0];
    const int hours = wire::get_paged(m, 0xFF).current;
    exercise(m);
    m.reset_to_factory();
    EXPECT_EQ(wire::get_paged(m, 0xFF).current, hours);
    EXPECT_FALSE(m.usb_plugged());
    EXPECT_EQ(wire::get_paged(m, 0x1050).current, 1);
    EXPECT_EQ(wire::exchange(m, bytes({0xC2, 0x26, 2})).payload.mid(2), "Programmable2");
}

TEST(SimConfig, DefaultSetHasTheFourDocumentedMonitors) {
    const sim::CSimConfig c = sim::CSimConfig::default_set();
    ASSERT_EQ(c.monitors.size(), 4u);
    EXPECT_EQ(c.monitors[0].model, QStringLiteral("KX271W"));
    EXPECT_TRUE(c.monitors[0].setup.usb_present && c.monitors[0].setup.usb_plugged);
    EXPECT_EQ(c.monitors[1].model, QStringLiteral("KX241W"));
    EXPECT_FALSE(c.monitors[1].setup.usb_present);
    EXPECT_TRUE(c.monitors[1].setup.video_ddcci);
    EXPECT_FALSE(sim::find_sim_model(c.monitors[2].model)->maker_commands);
    // A supported monitor whose DDC/CI is switched off, so that every display suffix shows.
    EXPECT_EQ(c.monitors[3].model, QStringLiteral("KX302W"));
    EXPECT_FALSE(c.monitors[3].setup.video_ddcci);
    EXPECT_FALSE(c.monitors[3].setup.usb_present);
    ASSERT_EQ(c.displays.size(), 4u);
    EXPECT_TRUE(c.displays[0].primary);
    EXPECT_EQ(c.displays[1].geometry.left(), c.displays[0].geometry.right() + 1);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(c.displays[i].monitor, static_cast<int>(i));
        EXPECT_EQ(c.displays[i].edid.left(8), QByteArray::fromHex("00FFFFFFFFFFFF00"));
    }
    EXPECT_TRUE(c.state_file.endsWith(QStringLiteral("orvale-sim/state.json")));
}

TEST(SimConfig, FileDescribesMonitorsLinksDisplaysAndFaults) {
    const QByteArray json = R"({
        "state_file": "here/state.json",
        "monitors": [
            {"id": "a", "model": "KX302W", "serial": "3001", "usb": {"present": true, "plugged": false},
             "input": "HDMI", "video": "skip", "reply_source": "0x51", "operating_hours": 10,
             "faults": [{"fault": "bad_checksum", "exchange": 4, "command": "0xC6", "repeat": 2}]},
            {"model": "kx272w", "serial": "AB-1"}
        ],
        "displays": [
            {"connector": "DP-2", "adapter": "card1", "monitor": "a", "x": -2560, "y": 0,
             "width": 2560, "height": 1600, "primary": true},
            {"connector": "HDMI-A-1", "monitor": 1, "active": false, "edid": false},
            {"connector": "Virtual-1", "mirroring": true}
        ]
    })";
    sim::CSimConfig c;
    QString error;
    ASSERT_TRUE(sim::CSimConfig::parse(json, QStringLiteral("/base"), c, &error))
        << error.toStdString();
    EXPECT_EQ(c.state_file, QStringLiteral("/base/here/state.json"));
    const sim::CSimMonitorConfig& a = c.monitors[0];
    EXPECT_TRUE(a.setup.usb_present);
    EXPECT_FALSE(a.setup.usb_plugged);
    EXPECT_EQ(a.setup.input_source, 0x11);
    EXPECT_EQ(a.video, sim::CSimVideoLink::skip);
    EXPECT_EQ(a.setup.reply_source, 0x51);
    EXPECT_EQ(a.setup.operating_half_hours, 20);
    ASSERT_EQ(a.faults.size(), 1u);
    EXPECT_EQ(a.faults[0].command, 0xC6);
    EXPECT_EQ(a.faults[0].repeat, 2);
    EXPECT_EQ(c.monitors[1].model, QStringLiteral("KX272W"));
    EXPECT_EQ(c.monitors[1].id, QStringLiteral("kx272w"));
    EXPECT_EQ(c.find_monitor(QStringLiteral("AB-1")), 1);
    EXPECT_EQ(c.displays[0].geometry, QRect(-2560, 0, 2560, 1600));
    EXPECT_EQ(c.displays[0].adapter, QStringLiteral("card1"));
    EXPECT_FALSE(c.displays[1].active);
    EXPECT_TRUE(c.displays[1].edid.isEmpty());
    EXPECT_EQ(c.displays[2].monitor, -1);
    EXPECT_TRUE(c.displays[2].mirroring);

    const auto monitors = sim::create_monitors(c);
    EXPECT_EQ(monitors[0]->faults().pending(), 1);
    EXPECT_FALSE(monitors[0]->usb_plugged());
}

TEST(SimConfig, UnusableConfigurationsAreRefusedWithAReason) {
    const char* bad[] = {
        R"({"monitors": [{"model": "KX999", "serial": "1"}]})",
        R"({"monitors": [{"model": "Generic 24", "serial": "1", "usb": true}]})",
        R"({"monitors": [{"model": "KX241W", "serial": "1", "input": "HDMI"}]})",
        R"({"monitors": [{"model": "KX241W", "serial": ""}]})",
        R"({"monitors": [{"model": "KX241W", "serial": "1"}, {"model": "KX241W", "serial": "1"}]})",
        R"({"monitors": [{"model": "KX241W", "serial": "1", "faults": [{"fault": "smoke"}]}]})",
        R"({"monitors": [{"model": "KX241W", "serial": "1"}], "displays": [{"connector": "DP-1", "monitor": "x"}]})",
        R"([1, 2])",
    };
    for (const char* json : bad) {
        sim::CSimConfig c;
        QString error;
        EXPECT_FALSE(sim::CSimConfig::parse(json, QString(), c, &error)) << json;
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(SimConfig, EnvironmentNamesTheConfigurationAndTheStateFile) {
    qunsetenv(sim::CSimConfig::kConfigVariable);
    sim::CSimConfig c;
    QString error;
    EXPECT_FALSE(sim::CSimConfig::from_environment(c, &error));
    EXPECT_TRUE(error.isEmpty());
    qputenv(sim::CSimConfig::kConfigVariable, "default");
    qputenv(sim::CSimConfig::kStateVariable, "/tmp/elsewhere/s.json");
    EXPECT_TRUE(sim::CSimConfig::from_environment(c, &error));
    EXPECT_EQ(c.state_file, QStringLiteral("/tmp/elsewhere/s.json"));
    qputenv(sim::CSimConfig::kConfigVariable, "/nonexistent/sim.json");
    EXPECT_FALSE(sim::CSimConfig::from_environment(c, &error));
    EXPECT_FALSE(error.isEmpty());
    qunsetenv(sim::CSimConfig::kConfigVariable);
    qunsetenv(sim::CSimConfig::kStateVariable);
}

int tool(const QStringList& args, QString* output = nullptr) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = sim::run_sim_tool(args, o, e);
    o.flush();
    e.flush();
    if (output) *output = out + err;
    return code;
}

TEST(SimTool, ChangesReachTheStateFile) {
    QTemporaryDir dir;
    const QString state = dir.path() + QStringLiteral("/s.json");
    const QStringList base = {QStringLiteral("--config"), QStringLiteral("default"),
                              QStringLiteral("--state"), state};
    EXPECT_EQ(tool(base +
                   QStringList{"osd", "kx271w", "--memory", "2", "--preset", "7", "--stamp", "99"}),
              0);
    EXPECT_EQ(tool(base + QStringList{"unplug", "71000123"}), 0);

    Bench bench;
    bench.config.state_file = state;
    sim::CSimStateStore store(state);
    ASSERT_TRUE(store.load(bench.monitors));
    sim::CSimMonitor& m = *bench.monitors[0];
    EXPECT_EQ(wire::get_paged(m, 0x1050).current, 2);
    EXPECT_EQ(wire::get_paged(m, 0x1051).current, 7);
    EXPECT_EQ(wire::read_memory(m, 0xFF10, 9), bytes({1, 1, 1, 2, 7, 0, 0, 0, 99}));
    EXPECT_FALSE(m.usb_plugged());

    QString output;
    EXPECT_EQ(tool(base + QStringList{"show", "0"}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("USB unplugged")));
    EXPECT_EQ(tool(base + QStringList{"plug", "kx271w"}), 0);
    EXPECT_EQ(tool(base + QStringList{"reset", "all"}), 0);
    ASSERT_TRUE(store.reload_if_changed(bench.monitors) >= 1);
    EXPECT_EQ(wire::get_paged(m, 0x1050).current, 1);
    EXPECT_TRUE(m.usb_plugged());
}

TEST(SimTool, RefusesWhatTheMonitorCannotDo) {
    QTemporaryDir dir;
    const QStringList base = {QStringLiteral("--state"), dir.path() + QStringLiteral("/s.json")};
    EXPECT_NE(tool(base + QStringList{"plug", "kx241w"}), 0);  // no USB link
    EXPECT_NE(tool(base + QStringList{"osd", "generic", "--memory", "2"}), 0);
    EXPECT_NE(tool(base + QStringList{"show", "nobody"}), 0);
    EXPECT_NE(tool(base + QStringList{"osd", "kx271w", "--memory", "two"}), 0);
    EXPECT_NE(tool(base + QStringList{"dance"}), 0);
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/s.json")));
    QString output;
    EXPECT_EQ(tool(base + QStringList{"list"}, &output), 0);
    EXPECT_TRUE(output.contains(QStringLiteral("KX241W/41000456")));
}

}  // namespace
