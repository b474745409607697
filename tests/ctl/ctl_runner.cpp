#include "ctl_runner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

#include "support/test_environment.h"

namespace ctl_testing {

namespace {

Result start(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Result run;
    if (!process.waitForFinished(120000)) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " did not finish";
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace

QJsonObject Result::json() const {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
    EXPECT_TRUE(doc.isObject()) << error.errorString().toStdString() << "\n" << out.toStdString();
    return doc.object();
}

Machine::Machine() {
    env = testing_support::child_process_environment();
    env.insert(QStringLiteral("ORVALE_SIM_CONFIG"), QStringLiteral("default"));
    env.insert(QStringLiteral("ORVALE_SIM_STATE"), state_path());
    env.insert(QStringLiteral("ORVALE_CTL_WAITS"), QStringLiteral("virtual"));
    QDir(folder()).removeRecursively();
    QDir().mkpath(folder());
}

QString Machine::folder() const {
    return testing_support::sandbox_folder() + QStringLiteral("/ctl");
}

QString Machine::state_path() const {
    return folder() + QStringLiteral("/sim-state.json");
}

Result Machine::ctl(const QStringList& args) const {
    return start(QStringLiteral(ORVALE_CTL), args, env);
}

Result Machine::sim(const QStringList& args) const {
    const Result run = start(QStringLiteral(ORVALE_SIM_TOOL), args, env);
    EXPECT_EQ(run.exit_code, 0) << run.err.toStdString();
    return run;
}

int Machine::shown(const QString& monitor, const QString& feature) const {
    const QString text = show(monitor);
    // "  0x02b3  luminance ...   120 (max 400)" or "memory 2 (active): ... preset=4 ..."
    const QRegularExpression global(
        QStringLiteral("^  %1  .*?(\\d+) \\(max").arg(QRegularExpression::escape(feature)),
        QRegularExpression::MultilineOption);
    if (const auto m = global.match(text); m.hasMatch()) return m.captured(1).toInt();
    const int dot = feature.indexOf(QLatin1Char('.'));
    if (dot < 0) return -1;
    const QRegularExpression memory(
        QStringLiteral("^memory %1[^:]*:.* %2=(\\d+)")
            .arg(feature.left(dot), QRegularExpression::escape(feature.mid(dot + 1))),
        QRegularExpression::MultilineOption);
    const auto m = memory.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

}  // namespace ctl_testing
