#include "profiles/icc_header.h"

#include "profiles/icc_numbers.h"

CIccHeaderFields display_profile_header(bool adobeCmm, const QDateTime& created) {
    CIccHeaderFields h;
    h.preferredCmm = adobeCmm ? icc_signature("ADBE") : icc_signature("MSFT");
    h.version = 0x02100000;
    h.deviceClass = icc_signature("mntr");
    h.colorSpace = icc_signature("RGB ");
    h.connectionSpace = icc_signature("XYZ ");
    h.created = created;
    h.platform = icc_signature("MSFT");
    h.attributes[0] = 1;
    h.attributes[1] = 0;
    h.creator = icc_signature("Vntr");
    return h;
}

bool write_icc_header(QByteArray& profile, const CIccHeaderFields& header) {
    if (profile.size() < kIccHeaderSize) return false;
    put_be32(profile, 4, header.preferredCmm);
    put_be32(profile, 8, header.version);
    put_be32(profile, 12, header.deviceClass);
    put_be32(profile, 16, header.colorSpace);
    put_be32(profile, 20, header.connectionSpace);
    const QDate date = header.created.date();
    const QTime time = header.created.time();
    put_be16(profile, 24, static_cast<std::uint16_t>(date.year()));
    put_be16(profile, 26, static_cast<std::uint16_t>(date.month()));
    put_be16(profile, 28, static_cast<std::uint16_t>(date.day()));
    put_be16(profile, 30, static_cast<std::uint16_t>(time.hour()));
    put_be16(profile, 32, static_cast<std::uint16_t>(time.minute()));
    put_be16(profile, 34, static_cast<std::uint16_t>(time.second()));
    put_be32(profile, 36, icc_signature("acsp"));
    put_be32(profile, 40, header.platform);
    put_be32(profile, 44, header.flags);
    put_be32(profile, 48, header.manufacturer);
    put_be32(profile, 52, header.model);
    put_be32(profile, 56, header.attributes[0]);
    put_be32(profile, 60, header.attributes[1]);
    put_be32(profile, 64, header.renderingIntent);
    for (int i = 0; i < 3; ++i)
        put_be32(profile, 68 + 4 * i,
                 static_cast<std::uint32_t>(to_s15Fixed16(header.illuminant[i])));
    put_be32(profile, 80, header.creator);
    for (int at = 84; at < kIccHeaderSize; ++at)
        profile[at] = '\0';
    return true;
}
