#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

#include "profiles/profile_spec.h"

// An ICC file read straight from its bytes, independently of the library that wrote it.
namespace profile_bytes {

std::uint32_t be32(const QByteArray& bytes, qsizetype at);
std::uint16_t be16(const QByteArray& bytes, qsizetype at);
double s15Fixed16(const QByteArray& bytes, qsizetype at);
std::uint32_t signature(const char (&text)[5]);

struct CTagEntry {
    std::uint32_t signature = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
QList<CTagEntry> tag_table(const QByteArray& profile);
QList<std::uint32_t> tag_signatures(const QByteArray& profile);
// The tag's bytes, empty when the profile has no such tag.
QByteArray tag(const QByteArray& profile, const char (&name)[5]);

// The ICC profile ID the file should carry: the MD5 of its bytes with the header's flags,
// rendering intent and profile ID taken as zero.
QByteArray expected_profile_id(const QByteArray& profile);

// A display of ours: a wide-gamut panel with a D65 white.
ProfileSpec sample_spec(const QString& path);

// A fresh folder inside this test process's sandbox.
QString fresh_folder(const QString& name);

}  // namespace profile_bytes
