#include "core/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

std::vector<std::unique_ptr<QTranslator>> install_translators(QCoreApplication& app) {
    std::vector<std::unique_ptr<QTranslator>> installed;
    const QLocale locale = QLocale::system();
    const bool japanese = locale.language() == QLocale::Japanese;

    auto own = std::make_unique<QTranslator>();
    const QString own_name = japanese ? QStringLiteral(":/translations/Resources/tintwell_ja")
                                      : QStringLiteral(":/translations/Resources/tintwell_") +
                                            locale.name().section(QLatin1Char('_'), 0, 0);
    if (own->load(own_name) && app.installTranslator(own.get()))
        installed.push_back(std::move(own));

    auto toolkit = std::make_unique<QTranslator>();
    const bool toolkit_loaded =
        japanese ? toolkit->load(QStringLiteral(":/translations/Resources/qt_ja_win32.qm"))
                 : toolkit->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (toolkit_loaded && app.installTranslator(toolkit.get())) {
        installed.push_back(std::move(toolkit));
    }
    return installed;
}
