#include "core/verify_files.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QSaveFile>

namespace verify {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Verify", text);
}

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QJsonArray triple(const CCIEXYZ& c) {
    return {c.X, c.Y, c.Z};
}

QJsonArray triple(const CCIELab& c) {
    return {c.L, c.a, c.b};
}

QString group_name(PatchGroup group) {
    switch (group) {
        case PatchGroup::grayscale:
            return QStringLiteral("grayscale");
        case PatchGroup::primaries:
            return QStringLiteral("primaries");
        case PatchGroup::checker:
            return QStringLiteral("checker");
    }
    return QString();
}

QString csv_field(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))) return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString passed_text(bool passed) {
    return passed ? tr("pass") : tr("fail");
}

}  // namespace

QJsonObject report_json(const Report& r) {
    QJsonArray rows;
    for (const PatchResult& row : r.rows) {
        QJsonObject o{{QStringLiteral("name"), row.patch.name},
                      {QStringLiteral("group"), group_name(row.patch.group)},
                      {QStringLiteral("signal"),
                       QJsonArray{row.patch.signal[0], row.patch.signal[1], row.patch.signal[2]}},
                      {QStringLiteral("target_xyz"), triple(row.target)},
                      {QStringLiteral("measured_xyz"), triple(row.measured)},
                      {QStringLiteral("target_lab"), triple(row.target_lab)},
                      {QStringLiteral("measured_lab"), triple(row.measured_lab)},
                      {QStringLiteral("delta_e"), row.delta_e}};
        if (row.gamma) o.insert(QStringLiteral("gamma"), *row.gamma);
        if (row.target_gamma) o.insert(QStringLiteral("target_gamma"), *row.target_gamma);
        if (row.patch.group == PatchGroup::grayscale) {
            o.insert(QStringLiteral("cct"), row.cct);
            o.insert(QStringLiteral("duv"), row.duv);
        }
        rows.append(o);
    }
    const Thresholds& t = r.thresholds;
    return {
        {QStringLiteral("monitor"), r.monitor},
        {QStringLiteral("mode"), r.mode},
        {QStringLiteral("instrument"), r.instrument},
        {QStringLiteral("measured"), r.measured.toString(Qt::ISODate)},
        {QStringLiteral("average"), r.average},
        {QStringLiteral("percentile95"), r.percentile95},
        {QStringLiteral("maximum"), r.maximum},
        {QStringLiteral("worst"), r.worst},
        {QStringLiteral("white_luminance"), r.white_luminance},
        {QStringLiteral("black_luminance"), r.black_luminance},
        {QStringLiteral("contrast"), r.contrast},
        {QStringLiteral("target_white_luminance"), r.target_white_luminance},
        {QStringLiteral("target_black_luminance"), r.target_black_luminance},
        {QStringLiteral("white_xy"), QJsonArray{r.white.x, r.white.y}},
        {QStringLiteral("target_white_xy"), QJsonArray{r.target_white.x, r.target_white.y}},
        {QStringLiteral("white_point_error"), r.white_point_error},
        {QStringLiteral("white_cct"), r.white_cct},
        {QStringLiteral("thresholds"), QJsonObject{{QStringLiteral("average"), t.average},
                                                   {QStringLiteral("percentile95"), t.percentile95},
                                                   {QStringLiteral("maximum"), t.maximum},
                                                   {QStringLiteral("white_point"), t.white_point}}},
        {QStringLiteral("passed"), r.passed()},
        {QStringLiteral("patches"), rows},
    };
}

QByteArray report_csv(const Report& r) {
    QString out = QStringLiteral(
        "patch,group,red,green,blue,target_X,target_Y,target_Z,measured_X,measured_Y,measured_Z,"
        "target_L,target_a,target_b,measured_L,measured_a,measured_b,dE2000,gamma,target_gamma,"
        "cct,duv\n");
    for (const PatchResult& row : r.rows) {
        QStringList f{csv_field(row.patch.name), group_name(row.patch.group)};
        for (double s : row.patch.signal)
            f << number(s, 4);
        for (const CCIEXYZ& c : {row.target, row.measured})
            f << number(c.X, 4) << number(c.Y, 4) << number(c.Z, 4);
        for (const CCIELab& c : {row.target_lab, row.measured_lab})
            f << number(c.L, 4) << number(c.a, 4) << number(c.b, 4);
        f << number(row.delta_e, 4);
        f << (row.gamma ? number(*row.gamma, 4) : QString());
        f << (row.target_gamma ? number(*row.target_gamma, 4) : QString());
        const bool gray = row.patch.group == PatchGroup::grayscale && row.cct > 0;
        f << (gray ? QString::number(row.cct) : QString());
        f << (gray ? number(row.duv, 5) : QString());
        out += f.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QByteArray report_html(const Report& r, const QList<ReportImage>& images) {
    const auto esc = [](const QString& s) { return s.toHtmlEscaped(); };
    QString h;
    h +=
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
            "charset=\"utf-8\"/>\n<title>%1</title>\n"
            "<style>body{font-family:sans-serif;margin:2em;color:#222}table{border-collapse:"
            "collapse}"
            "td,th{border:1px solid #bbb;padding:2px "
            "6px;text-align:right}td.n,th.n{text-align:left}"
            ".pass{color:#176f2c;font-weight:bold}.fail{color:#b00020;font-weight:bold}"
            "span.sw{display:inline-block;width:1.2em;height:1.2em;border:1px solid #888}"
            "img{max-width:48%;margin:0 1% 1em 0;border:1px solid #ccc}</style>\n</head>\n<body>\n")
            .arg(esc(tr("Verification report")));
    h += QStringLiteral("<h1>%1</h1>\n").arg(esc(tr("Verification report")));
    h += QStringLiteral("<p>%1<br/>%2<br/>%3<br/>%4</p>\n")
             .arg(esc(r.monitor), esc(r.mode), esc(r.instrument),
                  esc(r.measured.toString(Qt::ISODate)));
    h += QStringLiteral("<p class=\"%1\">%2</p>\n")
             .arg(r.passed() ? QStringLiteral("pass") : QStringLiteral("fail"),
                  esc(r.passed() ? tr("Passed") : tr("Failed")));
    h += QStringLiteral(
             "<table>\n<tr><th class=\"n\">%1</th><th>%2</th><th>%3</th><th>%4</th></tr>\n")
             .arg(esc(tr("Figure")), esc(tr("Value")), esc(tr("Limit or target")),
                  esc(tr("Result")));
    const auto line = [&](const QString& name, const QString& value, const QString& limit,
                          std::optional<bool> passed) {
        h += QStringLiteral("<tr><td class=\"n\">%1</td><td>%2</td><td>%3</td><td%4>%5</td></tr>\n")
                 .arg(esc(name), esc(value), esc(limit),
                      passed ? (*passed ? QStringLiteral(" class=\"pass\"")
                                        : QStringLiteral(" class=\"fail\""))
                             : QString(),
                      passed ? esc(passed_text(*passed)) : QString());
    };
    const Thresholds& t = r.thresholds;
    line(tr("Average dE2000"), number(r.average, 2), number(t.average, 2), r.average_passed);
    line(tr("95th percentile dE2000"), number(r.percentile95, 2), number(t.percentile95, 2),
         r.percentile95_passed);
    line(tr("Maximum dE2000 (%1)").arg(r.worst), number(r.maximum, 2), number(t.maximum, 2),
         r.maximum_passed);
    line(tr("White point error (u'v')"), number(r.white_point_error, 4), number(t.white_point, 4),
         r.white_point_passed);
    line(tr("White luminance (cd/m²)"), number(r.white_luminance, 1),
         number(r.target_white_luminance, 1), std::nullopt);
    line(tr("Black luminance (cd/m²)"), number(r.black_luminance, 3),
         number(r.target_black_luminance, 3), std::nullopt);
    line(tr("Contrast ratio"),
         r.contrast > 0 ? number(r.contrast, 0) + QStringLiteral(":1") : QStringLiteral("-"),
         QString(), std::nullopt);
    line(tr("White (x, y)"), number(r.white.x, 4) + QStringLiteral(", ") + number(r.white.y, 4),
         number(r.target_white.x, 4) + QStringLiteral(", ") + number(r.target_white.y, 4),
         std::nullopt);
    line(tr("White CCT (K)"), QString::number(r.white_cct), QString(), std::nullopt);
    h += QStringLiteral("</table>\n");
    for (const ReportImage& image : images) {
        h += QStringLiteral("<img alt=\"%1\" src=\"data:image/png;base64,%2\"/>\n")
                 .arg(esc(image.title), QString::fromLatin1(image.png.toBase64()));
    }
    h += QStringLiteral(
             "<table>\n<tr><th class=\"n\">%1</th><th>%2</th><th>%3</th><th>%4</th>"
             "<th>%5</th><th>%6</th><th>dE2000</th><th>%7</th><th>%8</th><th>CCT</th>"
             "<th>duv</th></tr>\n")
             .arg(esc(tr("Patch")), esc(tr("RGB")), esc(tr("Target XYZ")), esc(tr("Measured XYZ")),
                  esc(tr("Target Lab")), esc(tr("Measured Lab")), esc(tr("Gamma")),
                  esc(tr("Target gamma")));
    const auto xyz = [](const CCIEXYZ& c) {
        return number(c.X, 2) + QStringLiteral(" ") + number(c.Y, 2) + QStringLiteral(" ") +
               number(c.Z, 2);
    };
    const auto lab = [](const CCIELab& c) {
        return number(c.L, 2) + QStringLiteral(" ") + number(c.a, 2) + QStringLiteral(" ") +
               number(c.b, 2);
    };
    for (const PatchResult& row : r.rows) {
        const int R = qRound(row.patch.signal[0] * 255), G = qRound(row.patch.signal[1] * 255),
                  B = qRound(row.patch.signal[2] * 255);
        const bool gray = row.patch.group == PatchGroup::grayscale;
        h += QStringLiteral(
                 "<tr><td class=\"n\"><span class=\"sw\" style=\"background:rgb(%1,%2,%3)\">"
                 "</span> %4</td><td>%1 %2 %3</td><td>%5</td><td>%6</td><td>%7</td>"
                 "<td>%8</td><td>%9</td><td>%10</td><td>%11</td><td>%12</td><td>%13</td>"
                 "</tr>\n")
                 .arg(R)
                 .arg(G)
                 .arg(B)
                 .arg(esc(row.patch.name), xyz(row.target), xyz(row.measured), lab(row.target_lab),
                      lab(row.measured_lab), number(row.delta_e, 2),
                      row.gamma ? number(*row.gamma, 2) : QString(),
                      row.target_gamma ? number(*row.target_gamma, 2) : QString(),
                      gray && row.cct > 0 ? QString::number(row.cct) : QString(),
                      gray && row.cct > 0 ? number(row.duv, 4) : QString());
    }
    h += QStringLiteral("</table>\n</body>\n</html>\n");
    return h.toUtf8();
}

bool save_report_file(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace verify
