#include "profiles/color_management.h"

#include <QDir>
#include <QFileInfo>

#include "platform/color_system.h"
#include "platform/icm_matchers.h"
#include "platform/shell_folders.h"
#include "profiles/icc_numbers.h"

namespace {

// The display's display-class profiles.
QStringList display_profiles(const QString& deviceName) {
    platform::CColorProfileQuery query;
    query.fields = platform::CColorProfileQuery::kDeviceName |
                   platform::CColorProfileQuery::kProfileClass |
                   platform::CColorProfileQuery::kDeviceClass;
    query.device_name = deviceName;
    query.profile_class = icc_signature("mntr");
    query.device_class = icc_signature("mntr");
    return platform::enum_color_profiles(query);
}

}  // namespace

QString colorDirectory() {
    return QDir::toNativeSeparators(platform::color_directory());
}

QString targetFolder(bool create, const ProfileTexts& texts) {
    const QString base = platform::shared_documents_folder();
    if (base.isEmpty()) return base;
    const QString folder = base + QLatin1Char('/') + texts.companyName + QLatin1Char('/') +
                           texts.applicationName + texts.targetsFolderName;
    if (QFileInfo(folder).isDir()) return folder;
    if (!create || !QDir().mkpath(folder)) return QString();
    return folder;
}

int installAndAssociate(const QString& deviceName, const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (!platform::install_color_profile(native)) return kInstallFailed;
    if (!platform::associate_color_profile(deviceName, QFileInfo(native).fileName()))
        return kAssociateFailed;
    return 0;
}

int installAndReplaceAssociations(const QString& deviceName, const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (!platform::install_color_profile(native)) return kInstallFailed;
    const QString name = QFileInfo(native).fileName();
    const QStringList before = display_profiles(deviceName);
    disassociateAll(deviceName);
    if (platform::associate_color_profile(deviceName, name)) return 0;
    // A display without any profile falls back to no colour management at all: the old ones
    // go back, the first last so that it is the default again.
    for (auto old = before.crbegin(); old != before.crend(); ++old)
        platform::associate_color_profile(deviceName, *old);
    return kAssociateFailed;
}

int disassociateAll(const QString& deviceName) {
    // A profile that will not let go is left; the others still go.
    for (const QString& name : display_profiles(deviceName))
        platform::disassociate_color_profile(deviceName, name);
    return 0;
}

int associatedProfile(const QString& deviceName, QString& name) {
    const QStringList names = display_profiles(deviceName);
    if (!names.isEmpty()) name = names.first();
    return 0;
}

bool uninstallProfile(const QString& path) {
    return platform::uninstall_color_profile(QDir::toNativeSeparators(path), true);
}

bool isAdobeCmmRegistered() {
    QList<platform::CMatcherValue> values;
    if (!platform::read_icm_matchers(values)) return false;
    bool registered = false;
    for (const platform::CMatcherValue& value : values)
        if (value.is_string() && value.name.contains(QLatin1String("adbe"), Qt::CaseInsensitive))
            registered = true;
    return registered;
}
