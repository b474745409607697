#include "profiles/icc_text_tags.h"

#include <QList>

#include "profiles/icc_numbers.h"

namespace {

constexpr int kScriptCodeBytes = 67;

QString utf16be_to_string(const QByteArray& bytes, qsizetype at, qsizetype units) {
    QString text;
    text.reserve(units);
    for (qsizetype i = 0; i < units; ++i) {
        std::uint16_t unit = 0;
        if (!read_be16(bytes, at + 2 * i, unit) || unit == 0) break;
        text.append(QChar(unit));
    }
    return text;
}

}  // namespace

std::uint32_t tag_type_of(const QByteArray& tag) {
    std::uint32_t type = 0;
    read_be32(tag, 0, type);
    return type;
}

QByteArray encode_text_description(const QString& text) {
    // Readers show the first part as 7-bit ASCII: a character it cannot hold becomes one '?'
    // (UTF-8 bytes there would show as several wrong characters); the Unicode part has it all.
    QByteArray ascii;
    for (const char32_t c : text.toUcs4())
        ascii.append(c < 0x80 && c != 0 ? static_cast<char>(c) : '?');
    QByteArray tag;
    append_be32(tag, icc_signature("desc"));
    append_be32(tag, 0);
    append_be32(tag, static_cast<std::uint32_t>(ascii.size() + 1));
    tag.append(ascii).append('\0');
    append_be32(tag, 0);  // Unicode language code
    append_be32(tag, static_cast<std::uint32_t>(text.size() + 1));
    for (QChar c : text)
        append_be16(tag, c.unicode());
    append_be16(tag, 0);
    append_be16(tag, 0);  // ScriptCode code
    tag.append('\0');     // ScriptCode count
    tag.append(QByteArray(kScriptCodeBytes, '\0'));
    return tag;
}

bool decode_text_description(const QByteArray& tag, CTextDescription& out) {
    std::uint32_t count = 0;
    if (tag_type_of(tag) != icc_signature("desc") || !read_be32(tag, 8, count)) return false;
    if (count > std::uint64_t(tag.size() - 12)) return false;
    const QByteArray ascii = tag.mid(12, count);
    const qsizetype nul = ascii.indexOf('\0');
    out.ascii = nul < 0 ? ascii : ascii.left(nul);
    out.unicode.clear();
    out.unicodeCount = 0;

    const qsizetype unicodeAt = 12 + qsizetype(count);
    std::uint32_t units = 0;
    if (!read_be32(tag, unicodeAt + 4, units)) return true;
    if (std::uint64_t(units) * 2 > std::uint64_t(tag.size() - (unicodeAt + 8))) return true;
    out.unicodeCount = units;
    out.unicode = utf16be_to_string(tag, unicodeAt + 8, units);
    return true;
}

bool decode_text(const QByteArray& tag, QByteArray& out) {
    if (tag_type_of(tag) != icc_signature("text") || tag.size() < 8) return false;
    const QByteArray text = tag.mid(8);
    const qsizetype nul = text.indexOf('\0');
    out = nul < 0 ? text : text.left(nul);
    return true;
}

bool decode_localized_string(const QByteArray& tag, QString& out) {
    std::uint32_t records = 0, recordSize = 0;
    if (tag_type_of(tag) != icc_signature("mluc") || !read_be32(tag, 8, records) ||
        !read_be32(tag, 12, recordSize) || records == 0 || recordSize < 12)
        return false;
    // The English record, else the first; a record table that overruns the tag ends the search.
    std::uint64_t chosen = 16;
    for (std::uint64_t i = 0; i < records; ++i) {
        const std::uint64_t at = 16 + i * recordSize;
        std::uint16_t language = 0;
        if (at + 12 > std::uint64_t(tag.size()) || !read_be16(tag, qsizetype(at), language)) break;
        if (language == (std::uint16_t('e') << 8 | std::uint16_t('n'))) {
            chosen = at;
            break;
        }
    }
    std::uint32_t length = 0, offset = 0;
    if (!read_be32(tag, qsizetype(chosen) + 4, length) ||
        !read_be32(tag, qsizetype(chosen) + 8, offset))
        return false;
    if (std::uint64_t(offset) + length > std::uint64_t(tag.size())) return false;
    out = utf16be_to_string(tag, offset, length / 2);
    return true;
}

bool decode_localized_string(const QByteArray& tag, const char* language, QString& out) {
    std::uint32_t records = 0, recordSize = 0;
    if (tag_type_of(tag) != icc_signature("mluc") || !read_be32(tag, 8, records) ||
        !read_be32(tag, 12, recordSize) || records == 0 || recordSize < 12)
        return false;
    const std::uint16_t wanted =
        static_cast<std::uint16_t>(std::uint8_t(language[0]) << 8 | std::uint8_t(language[1]));
    // The language with the United States first (as Little CMS picks English), then the
    // language in any country, then the first record.
    qsizetype best = -1;
    int bestRank = 0;
    for (std::uint32_t i = 0; i < records; ++i) {
        const qsizetype at = 16 + qsizetype(i) * recordSize;
        std::uint16_t code = 0, country = 0;
        if (!read_be16(tag, at, code) || !read_be16(tag, at + 2, country)) return false;
        const int rank = code != wanted ? 1 : country == 0x5553 /* US */ ? 3 : 2;
        if (rank > bestRank) {
            best = at;
            bestRank = rank;
        }
    }
    std::uint32_t length = 0, offset = 0;
    if (best < 0 || !read_be32(tag, best + 4, length) || !read_be32(tag, best + 8, offset))
        return false;
    if (std::uint64_t(offset) + length > std::uint64_t(tag.size())) return false;
    out = utf16be_to_string(tag, offset, length / 2);
    return true;
}

QString description_text(const QByteArray& tag) {
    CTextDescription description;
    if (decode_text_description(tag, description)) {
        if (description.unicodeCount > 1 && !description.unicode.isEmpty()) {
            QString text = description.unicode;
            if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
            return text;
        }
        return QString::fromLocal8Bit(description.ascii);
    }
    QString localized;
    return decode_localized_string(tag, "en", localized) ? localized : QString();
}

QString copyright_text(const QByteArray& tag) {
    QByteArray text;
    if (decode_text(tag, text)) return QString::fromLocal8Bit(text);
    QString localized;
    return decode_localized_string(tag, "en", localized) ? localized : QString();
}
