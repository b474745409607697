#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

namespace ctl {

// The orvale-ctl command line (arguments without the program name); returns the exit code.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Parsers of the command line's numbers, each false for anything but the whole word.
// A display number: 1, 2, ...
std::optional<int> parse_display(const QString& word);
// A feature code as the monitor model takes it: page * 256 + VCP code, 0..0xFFFF, decimal or
// with 0x.
std::optional<int> parse_code(const QString& word);
// A value: 0..0xFFFF, decimal or with 0x.
std::optional<int> parse_value(const QString& word);

}  // namespace ctl
