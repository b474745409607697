#include "platform/colord_sensor.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include "platform/platform_timing.h"

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ColorManager");
const QString kManager = QStringLiteral("/org/freedesktop/ColorManager");
const QString kSensorInterface = QStringLiteral("org.freedesktop.ColorManager.Sensor");

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {},
                  int timeout_ms = platform_timing::kColordReadingTimeoutMs) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(arguments);
    return QDBusConnection::systemBus().call(m, QDBus::Block, timeout_ms);
}

// A property of a sensor; invalid when colord does not answer with it.
QVariant sensor_property(const QString& path, const QString& name) {
    const QDBusMessage reply =
        call(path, kProperties, QStringLiteral("Get"), {kSensorInterface, name},
             platform_timing::kColordCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QStringList string_list(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) {
        QStringList list;
        value.value<QDBusArgument>() >> list;
        return list;
    }
    return value.toStringList();
}

// colord's sample kinds for a display; lcd-ccfl, lcd-white-led, wide-gamut-lcd-rgb-led and the
// like are LCDs told apart by their backlight.
bool measures_display(const QString& kind) {
    static const QStringList displays = {QStringLiteral("lcd"),    QStringLiteral("led"),
                                         QStringLiteral("oled"),   QStringLiteral("crt"),
                                         QStringLiteral("plasma"), QStringLiteral("projector"),
                                         QStringLiteral("display")};
    return displays.contains(kind) || kind.split(QLatin1Char('-')).contains(QLatin1String("lcd"));
}

QString tr(const char* text) {
    return QCoreApplication::translate("Instrument", text);
}

}  // namespace

const QStringList CColordSensor::kLcdSampleKinds = {
    QStringLiteral("lcd"),           QStringLiteral("led"),
    QStringLiteral("lcd-white-led"), QStringLiteral("wide-gamut-lcd-rgb-led"),
    QStringLiteral("lcd-rgb-led"),   QStringLiteral("wide-gamut-lcd-ccfl"),
    QStringLiteral("lcd-ccfl"),      QStringLiteral("display"),
};

QString CColordSensor::choose_sample_kind(const QStringList& capabilities,
                                          const QStringList& preferred) {
    for (const QString& kind : preferred) {
        if (capabilities.contains(kind) && measures_display(kind)) return kind;
    }
    for (const QString& kind : capabilities) {
        if (measures_display(kind)) return kind;
    }
    return QString();
}

QString CColordSensor::name() const {
    return tr("Instrument through colord");
}

int CColordSensor::failure(const QString& error_name, const QString& message) {
    using namespace instrument_error;
    if (error_name.endsWith(QLatin1String(".NoReply")) ||
        error_name.endsWith(QLatin1String(".Timeout")))
        return fail(kTimeout, tr("colord's instrument did not answer in time."));
    if (error_name.endsWith(QLatin1String(".AlreadyLocked")) ||
        error_name.endsWith(QLatin1String(".InUse")))
        return fail(kBusy, tr("The instrument is in use by another program (%1).").arg(message));
    if (error_name.endsWith(QLatin1String(".ServiceUnknown")) ||
        error_name.endsWith(QLatin1String(".NoServer")) ||
        error_name.endsWith(QLatin1String(".Disconnected")))
        return fail(kMissing, tr("colord is not running on this system."));
    if (error_name.endsWith(QLatin1String(".NoSupport")))
        return fail(kNoDisplay, tr("The instrument cannot measure a display (%1).").arg(message));
    return fail(kFailed, tr("colord: %1").arg(message.isEmpty() ? error_name : message));
}

int CColordSensor::open() {
    clear_error();
    close();
    if (cancelled())
        return fail(instrument_error::kCancelled,
                    instrument_error_text(instrument_error::kCancelled));
    if (!QDBusConnection::systemBus().isConnected())
        return fail(instrument_error::kMissing, tr("There is no system bus to reach colord."));
    const QDBusMessage list = call(kManager, kService, QStringLiteral("GetSensors"));
    if (list.type() != QDBusMessage::ReplyMessage)
        return failure(list.errorName(), list.errorMessage());
    QList<QDBusObjectPath> sensors;
    if (!list.arguments().isEmpty()) {
        const QDBusArgument argument = list.arguments().first().value<QDBusArgument>();
        argument >> sensors;
    }
    if (sensors.isEmpty())
        return fail(instrument_error::kNone, tr("colord knows no measuring instrument."));
    QString path, kind, refused;
    for (const QDBusObjectPath& sensor : sensors) {
        const QVariant capabilities =
            sensor_property(sensor.path(), QStringLiteral("Capabilities"));
        // A colord that does not say is asked for the LCD sample it always gave.
        kind = capabilities.isValid() ? choose_sample_kind(string_list(capabilities))
                                      : QStringLiteral("lcd");
        if (!kind.isEmpty()) {
            path = sensor.path();
            break;
        }
        if (refused.isEmpty()) {
            const QString model = sensor_property(sensor.path(), QStringLiteral("Kind")).toString();
            const QStringList offered = string_list(capabilities);
            refused = tr("colord's instrument (%1) cannot measure a display: it offers only %2.")
                          .arg(model.isEmpty() ? tr("unknown") : model,
                               offered.isEmpty() ? tr("no kind of sample")
                                                 : offered.join(QStringLiteral(", ")));
        }
    }
    if (path.isEmpty()) return fail(instrument_error::kNoDisplay, refused);
    const QDBusMessage lock = call(path, kSensorInterface, QStringLiteral("Lock"));
    if (lock.type() != QDBusMessage::ReplyMessage)
        return failure(lock.errorName(), lock.errorMessage());
    path_ = path;
    kind_ = kind;
    locked_ = true;
    return 0;
}

int CColordSensor::read(CInstrumentSample& sample) {
    clear_error();
    if (!locked_)
        return fail(instrument_error::kNone, instrument_error_text(instrument_error::kNone));
    if (cancelled())
        return fail(instrument_error::kCancelled,
                    instrument_error_text(instrument_error::kCancelled));
    const QDBusMessage reply = call(path_, kSensorInterface, QStringLiteral("GetSample"), {kind_});
    if (cancelled())
        return fail(instrument_error::kCancelled,
                    instrument_error_text(instrument_error::kCancelled));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return failure(reply.errorName(), reply.errorMessage());
    // colord answers one (ddd) structure: X, Y, Z.
    const QVariantList values = reply.arguments();
    if (values.size() == 1 && values.first().canConvert<QDBusArgument>()) {
        const QDBusArgument argument = values.first().value<QDBusArgument>();
        if (argument.currentType() == QDBusArgument::StructureType) {
            argument.beginStructure();
            argument >> sample.X >> sample.Y >> sample.Z;
            argument.endStructure();
            return 0;
        }
    }
    if (values.size() == 3) {
        sample = {values[0].toDouble(), values[1].toDouble(), values[2].toDouble()};
        return 0;
    }
    return fail(instrument_error::kFailed, tr("colord sent a sample that is not XYZ."));
}

void CColordSensor::close() {
    if (locked_) call(path_, kSensorInterface, QStringLiteral("Unlock"));
    locked_ = false;
    path_.clear();
    kind_.clear();
}

}  // namespace platform
