#include "platform/colord_client.h"

#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QFile>
#include <QMap>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ColorManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/ColorManager");
const QString kManager = QStringLiteral("org.freedesktop.ColorManager");
const QString kDevice = QStringLiteral("org.freedesktop.ColorManager.Device");
const QString kProfile = QStringLiteral("org.freedesktop.ColorManager.Profile");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kNotFound = QStringLiteral("org.freedesktop.ColorManager.NotFound");
const QString kAlreadyExists = QStringLiteral("org.freedesktop.ColorManager.AlreadyExists");
const QString kProfileAlreadyAdded =
    QStringLiteral("org.freedesktop.ColorManager.Device.ProfileAlreadyAdded");

using StringMap = QMap<QString, QString>;

QDBusConnection system_bus() {
    static const bool registered = [] {
        qDBusRegisterMetaType<StringMap>();
        return true;
    }();
    Q_UNUSED(registered);
    return QDBusConnection::systemBus();
}

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments, const QDBusConnection& bus = system_bus()) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, platform_timing::kColordCallTimeoutMs);
}

bool failed(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

QString reason(const QDBusMessage& reply) {
    return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
}

QString object_path(const QDBusMessage& reply) {
    if (reply.arguments().isEmpty()) return QString();
    return reply.arguments().first().value<QDBusObjectPath>().path();
}

// No system bus, or no colord on it: the fallback store stands in. Anything else means colord
// is there and must be asked again, not bypassed.
bool means_absent(const QString& error_name) {
    return error_name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error_name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           error_name == QLatin1String("org.freedesktop.DBus.Error.Disconnected") ||
           error_name == QLatin1String("org.freedesktop.DBus.Error.Spawn.ServiceNotFound");
}

QString to_hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

}  // namespace

QString colord_profile_id(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 128) return QString();
    const QByteArray id = bytes.mid(84, 16);
    if (id != QByteArray(16, '\0')) return QStringLiteral("icc-") + to_hex(id);
    return QStringLiteral("icc-") +
           to_hex(QCryptographicHash::hash(bytes, QCryptographicHash::Md5));
}

CColordClient::Presence CColordClient::presence() {
    error_.clear();
    const QDBusConnection bus = system_bus();
    if (!bus.isConnected()) {
        error_ = bus.lastError().message();
        return Presence::absent;
    }
    const QDBusMessage reply = call(kManagerPath, kProperties, QStringLiteral("Get"),
                                    {kManager, QStringLiteral("DaemonVersion")}, bus);
    if (failed(reply)) {
        error_ = reason(reply);
        return means_absent(reply.errorName()) ? Presence::absent : Presence::refusing;
    }
    version_ = reply.arguments().value(0).value<QDBusVariant>().variant().toString();
    return Presence::present;
}

QString CColordClient::find_device(const CColordDisplay& display) {
    error_.clear();
    const auto ask = [this](const QString& method, const QList<QVariant>& arguments) {
        const QDBusMessage reply = call(kManagerPath, kManager, method, arguments);
        if (!failed(reply)) return object_path(reply);
        if (reply.errorName() != kNotFound) error_ = reason(reply);
        return QString();
    };
    if (!display.edid_md5.isEmpty()) {
        const QString path = ask(QStringLiteral("FindDeviceByProperty"),
                                 {QStringLiteral("OutputEdidMd5"), display.edid_md5});
        if (!path.isEmpty() || !error_.isEmpty()) return path;
    }
    for (const QString& id : display.candidate_ids) {
        const QString path = ask(QStringLiteral("FindDeviceById"), {id});
        if (!path.isEmpty() || !error_.isEmpty()) return path;
    }
    if (!display.connector.isEmpty())
        return ask(QStringLiteral("FindDeviceByProperty"),
                   {QStringLiteral("XRANDR_name"), display.connector});
    return QString();
}

QString CColordClient::create_device(const CColordDisplay& display) {
    error_.clear();
    if (display.device_id.isEmpty()) {
        error_ = QStringLiteral("the display has neither an EDID nor an output name");
        return QString();
    }
    StringMap properties{{QStringLiteral("Kind"), QStringLiteral("display")},
                         {QStringLiteral("Mode"), QStringLiteral("virtual")},
                         {QStringLiteral("Colorspace"), QStringLiteral("rgb")}};
    if (!display.edid.isEmpty()) {
        properties.insert(QStringLiteral("Vendor"), display.vendor_name);
        properties.insert(QStringLiteral("Model"), display.model);
        properties.insert(QStringLiteral("Serial"), display.serial);
        properties.insert(QStringLiteral("OutputEdidMd5"), display.edid_md5);
    }
    if (!display.connector.isEmpty())
        properties.insert(QStringLiteral("XRANDR_name"), display.connector);
    const QDBusMessage reply =
        call(kManagerPath, kManager, QStringLiteral("CreateDevice"),
             {display.device_id, QStringLiteral("normal"), QVariant::fromValue(properties)});
    if (!failed(reply)) return object_path(reply);
    // Created meanwhile by someone else: take that one.
    if (reply.errorName() == kAlreadyExists) return find_device(display);
    error_ = reason(reply);
    return QString();
}

QString CColordClient::profile_for_file(const QString& path) {
    error_.clear();
    const QString id = colord_profile_id(path);
    if (id.isEmpty()) {
        error_ = QStringLiteral("cannot read the profile ") + path;
        return QString();
    }
    const auto find = [this, &id] {
        const QDBusMessage reply =
            call(kManagerPath, kManager, QStringLiteral("FindProfileById"), {id});
        if (!failed(reply)) return object_path(reply);
        if (reply.errorName() != kNotFound) error_ = reason(reply);
        return QString();
    };
    QString found = find();
    if (!found.isEmpty() || !error_.isEmpty()) return found;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("cannot open the profile ") + path;
        return QString();
    }
    const StringMap properties{{QStringLiteral("Filename"), path},
                               {QStringLiteral("FILE_checksum"), id.mid(4)}};
    QDBusMessage reply;
    if (system_bus().connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing) {
        reply = call(kManagerPath, kManager, QStringLiteral("CreateProfileWithFd"),
                     {id, QStringLiteral("normal"),
                      QVariant::fromValue(QDBusUnixFileDescriptor(file.handle())),
                      QVariant::fromValue(properties)});
    } else {
        reply = call(kManagerPath, kManager, QStringLiteral("CreateProfile"),
                     {id, QStringLiteral("normal"), QVariant::fromValue(properties)});
    }
    if (!failed(reply)) return object_path(reply);
    // The desktop's own watch on the folder may have registered it meanwhile.
    if (reply.errorName() == kAlreadyExists) return find();
    error_ = reason(reply);
    return QString();
}

QString CColordClient::find_profile_by_filename(const QString& path) {
    error_.clear();
    const QDBusMessage reply =
        call(kManagerPath, kManager, QStringLiteral("FindProfileByFilename"), {path});
    if (!failed(reply)) return object_path(reply);
    if (reply.errorName() != kNotFound) error_ = reason(reply);
    return QString();
}

bool CColordClient::delete_profile(const QString& profile) {
    error_.clear();
    const QDBusMessage reply = call(kManagerPath, kManager, QStringLiteral("DeleteProfile"),
                                    {QVariant::fromValue(QDBusObjectPath(profile))});
    if (!failed(reply)) return true;
    error_ = reason(reply);
    return false;
}

bool CColordClient::add_profile(const QString& device, const QString& profile) {
    error_.clear();
    const QDBusMessage reply =
        call(device, kDevice, QStringLiteral("AddProfile"),
             {QStringLiteral("hard"), QVariant::fromValue(QDBusObjectPath(profile))});
    // A profile whose metadata names the device is on it already, added by colord itself.
    if (!failed(reply) || reply.errorName() == kAlreadyExists ||
        reply.errorName() == kProfileAlreadyAdded)
        return true;
    error_ = reason(reply);
    return false;
}

bool CColordClient::make_profile_default(const QString& device, const QString& profile) {
    error_.clear();
    const QDBusMessage reply = call(device, kDevice, QStringLiteral("MakeProfileDefault"),
                                    {QVariant::fromValue(QDBusObjectPath(profile))});
    if (!failed(reply)) return true;
    error_ = reason(reply);
    return false;
}

bool CColordClient::remove_profile(const QString& device, const QString& profile) {
    error_.clear();
    const QDBusMessage reply = call(device, kDevice, QStringLiteral("RemoveProfile"),
                                    {QVariant::fromValue(QDBusObjectPath(profile))});
    if (!failed(reply)) return true;
    error_ = reason(reply);
    return false;
}

bool CColordClient::device_profiles(const QString& device, QStringList& profiles) {
    error_.clear();
    profiles.clear();
    const QDBusMessage reply =
        call(device, kProperties, QStringLiteral("Get"), {kDevice, QStringLiteral("Profiles")});
    if (failed(reply)) {
        error_ = reason(reply);
        return false;
    }
    const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
    QList<QDBusObjectPath> paths;
    if (value.canConvert<QDBusArgument>())
        paths = qdbus_cast<QList<QDBusObjectPath>>(value.value<QDBusArgument>());
    else
        paths = value.value<QList<QDBusObjectPath>>();
    for (const QDBusObjectPath& path : paths)
        profiles.append(path.path());
    return true;
}

QString CColordClient::profile_filename(const QString& profile) {
    error_.clear();
    const QDBusMessage reply =
        call(profile, kProperties, QStringLiteral("Get"), {kProfile, QStringLiteral("Filename")});
    if (failed(reply)) {
        error_ = reason(reply);
        return QString();
    }
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

QString CColordClient::profile_kind(const QString& profile) {
    error_.clear();
    const QDBusMessage reply =
        call(profile, kProperties, QStringLiteral("Get"), {kProfile, QStringLiteral("Kind")});
    if (failed(reply)) {
        error_ = reason(reply);
        return QString();
    }
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

}  // namespace platform
