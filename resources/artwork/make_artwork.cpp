// Draws the program's own artwork into the resource folder. Run by hand when the artwork
// changes: orvale_artwork <resources/images folder> [name filter].
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "artwork.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString filter = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(folder);
    int failures = 0;
    for (const artwork::Item& item : artwork::registry()) {
        if (!filter.isEmpty() && !item.file_name.contains(filter)) continue;
        const QImage image = item.draw();
        if (image.isNull() || !image.save(folder + QLatin1Char('/') + item.file_name, "PNG")) {
            std::fprintf(stderr, "could not draw or save %s\n", qPrintable(item.file_name));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
