#include <gtest/gtest.h>

#include <QDir>

#include "core/monitor_change_notes.h"
#include "ctl_runner.h"
#include "support/test_environment.h"

using ctl_testing::Machine;
using ctl_testing::Result;

namespace {

const QString kModel = QStringLiteral("KX271W");
const QString kSerial = QStringLiteral("71000123");

struct CtlChangeNotes : ::testing::Test {
    Machine machine;
    void SetUp() override { QDir(monitor_change_notes::folder()).removeRecursively(); }
    void TearDown() override { QDir(monitor_change_notes::folder()).removeRecursively(); }
    void run(const QStringList& args, int expected_exit) {
        const Result r = machine.ctl(args);
        EXPECT_EQ(r.exit_code, expected_exit)
            << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
};

// The program reads its record of a monitor again when orvale-ctl wrote to the monitor's
// settings; reading, refused input and the other monitors leave the record standing.
TEST_F(CtlChangeNotes, EveryWriteNotesItsMonitorAndNothingElseDoes) {
    run({"get", "1", "0x10"}, 0);
    run({"mode", "1"}, 0);
    run({"info", "1"}, 0);
    run({"lut", "1", "2", "--dump", machine.folder() + "/dump.cube"}, 0);
    run({"set", "1", "0x02B3", "5000"}, 2);
    run({"mode", "1", "6"}, 2);
    EXPECT_FALSE(monitor_change_notes::noted(kModel, kSerial));
    EXPECT_FALSE(QDir(monitor_change_notes::folder()).exists() &&
                 !QDir(monitor_change_notes::folder()).isEmpty());

    const QList<QStringList> writes = {
        {"set", "1", "0x02B3", "150"},
        {"set", "1", "0x10", "40", "--no-save"},
        {"mode", "1", "2", "--no-profile"},
        {"lut", "1", "3", machine.folder() + "/dump.cube"},
    };
    for (const QStringList& args : writes) {
        monitor_change_notes::clear(kModel, kSerial);
        run(args, 0);
        EXPECT_TRUE(monitor_change_notes::noted(kModel, kSerial)) << args.join(' ').toStdString();
    }
    // Display 2 is another monitor: its own note, none for display 1.
    monitor_change_notes::clear(kModel, kSerial);
    run({"set", "2", "0x02B3", "150"}, 0);
    EXPECT_FALSE(monitor_change_notes::noted(kModel, kSerial));
    EXPECT_TRUE(monitor_change_notes::noted(QStringLiteral("KX241W"), QStringLiteral("41000456")));
}

// The notes are keyed by the monitor's own texts: none may leave the folder or stand for
// another monitor.
TEST_F(CtlChangeNotes, KeysStayInTheFolderAndApart) {
    const QList<std::pair<QString, QString>> keys = {
        {QStringLiteral("../../x"), QStringLiteral("1")},
        {QStringLiteral("a_b"), QStringLiteral("c")},
        {QStringLiteral("a"), QStringLiteral("b_c")},
        {QStringLiteral("KX/271"), QStringLiteral(".")},
    };
    for (const auto& [model, serial] : keys)
        ASSERT_TRUE(monitor_change_notes::note(model, serial));
    const QStringList files = QDir(monitor_change_notes::folder()).entryList(QDir::Files);
    EXPECT_EQ(files.size(), keys.size()) << files.join(' ').toStdString();
    monitor_change_notes::clear(QStringLiteral("a_b"), QStringLiteral("c"));
    EXPECT_FALSE(monitor_change_notes::noted(QStringLiteral("a_b"), QStringLiteral("c")));
    EXPECT_TRUE(monitor_change_notes::noted(QStringLiteral("a"), QStringLiteral("b_c")));
    EXPECT_TRUE(monitor_change_notes::noted(QStringLiteral("../../x"), QStringLiteral("1")));
}

}  // namespace
