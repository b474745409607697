#include "profile_bytes.h"

#include <QCryptographicHash>

#include <QDir>

#include "support/test_environment.h"

namespace profile_bytes {

QByteArray expected_profile_id(const QByteArray& profile) {
    QByteArray hashed = profile;
    for (int at : {44, 45, 46, 47, 64, 65, 66, 67})
        hashed[at] = '\0';
    hashed.replace(84, 16, QByteArray(16, '\0'));
    return QCryptographicHash::hash(hashed, QCryptographicHash::Md5);
}

std::uint32_t be32(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size()) return 0;
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
           (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint8_t(bytes[at + 3]);
}

std::uint16_t be16(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 2 > bytes.size()) return 0;
    return static_cast<std::uint16_t>((std::uint8_t(bytes[at]) << 8) | std::uint8_t(bytes[at + 1]));
}

double s15Fixed16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::int32_t>(be32(bytes, at)) / 65536.0;
}

std::uint32_t signature(const char (&text)[5]) {
    return be32(QByteArray(text, 4), 0);
}

QList<CTagEntry> tag_table(const QByteArray& profile) {
    QList<CTagEntry> entries;
    const std::uint32_t count = be32(profile, 128);
    for (std::uint32_t i = 0; i < count && 132 + 12 * qsizetype(i) + 12 <= profile.size(); ++i) {
        const qsizetype at = 132 + 12 * qsizetype(i);
        entries.append({be32(profile, at), be32(profile, at + 4), be32(profile, at + 8)});
    }
    return entries;
}

QList<std::uint32_t> tag_signatures(const QByteArray& profile) {
    QList<std::uint32_t> signatures;
    for (const CTagEntry& entry : tag_table(profile))
        signatures.append(entry.signature);
    return signatures;
}

QByteArray tag(const QByteArray& profile, const char (&name)[5]) {
    for (const CTagEntry& entry : tag_table(profile))
        if (entry.signature == signature(name)) return profile.mid(entry.offset, entry.size);
    return QByteArray();
}

ProfileSpec sample_spec(const QString& path) {
    ProfileSpec spec;
    spec.path = path;
    spec.description = QStringLiteral("KX272W 12345678 ORV Mode 1");
    spec.copyright = QStringLiteral("Copyright (c) Kestrel. All rights reserved.");
    spec.created = QDateTime(QDate(2024, 3, 9), QTime(17, 45, 12));
    spec.gamma = 2.2;
    spec.whiteX = 0.3127;
    spec.whiteY = 0.3290;
    spec.redX = 0.680;
    spec.redY = 0.320;
    spec.greenX = 0.265;
    spec.greenY = 0.690;
    spec.blueX = 0.150;
    spec.blueY = 0.060;
    return spec;
}

QString fresh_folder(const QString& name) {
    const QString folder = testing_support::sandbox_folder() + QStringLiteral("/") + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

}  // namespace profile_bytes
