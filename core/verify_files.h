#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "core/verify_report.h"

namespace verify {

// A graph for the HTML report, already drawn: its title and PNG bytes.
struct ReportImage {
    QString title;
    QByteArray png;
};

QJsonObject report_json(const Report& report);
// One row per patch after a header row; figures with a point as decimal separator.
QByteArray report_csv(const Report& report);
// One self-contained page: the summary, the graphs as data URIs, the table.
QByteArray report_html(const Report& report, const QList<ReportImage>& images = {});

// Writes the file atomically; false with `error` when it cannot be written.
bool save_report_file(const QString& path, const QByteArray& bytes, QString& error);

}  // namespace verify
