// The unmodified main window through the kernel stand-in, used as a user would: on a private
// X server with a window manager (with_openbox.sh), its RandR monitors named after the DRM
// outputs, driven with the keyboard and the mouse through xdotool, and every result read back
// from the simulated monitors with orvale-sim.
#include <algorithm>
#include <functional>
#include <memory>

#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>

#include "standin_fixture.h"

namespace {

using standin_testing::Result;

QString run_tool(const QString& program, const QStringList& args, int* exit_code = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForFinished(20000);
    if (exit_code) *exit_code = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

QString xdotool(const QStringList& args, int* exit_code = nullptr) {
    return run_tool(QStringLiteral("xdotool"), args, exit_code);
}

// What a synchronisation or a page may change besides the monitor's settings: its counters.
QString settings_of(const QString& shown) {
    QStringList kept;
    for (const QString& line : shown.split('\n')) {
        if (line.startsWith("overlapping conversations") || line.startsWith("change table") ||
            line.contains("operating half hours"))
            continue;
        kept << line;
    }
    return kept.join('\n');
}

class StandInDesktop : public standin_testing::StandIn {
  protected:
    void SetUp() override {
        StandIn::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs with_openbox.sh";
        // One RandR monitor per output of the stand-in's graphics card, named as the kernel
        // names the connectors, so that the toolkit's screens carry those names. The X server
        // keeps them while a client stays connected (the window manager does).
        struct Monitor {
            const char* name;
            const char* geometry;
        };
        const Monitor monitors[] = {{"DP-1", "1000/264x1000/264+0+0"},
                                    {"DP-2", "600/158x334/88+1000+0"},
                                    {"DVI-D-1", "600/158x333/88+1000+334"},
                                    {"HDMI-A-1", "600/158x333/88+1000+667"}};
        bool first = true;
        for (const Monitor& m : monitors) {
            int code = -1;
            const QString out =
                run_tool(QStringLiteral("xrandr"),
                         {QStringLiteral("--setmonitor"),
                          (first ? QStringLiteral("*") : QString()) + QLatin1String(m.name),
                          QLatin1String(m.geometry),
                          first ? QStringLiteral("screen") : QStringLiteral("none")},
                         &code);
            ASSERT_EQ(code, 0) << out.toStdString();
            first = false;
        }
        const QString listed =
            run_tool(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")});
        for (const Monitor& m : monitors)
            ASSERT_TRUE(listed.contains(QLatin1String(m.name))) << listed.toStdString();
        env.insert(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"), QStringLiteral("skip"));
    }
    void TearDown() override {
        if (program_) stop_program(*program_, output_);
        for (const char* name : {"DP-1", "DP-2", "DVI-D-1", "HDMI-A-1"})
            run_tool(QStringLiteral("xrandr"),
                     {QStringLiteral("--delmonitor"), QLatin1String(name)});
    }

    void start_main_window() {
        // ORVALE_STANDIN_LOG_RULES adds logging rules for a look into a failing run.
        QStringList rules = {"orvale.startup.info=true", "orvale.monitor.info=true",
                             "orvale.detection.info=true"};
        rules += qEnvironmentVariable("ORVALE_STANDIN_LOG_RULES").split(';', Qt::SkipEmptyParts);
        program_.reset(start_program(rules, env, QStringLiteral("xcb")));
        ASSERT_TRUE(program_->waitForStarted(10000));
        ASSERT_TRUE(wait_for(QByteArrayLiteral("main window shown"), 60000)) << output_.constData();
    }
    // Starts the main window with the KX271W's record in place: a first start in this process
    // asks before it reads (the box answered here); a later one uses the stored record.
    void start_with_record() {
        start_main_window();
        const bool asked = QTest::qWaitFor(
            [&] {
                program_->waitForReadyRead(20);
                output_ += program_->readAll();
                return output_.contains("used as stored") ||
                       windows(QStringLiteral("Orvale")).size() >= 2;
            },
            30000);
        ASSERT_TRUE(asked) << output_.constData();
        if (!output_.contains("used as stored")) {
            ASSERT_TRUE(answer_synchronisation_box());
            ASSERT_TRUE(wait_for("read from the monitor", 30000)) << output_.constData();
        }
    }
    bool wait_for(const QByteArray& line, int ms) {
        return wait_for_output(*program_, output_, line, ms);
    }
    // The program's visible top-level windows titled `title`, as the window manager has them.
    QStringList windows(const QString& title) {
        const QString out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), QLatin1Char('^') + title + '$'});
        // A window that goes while xdotool looks at it makes it print an X error among the ids.
        QStringList ids;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
            bool number = false;
            line.trimmed().toULong(&number);
            if (number) ids << line.trimmed();
        }
        return ids;
    }
    // Waits until between `least` and `most` windows so titled are shown; the answer is the
    // newest (X gives a client's windows rising ids), empty after 45 s (a loaded machine).
    QString wait_for_windows(const QString& title, int least, int most = 100) {
        QStringList found;
        const bool seen = QTest::qWaitFor(
            [&] {
                program_->waitForReadyRead(20);
                output_ += program_->readAll();
                found = windows(title);
                return found.size() >= least && found.size() <= most;
            },
            45000);
        if (!seen || found.isEmpty()) return QString();
        std::sort(found.begin(), found.end(),
                  [](const QString& a, const QString& b) { return a.toULong() < b.toULong(); });
        return found.last();
    }
    // The information box the synchronisation stands in front of its reading, answered as a
    // user would: it is the window in front, and Return presses its button.
    bool answer_synchronisation_box() {
        const QString box = wait_for_windows(QStringLiteral("Orvale"), 2);
        if (box.isEmpty()) {
            screenshot(QStringLiteral("no-synchronisation-box"));
            ADD_FAILURE() << "no box before the synchronisation\n" << output_.constData();
            return false;
        }
        screenshot(QStringLiteral("synchronisation-box"));
        if (!activate(box)) {
            ADD_FAILURE() << "the box does not take the focus";
            return false;
        }
        keys({QStringLiteral("Return")});
        return true;
    }
    // A click on the page list's first entry: the Picture Mode page, and the keyboard focus on
    // the list, from where the page's controls follow the display selector and its button.
    void focus_picture_mode_page() {
        const QString main_window = wait_for_windows(QStringLiteral("Orvale"), 1, 1);
        ASSERT_FALSE(main_window.isEmpty());
        ASSERT_TRUE(activate(main_window));
        // No --sync: with the pointer already there (the second time), xdotool waits for a
        // move that never comes.
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), main_window,
                 QStringLiteral("70"), QStringLiteral("50")});
        QTest::qWait(100);
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(100);
    }
    // When the display profile of the monitor was last written (a mode change ends with it).
    QDateTime profile_time() const {
        QDateTime newest;
        QDirIterator it(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/icc"),
                        {QStringLiteral("KX271W*")}, QDir::Files);
        while (it.hasNext()) {
            const QDateTime t = it.nextFileInfo().lastModified();
            if (!newest.isValid() || t > newest) newest = t;
        }
        return newest;
    }
    // Raises the window and waits until the window manager has given it the focus (which
    // waits for the program: a wizard reads the monitor before it first paints). No --sync:
    // xdotool's own wait can outlast a busy program's answer to the window manager.
    bool activate(const QString& window) {
        auto active = [&] {
            return xdotool({QStringLiteral("getactivewindow")}).trimmed() == window;
        };
        const bool done = QTest::qWaitFor(
            [&] {
                if (active()) return true;
                xdotool({QStringLiteral("windowactivate"), window});
                QTest::qWait(200);
                return active();
            },
            30000);
        if (!done) {
            screenshot(QStringLiteral("not-active-") + window);
            ADD_FAILURE() << "active: "
                          << xdotool({"getactivewindow", "getwindowname"}).toStdString()
                          << " visible: "
                          << xdotool({"search", "--onlyvisible", "--name", "."}).toStdString();
        }
        return done;
    }
    QByteArray look(const QString& window) {
        QProcess p;
        p.start(QStringLiteral("import"),
                {QStringLiteral("-window"), window, QStringLiteral("ppm:-")});
        return p.waitForFinished(20000) ? p.readAllStandardOutput() : QByteArray();
    }
    // The window's picture stays the same for a moment: nothing is being computed or drawn.
    bool settled(const QString& window) {
        return QTest::qWaitFor(
            [&] {
                const QByteArray now = look(window);
                QTest::qWait(300);
                return !now.isEmpty() && look(window) == now;
            },
            30000);
    }
    // Presses the keys and waits until the window shows something else and has settled: a
    // wizard page that computes on entry takes no keys before its Next button is enabled.
    bool keys_then_settle(const QString& window, const QStringList& names) {
        const QByteArray before = look(window);
        keys(names);
        return QTest::qWaitFor(
            [&] {
                const QByteArray now = look(window);
                if (now.isEmpty() || now == before) return false;
                QTest::qWait(300);
                return look(window) == now;
            },
            30000);
    }
    void keys(const QStringList& names) {
        for (const QString& name : names) {
            xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), name});
            QTest::qWait(150);
        }
    }
    void type(const QString& text) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }
    // Polls orvale-sim until `check` holds for the monitor's show (true) or 45 s pass.
    bool shown_until(const QString& monitor, const std::function<bool(const QString&)>& check) {
        return QTest::qWaitFor(
            [&] {
                program_->waitForReadyRead(20);
                output_ += program_->readAll();
                return check(machine.show(monitor));
            },
            45000);
    }
    // The whole screen as the user sees it, kept where ORVALE_STANDIN_SCREENSHOTS names a
    // folder (a look at what the keys did; the results are read from the monitors).
    void screenshot(const QString& name) {
        const QString folder = qEnvironmentVariable("ORVALE_STANDIN_SCREENSHOTS");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        run_tool(QStringLiteral("import"),
                 {QStringLiteral("-window"), QStringLiteral("root"),
                  folder + QLatin1Char('/') + name + QStringLiteral(".png")});
    }

    std::unique_ptr<QProcess> program_;
    QByteArray output_;
};

}  // namespace

// A first start: the information box before the synchronisation, answered with Return; the
// record is read through the kernel's calls and stored, and the monitor is left as it was.
// Then the Picture Mode page: the next memory, and a brightness typed into its box, with
// orvale-ctl beside the program.
TEST_F(StandInDesktop, SynchronisationModeAndBrightnessFromTheMainWindowReachTheMonitor) {
    std::map<QString, QString> before;
    for (const char* monitor : {"kx271w", "kx241w", "generic", "kx302w"})
        before[monitor] = settings_of(machine.show(monitor));
    start_main_window();
    for (const char* line : {"KX271W, interface 0, controlled over the video cable",
                             "KX241W, interface 1, controlled over the video cable"}) {
        EXPECT_TRUE(output_.contains(line)) << line << "\n" << output_.constData();
    }

    ASSERT_TRUE(answer_synchronisation_box());
    ASSERT_TRUE(wait_for("record of KX271W 71000123 read from the monitor", 30000))
        << output_.constData();
    for (const auto& [monitor, settings] : before) {
        EXPECT_EQ(settings_of(machine.show(monitor)).toStdString(), settings.toStdString())
            << monitor.toStdString() << ": the synchronisation only reads";
    }
    expect_smbus_untouched();
    const QStringList after_synchronisation = transfers();
    EXPECT_FALSE(after_synchronisation.filter(QRegularExpression("^i2c-1 read 0x37 ")).isEmpty())
        << "the record came over the DP-1 output's bus";

    // Mode buttons are one exclusive group: an arrow key moves to the next and clicks it.
    ASSERT_TRUE(machine.show("kx271w").contains("memory 1 (active)"));
    const QDateTime profile_before = profile_time();
    focus_picture_mode_page();
    keys({"Tab", "Tab", "Tab", "Down"});
    EXPECT_TRUE(shown_until("kx271w", [](const QString& s) {
        return s.contains("memory 2 (active)");
    })) << machine.show("kx271w").toStdString();
    // The switch ends with the new mode's display profile.
    EXPECT_TRUE(QTest::qWaitFor([&] { return profile_time() > profile_before; }, 45000));

    // The brightness box takes a typed value when left (no keyboard tracking).
    const int luminance = machine.shown("kx271w", "2.luminance cd/m2");
    const int wanted = luminance == 135 ? 140 : 135;
    focus_picture_mode_page();
    keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab"});
    type(QString::number(wanted));
    keys({"Tab"});
    EXPECT_TRUE(shown_until("kx271w", [&](const QString&) {
        return machine.shown("kx271w", "2.luminance cd/m2") == wanted;
    })) << machine.show("kx271w").toStdString();
    EXPECT_EQ(machine.shown("kx271w", "1.luminance cd/m2"), 120) << "the other memory kept its";
    screenshot(QStringLiteral("picture-mode-page"));

    // orvale-ctl beside the running program: each conversation under the bus's lock, which it
    // waits for in real time (skipped waits would skip the lock's too).
    const int percent = machine.shown("kx271w", "0x0010");
    env.remove(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"));
    const Result got = ctl({"--json", "get", "1", "0x10"});
    ASSERT_EQ(got.exit_code, 0) << got.err.toStdString();
    EXPECT_EQ(got.json().value("features").toArray()[0].toObject().value("value").toInt(), percent);
    expect_smbus_untouched();
    EXPECT_TRUE(transfers("i2c-5").isEmpty()) << "the AUX channels are not asked";
    EXPECT_TRUE(transfers("i2c-6").isEmpty());
    stop_program(*program_, output_);
    program_.reset();
    expect_no_overlaps();
}

// The colour wizard from the Picture Mode page's Edit button, with the keyboard: a custom
// printer emulation on an installed printer profile, stored in the second Programmable slot
// under a name of the user's; its 3D LUT goes over the wire while the wizard runs.
TEST_F(StandInDesktop, ThePrinterEmulationFromTheWizardLeavesItsTableInTheMonitor) {
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    if (!QFile::exists(printer)) GTEST_SKIP() << "libgs-common is not installed";
    const QString icc = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/icc");
    QDir().mkpath(icc);
    QFile::remove(icc + QStringLiteral("/press.icc"));
    ASSERT_TRUE(QFile::copy(printer, icc + QStringLiteral("/press.icc")));
    ASSERT_TRUE(machine.show("kx271w").contains("slot 2: \"Programmable2\"  3D LUT identity"));

    ASSERT_NO_FATAL_FAILURE(start_with_record());
    focus_picture_mode_page();
    keys({"Tab", "Tab", "Tab", "Tab", "space"});  // the checked mode, then Edit...
    const QString wizard = wait_for_windows(QStringLiteral("Color Configuration Wizard"), 1);
    ASSERT_FALSE(wizard.isEmpty()) << output_.constData();
    ASSERT_TRUE(activate(wizard));
    QTest::qWait(500);  // its first page is laid out after it maps
    // Next is the default button, and Alt+N on every page.
    ASSERT_TRUE(keys_then_settle(wizard, {"alt+u", "Return"}));  // Custom
    ASSERT_TRUE(keys_then_settle(wizard, {"alt+p", "Return"}));  // Print Emulation
    ASSERT_TRUE(keys_then_settle(wizard, {"Return"}));  // the first printer: the intent page
    ASSERT_TRUE(keys_then_settle(wizard, {"Return"}));  // the white point page
    ASSERT_TRUE(keys_then_settle(wizard, {"Return"}));  // the name page
    screenshot(QStringLiteral("wizard-before-name"));
    keys({"alt+2", "Tab", "ctrl+a"});  // the second slot, its name
    type(QStringLiteral("Press Proof"));
    screenshot(QStringLiteral("wizard-name"));
    // Return in the name field only ends the typing; Next takes the name and uploads, with
    // its progress in a box of its own.
    keys({"Return"});
    QTest::qWait(1500);
    ASSERT_TRUE(machine.show("kx271w").contains("slot 2: \"Programmable2\""));
    keys({"alt+n"});
    EXPECT_TRUE(shown_until("kx271w", [](const QString& s) {
        return s.contains(QRegularExpression("slot 2: \"Press Proof *\"  3D LUT programmed"));
    })) << machine.show("kx271w").toStdString();
    // The progress box goes; the wizard is on its last page once it has settled.
    ASSERT_FALSE(wait_for_windows(QStringLiteral("Orvale"), 1, 1).isEmpty());
    ASSERT_TRUE(activate(wizard));
    ASSERT_TRUE(settled(wizard));
    ASSERT_FALSE(wait_for_windows(QStringLiteral("Orvale"), 1, 1).isEmpty());
    // One press: after a second box in a row the toolkit once left no window active and the
    // wizard's mnemonics went nowhere.
    keys({"alt+f"});
    const bool finished = QTest::qWaitFor(
        [&] { return windows(QStringLiteral("Color Configuration Wizard")).isEmpty(); }, 10000);
    if (!finished) {
        screenshot(QStringLiteral("wizard-not-finished"));
        // Where the program is, for the record.
        const QString stacks = qEnvironmentVariable("ORVALE_STANDIN_SCREENSHOTS");
        if (!stacks.isEmpty()) {
            program_->waitForReadyRead(20);
            output_ += program_->readAll();
            QFile output(stacks + QStringLiteral("/output.txt"));
            if (output.open(QIODevice::WriteOnly)) output.write(output_);
            QFile file(stacks + QStringLiteral("/stacks.txt"));
            if (file.open(QIODevice::WriteOnly))
                file.write(run_tool(QStringLiteral("gdb"),
                                    {QStringLiteral("-p"), QString::number(program_->processId()),
                                     QStringLiteral("-batch"), QStringLiteral("-ex"),
                                     QStringLiteral("thread apply all bt 25")})
                               .toUtf8());
        }
    }
    ASSERT_TRUE(finished);
    QTest::qWait(1000);  // the page shows the new mode's name
    screenshot(QStringLiteral("after-printer-emulation"));

    const QString shown = machine.show("kx271w");
    EXPECT_TRUE(shown.contains(QRegularExpression("slot 2: \"Press Proof *\"  3D LUT programmed")))
        << shown.toStdString();
    EXPECT_TRUE(shown.contains(QRegularExpression("memory 1 \\(active\\):.* 3D LUT slot=2")))
        << "the active memory shows the new slot\n"
        << shown.toStdString();
    const QStringList lut_writes = transfers("i2c-1").filter(" write 0x37 ");
    EXPECT_GT(lut_writes.size(), 100) << "the table went over the DP-1 output's bus";
    expect_smbus_untouched();
    stop_program(*program_, output_);
    program_.reset();
    expect_no_overlaps();
}

// The user's close ends the program within moments also in the middle of a mode switch, whose
// steps and waits take seconds: the switch stops after its current exchange.
TEST_F(StandInDesktop, AltF4DuringAModeSwitchEndsTheProgramWithinTwoSeconds) {
    // A first start reads the record, with the waits skipped; the second has the real ones.
    ASSERT_NO_FATAL_FAILURE(start_with_record());
    stop_program(*program_, output_);
    output_.clear();
    env.remove(QStringLiteral("ORVALE_I2C_STANDIN_WAITS"));
    start_main_window();
    ASSERT_TRUE(wait_for("used as stored", 30000)) << output_.constData();
    focus_picture_mode_page();
    const int memory_before = machine.show("kx271w").contains("memory 1 (active)") ? 1 : 0;
    keys({"Tab", "Tab", "Tab", "Down"});
    QElapsedTimer clock;
    clock.start();
    keys({"alt+F4"});
    ASSERT_TRUE(program_->waitForFinished(10000)) << "the window's close did not end it";
    const qint64 took = clock.elapsed();
    output_ += program_->readAll();
    EXPECT_LT(took, 2000) << output_.constData();
    EXPECT_EQ(program_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_->exitCode(), 0);
    EXPECT_TRUE(output_.contains("window closed: ending")) << output_.constData();
    if (memory_before == 1) {
        EXPECT_TRUE(machine.show("kx271w").contains("memory 2 (active)"))
            << "the switch's first exchange went through";
    }
    program_.reset();
    expect_no_overlaps();
}
