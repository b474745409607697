#include "platform/colord_display.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <cstdint>

#include "platform/display_services.h"
#include "platform/edid_identity.h"
#include "platform/sim_display_services.h"

namespace platform {

namespace {

int byte_at(const QByteArray& bytes, int i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// The registered name of a three-letter vendor code, from the first list that has it.
QString pnp_vendor_name(const QString& code, const QStringList& files) {
    const QByteArray key = code.toLatin1() + '\t';
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            if (line.startsWith(key)) return QString::fromUtf8(line.mid(key.size()).trimmed());
        }
    }
    return QString();
}

}  // namespace

QStringList default_pnp_id_files() {
    return {QStringLiteral("/usr/share/hwdata/pnp.ids"), QStringLiteral("/usr/share/misc/pnp.ids")};
}

QString connector_of_device(const QString& device_name) {
    const QString last = device_name.section(QLatin1Char('\\'), -1);
    static const QRegularExpression card(QStringLiteral("^card[0-9]+-(.+)$"));
    const QRegularExpressionMatch match = card.match(last);
    return match.hasMatch() ? match.captured(1) : QString();
}

CColordDisplay colord_display(const QString& connector, const QByteArray& edid,
                              const QStringList& pnp_id_files) {
    CColordDisplay d;
    d.connector = connector;
    const QString identifier = edid_identifier(edid);
    if (!identifier.isEmpty() && edid.size() >= 128) {
        d.edid = edid;
        d.vendor_code = identifier.left(3);
        const QString name = pnp_vendor_name(d.vendor_code, pnp_id_files);
        d.vendor_name = name.isEmpty() ? d.vendor_code : name;
        d.model = edid_descriptor_text(edid, kEdidNameTag);
        if (d.model.isEmpty())
            d.model = QStringLiteral("0x%1").arg(byte_at(edid, 11) << 8 | byte_at(edid, 10), 4, 16,
                                                 QLatin1Char('0'));
        d.serial = edid_descriptor_text(edid, kEdidSerialTag);
        if (d.serial.isEmpty()) {
            const std::uint32_t number =
                std::uint32_t(byte_at(edid, 12)) | std::uint32_t(byte_at(edid, 13)) << 8 |
                std::uint32_t(byte_at(edid, 14)) << 16 | std::uint32_t(byte_at(edid, 15)) << 24;
            d.serial = QStringLiteral("0x%1").arg(number, 8, 16, QLatin1Char('0'));
        }
        d.edid_md5 =
            QString::fromLatin1(QCryptographicHash::hash(edid, QCryptographicHash::Md5).toHex());
        const QString tail = QLatin1Char('-') + d.model + QLatin1Char('-') + d.serial;
        d.candidate_ids.append(QStringLiteral("xrandr-") + d.vendor_name + tail);
        if (d.vendor_name != d.vendor_code)
            d.candidate_ids.append(QStringLiteral("xrandr-") + d.vendor_code + tail);
    }
    if (!connector.isEmpty()) d.candidate_ids.append(QStringLiteral("xrandr-") + connector);
    if (!d.candidate_ids.isEmpty()) d.device_id = d.candidate_ids.first();
    return d;
}

CColordDisplay colord_display_for_device(const QString& device_name) {
    const CDisplayServices* services = display_services();
    // A simulated monitor has a device of its own: no output name, EDID or desktop id that a
    // real monitor could answer to.
    if (const auto* simulated = dynamic_cast<const CSimDisplayServices*>(services)) {
        const QString own = simulated->own_colord_device_id(device_name);
        CColordDisplay display;
        display.device_id = own;
        display.candidate_ids = {own};
        return display;
    }
    const QByteArray edid = services ? services->monitor_edid(device_name) : QByteArray();
    return colord_display(connector_of_device(device_name), edid);
}

}  // namespace platform
