#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace platform {

// One value of the colour matching module registry: a module's name with the value data.
// Modules register themselves with a text value; other kinds of data do not name a module.
struct CMatcherValue {
    QString name;
    QVariant data;

    bool is_string() const { return data.typeId() == QMetaType::QString; }
};

// The registry of colour matching modules: a small JSON object (value name -> data) in the
// colour system's configuration folder. Nothing is registered by default.
QString icm_matchers_file();

// The registered values in name order; false when the registry cannot be opened or read.
bool read_icm_matchers(QList<CMatcherValue>& values);

// Adds or replaces one value; false when the registry cannot be written.
bool write_icm_matcher(const QString& name, const QVariant& data);

}  // namespace platform
