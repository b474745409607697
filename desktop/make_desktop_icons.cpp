// Draws the desktop icons into the icon theme layout: orvale_desktop_icons FOLDER NAME writes
// FOLDER/hicolor/NxN/apps/NAME.png for each size and FOLDER/hicolor/scalable/apps/NAME.svg.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "resources/artwork/desktop_icon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER ICON-NAME\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
    const QString name = QString::fromLocal8Bit(argv[2]);
    int failures = 0;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = root + QStringLiteral("%1x%1/apps").arg(size);
        if (!QDir().mkpath(folder) ||
            !artwork::desktop_icon(size).save(
                folder + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG"))
            ++failures;
    }
    const QString scalable = root + QStringLiteral("scalable/apps");
    QFile svg(scalable + QLatin1Char('/') + name + QStringLiteral(".svg"));
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(artwork::desktop_icon_svg()) < 0)
        ++failures;
    if (failures)
        std::fprintf(stderr, "could not write %d icons under %s\n", failures, qPrintable(root));
    return failures == 0 ? 0 : 1;
}
