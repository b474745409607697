#pragma once

#include <QString>

namespace ctl {

// The tool's usage, and each command's help; an empty text for an unknown command.
QString usage();
QString command_help(const QString& command);

}  // namespace ctl
