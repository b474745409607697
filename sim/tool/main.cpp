#include <QCoreApplication>
#include <QTextStream>

#include "sim/sim_tool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return sim::run_sim_tool(args, out, err);
}
