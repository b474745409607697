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

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(arguments);
    return QDBusConnection::systemBus().call(m, QDBus::Block,
                                             platform_timing::kColordReadingTimeoutMs);
}

QString tr(const char* text) {
    return QCoreApplication::translate("Instrument", text);
}

}  // namespace

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
        return fail(kFailed, tr("The instrument cannot measure a display (%1).").arg(message));
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
    const QString path = sensors.first().path();
    const QDBusMessage lock = call(path, kSensorInterface, QStringLiteral("Lock"));
    if (lock.type() != QDBusMessage::ReplyMessage)
        return failure(lock.errorName(), lock.errorMessage());
    path_ = path;
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
    const QDBusMessage reply =
        call(path_, kSensorInterface, QStringLiteral("GetSample"), {QStringLiteral("lcd")});
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
}

}  // namespace platform
