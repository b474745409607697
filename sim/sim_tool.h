#pragma once

#include <QStringList>
#include <QTextStream>

namespace sim {

// The orvale-sim command line (arguments without the program name). Returns the exit code.
int run_sim_tool(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace sim
