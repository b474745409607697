// The verification dialog after a measurement of the first display (the KX271W, its sRGB
// mode) with the simulated colorimeter. The same report, saved as HTML, is the example in
// docs/ (beside the screenshots folder the program is given).
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include "core/master_control.h"
#include "screenshot.h"
#include "ui/verify/verify_dialog.h"

namespace {

ORVALE_SCREENSHOT("verify", []() -> QWidget* {
    // One fixed noise, so that the published example changes only with the program.
    qputenv("ORVALE_SIM_COLORIMETER_SEED", "20261209");
    auto* master = new MasterControl();
    CMultiMonitor& monitors = master->monitor_list();
    monitors.scan_interfaces();
    monitors.match_scanned();
    monitors.initialise_displays();
    master->current_display().connect(monitors.display(0));
    auto* dialog =
        new verify_dialog(master->current_display().monitor(), master->current_display().info());
    master->setParent(dialog);
    dialog->show();
    QEventLoop loop;
    QObject::connect(dialog, &verify_dialog::finished_measuring, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (dialog->start()) loop.exec();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        QString error;
        dialog->save_html(QDir(arguments[1]).filePath("../verification-report-example.html"),
                          error);
    }
    return dialog;
});

}  // namespace
