#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <ostream>

// Readable failure messages for the Qt types tests compare.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << bytes.size() << " bytes: " << bytes.toHex(' ').toStdString();
}
inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << '(' << p.x() << ", " << p.y() << ')';
}
