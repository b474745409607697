#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The text tag types of version 2 profiles (and the localized strings of the version 4 one), built
// and parsed here byte for byte, since Little CMS keeps only one text per tag and derives the
// other part from it.

// A textDescriptionType tag: the ASCII part (each character beyond ASCII written as '?') and
// the whole text in the Unicode part in UTF-16, each with its terminating NUL counted; no
// ScriptCode part.
QByteArray encode_text_description(const QString& text);

struct CTextDescription {
    QByteArray ascii;                // up to the first NUL
    QString unicode;                 // up to the first NUL
    std::uint32_t unicodeCount = 0;  // as stored, terminator included
};
// False when `tag` is not a textDescriptionType tag or its ASCII part overruns it; a missing or
// truncated Unicode part reads as none.
bool decode_text_description(const QByteArray& tag, CTextDescription& out);

// A textType tag's text up to the first NUL; false for another type.
bool decode_text(const QByteArray& tag, QByteArray& out);

// The English string of a multiLocalizedUnicodeType tag, or its first; false for another type
// or a damaged one.
bool decode_localized_string(const QByteArray& tag, QString& out);

// The string of a multiLocalizedUnicodeType tag for a language (two lower-case letters):
// its United States record, else any of its records, else the first record; false for another
// type or a damaged tag.
bool decode_localized_string(const QByteArray& tag, const char* language, QString& out);

std::uint32_t tag_type_of(const QByteArray& tag);

// What a reader shows of a 'desc' tag: the Unicode part of a textDescriptionType when it has
// text (it holds what ASCII cannot), else its ASCII part; the English string of a version 4
// multiLocalizedUnicodeType, else its first. Empty for another type or a damaged tag.
QString description_text(const QByteArray& tag);
// What a reader shows of a 'cprt' tag: the text of a textType, or the English (else first)
// string of a multiLocalizedUnicodeType. Empty for another type or a damaged tag.
QString copyright_text(const QByteArray& tag);
