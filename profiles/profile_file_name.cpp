#include "profiles/profile_file_name.h"

namespace {

QString safe_part(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return text;
}

}  // namespace

QString displayProfileFileName(const QString& modelName, const QString& serialNumber) {
    QString name = safe_part(modelName) + QLatin1Char(' ') + safe_part(serialNumber) +
                   QStringLiteral(" ORV.icm");
    if (name.startsWith(QLatin1Char('.'))) name[0] = QLatin1Char('_');
    return name;
}
