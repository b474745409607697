#include "platform/shell_folders.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace platform {

QString shared_documents_folder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) return data;
    return QCoreApplication::applicationDirPath();
}

}  // namespace platform
