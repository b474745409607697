#pragma once

#include <QTranslator>
#include <memory>
#include <vector>

class QCoreApplication;

// Installs the application's and the toolkit's catalogues for the system language (the
// embedded Japanese ones for Japanese). A catalogue that does not load is skipped silently.
std::vector<std::unique_ptr<QTranslator>> install_translators(QCoreApplication& app);
