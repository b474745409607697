#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <cstdio>

#include "core/translations.h"
#include "ctl/ctl_commands.h"
#include "ctl/ctl_output.h"
#include "ctl/ctl_waits.h"
#include "platform/access_library.h"

int main(int argc, char** argv) {
    platform::interface_enumeration_mode = 3;
    // The program's settings files are read here only; a missing one is not worth a line.
    QLoggingCategory::setFilterRules(QStringLiteral("orvale.settings.warning=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvale-ctl"));
    auto translators = install_translators(app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString wait_error;
    const auto clock = ctl::CCountingSleeper::from_environment(wait_error);
    if (!wait_error.isEmpty()) {
        err << "orvale-ctl: " << wait_error << '\n';
        return ctl::kExitBadInput;
    }
    if (clock) platform::install_sleeper(clock.get());

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int code = ctl::run(arguments, out, err);
    out.flush();
    if (clock) {
        clock->print(err);
        platform::install_sleeper(nullptr);
    }
    err.flush();
    for (auto& translator : translators)
        QCoreApplication::removeTranslator(translator.get());
    return code;
}
