#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

#include "ctl/cube_lut.h"
#include "ctl_runner.h"
#include "profiles/display_profile.h"
#include "support/test_environment.h"

using ctl_testing::Machine;
using ctl_testing::Result;

namespace {

// Default set: display 1 KX271W over USB, 2 KX241W over its video cable, 3 Generic 24,
// 4 KX302W with DDC/CI off in its menu.
struct CtlProcess : ::testing::Test {
    Machine machine;

    Result ok(const QStringList& args) {
        const Result run = machine.ctl(args);
        EXPECT_EQ(run.exit_code, 0)
            << args.join(' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }

    QString write_cube(const QString& name, const std::string& text) {
        const QString path = machine.folder() + QLatin1Char('/') + name;
        EXPECT_TRUE(testing_support::write_file(path, QByteArray::fromStdString(text)));
        return path;
    }

    // The slot's nodes as the simulated monitor keeps them (identity when the file has none).
    std::vector<int> slot_values(const QString& key, int slot) {
        const QJsonObject root =
            QJsonDocument::fromJson(testing_support::read_file(machine.state_path())).object();
        const QString hex = root.value("monitors")
                                .toObject()
                                .value(key)
                                .toObject()
                                .value("lut_slots")
                                .toObject()
                                .value(QString::number(slot))
                                .toString();
        std::vector<int> values;
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
            values.push_back(hex.mid(i, 4).toInt(nullptr, 16));
        return values;
    }
};

std::string cube_of(int size,
                    const std::function<std::array<double, 3>(double, double, double)>& f) {
    std::string text = "LUT_3D_SIZE " + std::to_string(size) + "\n";
    char line[96];
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r) {
                const double d = size - 1;
                const auto v = f(r / d, g / d, b / d);
                std::snprintf(line, sizeof line, "%.7f %.7f %.7f\n", v[0], v[1], v[2]);
                text += line;
            }
    return text;
}

std::array<double, 3> warm(double r, double g, double b) {
    return {0.9 * r + 0.1 * g, 0.05 * r + 0.85 * g + 0.05 * b, 0.02 + 0.8 * b * (0.6 + 0.4 * g)};
}

TEST_F(CtlProcess, ListShowsTheSelectorsDisplaysAndWhyAMonitorCannotBeControlled) {
    const QJsonArray displays = ok({"--json", "list"}).json().value("displays").toArray();
    ASSERT_EQ(displays.size(), 4);
    const QJsonObject first = displays[0].toObject();
    EXPECT_EQ(first.value("text").toString(), QStringLiteral("Display 1 - KX271W"));
    EXPECT_EQ(first.value("link").toString(), QStringLiteral("usb"));
    EXPECT_EQ(first.value("interface").toInt(), 1);
    EXPECT_EQ(first.value("serial").toString(), QStringLiteral("71000123"));
    EXPECT_TRUE(first.value("controllable").toBool());
    EXPECT_EQ(displays[1].toObject().value("link").toString(), QStringLiteral("video"));
    EXPECT_TRUE(displays[1].toObject().value("controllable").toBool());
    EXPECT_EQ(displays[2].toObject().value("text").toString(),
              QStringLiteral("Display 3 - Generic 24 (Unsupported)"));
    EXPECT_EQ(displays[2].toObject().value("reason").toString(),
              QStringLiteral("not a supported model"));
    EXPECT_EQ(displays[3].toObject().value("text").toString(),
              QStringLiteral("Display 4 - KX302W (No Communications)"));
    EXPECT_TRUE(displays[3].toObject().value("reason").toString().contains("DDC/CI"));

    // Switched on in its menu, the KX302W answers and loses its suffix.
    machine.sim({"ddcci", "kx302w", "on"});
    const Result again = ok({"list"});
    EXPECT_TRUE(again.out.contains("Display 4 - KX302W ")) << again.out.toStdString();
    EXPECT_FALSE(again.out.contains("No Communications")) << again.out.toStdString();
}

TEST_F(CtlProcess, InfoGetAndSetReportWhatTheSimulatedMonitorHolds) {
    const QJsonObject info = ok({"info", "1", "--json"}).json();
    EXPECT_EQ(info.value("model").toString(), QStringLiteral("KX271W"));
    EXPECT_EQ(info.value("serial").toString(), QStringLiteral("71000123"));
    EXPECT_DOUBLE_EQ(info.value("operating_hours").toDouble(),
                     machine.shown("kx271w", "0x00ff") * 0.5);
    EXPECT_EQ(info.value("edid").toObject().value("manufacturer").toString(),
              QStringLiteral("KST"));
    EXPECT_EQ(info.value("edid").toObject().value("serial").toString(), QStringLiteral("71000123"));
    const QJsonObject caps = info.value("capabilities").toObject();
    EXPECT_TRUE(caps.value("text").toString().contains("vcp("));
    EXPECT_FALSE(caps.value("vcp").toArray().isEmpty());
    EXPECT_GT(info.value("link").toObject().value("exchanges").toInt(), 0);
    EXPECT_FALSE(info.value("firmware").toString().isEmpty());

    const QJsonArray got =
        ok({"--json", "get", "2", "0x1051", "0x02B3", "16"}).json().value("features").toArray();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0].toObject().value("value").toInt(), machine.shown("kx241w", "1.preset"));
    EXPECT_EQ(got[1].toObject().value("value").toInt(),
              machine.shown("kx241w", "1.luminance cd/m2"));
    EXPECT_GT(got[1].toObject().value("maximum").toInt(), got[1].toObject().value("value").toInt());
    EXPECT_EQ(got[2].toObject().value("value").toInt(), machine.shown("kx241w", "0x0010"));

    const QJsonObject set = ok({"set", "2", "0x02b3", "200", "--json"}).json();
    EXPECT_EQ(set.value("value").toInt(), 200);
    EXPECT_TRUE(set.value("saved").toBool());
    EXPECT_EQ(machine.shown("kx241w", "1.luminance cd/m2"), 200);
    // Below the brightness floor the monitor takes its floor, and the tool says so.
    const Result floor = ok({"set", "2", "0x2B3", "10"});
    const int lowest = machine.shown("kx241w", "0x106f");
    EXPECT_EQ(machine.shown("kx241w", "1.luminance cd/m2"), lowest);
    EXPECT_TRUE(floor.out.contains(QStringLiteral("the monitor took %1 for 10").arg(lowest)))
        << floor.out.toStdString();
}

TEST_F(CtlProcess, ModeListsTheMemoriesAndSelectsOneWithTheSaveAndTheProfile) {
    const QJsonObject shown = ok({"mode", "1", "--json"}).json();
    EXPECT_EQ(shown.value("active").toInt(), 1);
    const QJsonArray memories = shown.value("memories").toArray();
    ASSERT_EQ(memories.size(), 5);
    EXPECT_EQ(memories[0].toObject().value("label").toString(), QStringLiteral("sRGB"));
    EXPECT_EQ(memories[1].toObject().value("label").toString(), QStringLiteral("Mode 2"))
        << "without the program's record only the active memory is known";

    const Result selected = ok({"mode", "1", "2"});
    EXPECT_TRUE(selected.out.contains("memory 2 selected")) << selected.out.toStdString();
    EXPECT_TRUE(machine.show("kx271w").contains("memory 2 (active)"));
    EXPECT_TRUE(selected.err.contains("(virtual)"));
    // The page's rules: the write's settle wait and the save's wait are among the waits.
    const QJsonObject listed = ok({"mode", "1", "--json"}).json();
    EXPECT_EQ(listed.value("memories").toArray()[1].toObject().value("label").toString(),
              QStringLiteral("AdobeRGB"));
    // The preference to manage profiles is on by default: memory 2's profile was made.
    const QString profile =
        testing_support::sandbox_folder() + QStringLiteral("/data/icc/KX271W 71000123 ORV.icm");
    ProfileSpec spec;
    ASSERT_EQ(readDisplayProfile(profile, spec), 0);
    EXPECT_EQ(spec.description, QStringLiteral("KX271W 71000123 ORV Mode 2"));

    const Result no_profile = ok({"mode", "1", "3", "--no-profile", "--json"});
    EXPECT_FALSE(no_profile.json().contains("profile"));
    ASSERT_EQ(readDisplayProfile(profile, spec), 0);
    EXPECT_EQ(spec.description, QStringLiteral("KX271W 71000123 ORV Mode 2"));
}

TEST_F(CtlProcess, ProfileDescribesTheActiveModeAndIsAssociatedWithTheDisplay) {
    ok({"mode", "2", "4", "--no-profile"});
    const QJsonObject made = ok({"profile", "2", "--json"}).json();
    EXPECT_EQ(made.value("outcome").toString(), QStringLiteral("updated"));
    EXPECT_EQ(made.value("memory").toInt(), 4);
    const QString path = made.value("path").toString();
    ProfileSpec spec;
    ASSERT_EQ(readDisplayProfile(path, spec), 0) << path.toStdString();
    EXPECT_EQ(spec.description, QStringLiteral("KX241W 41000456 ORV Mode 4"));
    EXPECT_NEAR(spec.redX, machine.shown("kx241w", "4.red x") / 1000.0, 0.002);
    EXPECT_NEAR(spec.greenY, machine.shown("kx241w", "4.green y") / 1000.0, 0.002);
    EXPECT_NEAR(spec.luminance, machine.shown("kx241w", "4.luminance cd/m2"), 0.5);
    const QByteArray associations =
        testing_support::read_file(testing_support::sandbox_folder() +
                                   QStringLiteral("/config/orvale-color-system/associations.json"));
    EXPECT_TRUE(associations.contains("KX241W 41000456 ORV.icm")) << associations.constData();
}

TEST_F(CtlProcess, CubeFilesLoadIntoASlotAndDumpBack) {
    // A warm LUT first, so that loading the identity afterwards has something to undo.
    const QString warm_file = write_cube("warm.cube", cube_of(17, warm));
    ok({"lut", "1", "3", warm_file});
    const std::vector<int> stored = slot_values("KX271W/71000123", 3);
    ASSERT_EQ(stored.size(), 3u * 729);
    EXPECT_TRUE(machine.show("kx271w").contains("slot 3: \"Programmable3\"  3D LUT programmed"));
    EXPECT_EQ(machine.shown("kx271w", "1.3D LUT slot"), 0) << "the active memory keeps its slot";

    const QString dumped = machine.folder() + QStringLiteral("/dump.cube");
    ok({"lut", "1", "3", "--dump", dumped});
    cube::CubeLut lut;
    QString error;
    const QByteArray text = testing_support::read_file(dumped);
    ASSERT_TRUE(cube::parse(text.toStdString(), lut, error)) << error.toStdString();
    ASSERT_EQ(lut.size, 9);
    for (int b = 0; b < 9; ++b)
        for (int g = 0; g < 9; ++g)
            for (int r = 0; r < 9; ++r) {
                const auto want = warm(r / 8.0, g / 8.0, b / 8.0);
                const auto& row = lut.rows[static_cast<std::size_t>((b * 9 + g) * 9 + r)];
                for (std::size_t ch = 0; ch < 3; ++ch)
                    ASSERT_LE(std::abs(row[ch] - want[ch]) * 1020, 1.0) << r << g << b << ch;
            }
    const QJsonArray values =
        ok({"lut", "1", "3", "--dump", "--json"}).json().value("values").toArray();
    ASSERT_EQ(values.size(), 729);
    EXPECT_EQ(values[728].toArray()[1].toInt(), stored[3 * 728 + 1]);

    ok({"lut", "1", "3", write_cube("identity.cube", cube_of(17, [](double r, double g, double b) {
                                        return std::array<double, 3>{r, g, b};
                                    }))});
    EXPECT_TRUE(machine.show("kx271w").contains("slot 3: \"Programmable3\"  3D LUT identity"));
    EXPECT_TRUE(slot_values("KX271W/71000123", 3).empty()) << "the factory identity again";
}

TEST_F(CtlProcess, BadInputIsOneLineNonZeroAndLeavesTheMonitorAsItWas) {
    ok({"list"});  // the state file exists from here on
    const QByteArray before = testing_support::read_file(machine.state_path());
    const QString shown = machine.show("kx271w");
    const std::string good = cube_of(5, warm);
    const auto broken = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return write_cube("broken.cube", text);
    };
    const QList<QStringList> cases = {
        {"get", "9", "0x10"},
        {"get", "0", "0x10"},
        {"get", "1", "0x10000"},
        {"get", "1", "-1"},
        {"set", "1", "0x1FFFF", "1"},
        {"set", "1", "0x02B3", "5000"},
        {"set", "1", "0x02B3", "-3"},
        {"set", "3", "0x10", "50"},
        {"mode", "1", "6"},
        {"lut", "1", "0", broken("LUT_3D_SIZE 5", "LUT_3D_SIZE 5")},
        {"lut", "1", "6", broken("LUT_3D_SIZE 5", "LUT_3D_SIZE 5")},
        {"lut", "1", "2", broken("LUT_3D_SIZE 5", "LUT_3D_SIZE 6")},
        {"lut", "1", "2", broken("LUT_3D_SIZE 5", "LUT_3D_SIZE five")},
        {"lut", "1", "2", write_cube("short.cube", good.substr(0, good.size() / 2))},
        {"lut", "1", "2", broken("1.0000000 0.9000000", "1.2000000 0.9000000")},
        {"lut", "1", "2", broken("0.0000000 0.0000000 0.0200000", "nan 0.0000000 0.0200000")},
        {"lut", "1", "2", machine.folder() + "/missing.cube"},
        {"lut", "1", "2", "--frobnicate", machine.folder() + "/missing.cube"},
        {"frobnicate"},
    };
    for (const QStringList& args : cases) {
        const Result run = machine.ctl(args);
        EXPECT_NE(run.exit_code, 0) << args.join(' ').toStdString();
        // One line, beside the count of protocol waits this test's tool adds.
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(" protocol waits, ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("orvale-ctl: ")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        // With --json a script still gets an object, naming the problem.
        const QJsonObject error = machine.ctl(QStringList{"--json"} + args).json();
        EXPECT_FALSE(error.value("error").toObject().value("message").toString().isEmpty());
    }
    EXPECT_EQ(testing_support::read_file(machine.state_path()), before);
    EXPECT_EQ(machine.show("kx271w"), shown);
    // A feature the monitor lacks: its result code and the string table's text.
    const Result missing = machine.ctl({"--json", "get", "1", "0x1234"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.json().value("error").toObject().value("code").toInt(), -1027);
    EXPECT_TRUE(missing.err.contains("Unknown Error #-1027")) << missing.err.toStdString();
}

TEST_F(CtlProcess, HelpForTheToolAndEveryCommand) {
    const Result help = ok({"--help"});
    for (const char* command : {"list", "info", "get", "set", "mode", "profile", "lut"}) {
        EXPECT_TRUE(help.out.contains(QStringLiteral("  %1 ").arg(command))) << command;
        const Result one = ok({command, "--help"});
        EXPECT_TRUE(
            one.out.startsWith(QStringLiteral("usage: orvale-ctl [--json] %1").arg(command)))
            << one.out.toStdString();
        EXPECT_EQ(ok({"help", command}).out, one.out);
    }
    EXPECT_EQ(machine.ctl({}).exit_code, 2);
}

}  // namespace

namespace {

TEST_F(CtlProcess, VerifyMeasuresTheActiveModeAndLeavesTheMonitorAsItWas) {
    const QString before = machine.show(QStringLiteral("0"));
    const Result run = ok({"--json", "verify", "1"});
    const QJsonObject o = run.json();
    EXPECT_EQ(o["display"].toInt(), 1);
    EXPECT_EQ(o["patches"].toArray().size(), 69);
    // The sRGB mode lies inside the panel's gamut: only the panel's small flaws remain.
    EXPECT_LT(o["average"].toDouble(), 1.0);
    EXPECT_TRUE(o["passed"].toBool());
    EXPECT_NEAR(o["white_luminance"].toDouble(), o["target_white_luminance"].toDouble(), 3.0);
    double sum = 0.0;
    for (const auto& p : o["patches"].toArray())
        sum += p.toObject()["delta_e"].toDouble();
    EXPECT_NEAR(sum / 69.0, o["average"].toDouble(), 1e-9);
    EXPECT_EQ(machine.show(QStringLiteral("0")), before);

    // The people's text ends with the verdict; a monitor that cannot be controlled is refused.
    EXPECT_TRUE(ok({"verify", "1"}).out.trimmed().endsWith(QStringLiteral("passed")));
    EXPECT_NE(machine.ctl({"verify", "3"}).exit_code, 0);
    Machine real = machine;
    real.env.remove(QStringLiteral("ORVALE_SIM_CONFIG"));
    real.env.remove(QStringLiteral("ORVALE_CTL_WAITS"));
    const Result refused = real.ctl({"verify", "1"});
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Verify..."))) << refused.err.toStdString();
}

}  // namespace
