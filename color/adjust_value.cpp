#include "color/adjust_value.h"

#include <QDataStream>
#include <algorithm>

#include "color/error_codes.h"
#include "color/stream_checks.h"

namespace {

// The least each streamed item can occupy, for checking a count against what is left.
constexpr qint64 kModeItemBytes = CModeSettings::kValueCount * 2;
constexpr qint64 kNamedEntryBytes = 4 + 2 + 2;             // empty string, code, slot
constexpr qint64 kCurveBytes = 4 + 4 + 4 + 4 * 8 + 1 + 4;  // a curve without points
constexpr qint64 kCurveSetBytes = 1 + 1 + 3 * kCurveBytes;
constexpr qsizetype kMaxCount = 0xFFFF;

bool read_count(QDataStream& stream, quint16& count, qint64 item_bytes) {
    stream >> count;
    if (stream.status() != QDataStream::Ok) return false;
    if (!stream_checks::may_hold(stream, count, item_bytes)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    return true;
}

void write_values(QDataStream& stream, const CModeSettings& item) {
    for (std::int16_t v : item.values)
        stream << qint16(v);
}

void read_values(QDataStream& stream, CModeSettings& item) {
    for (std::int16_t& v : item.values) {
        qint16 value = 0;
        stream >> value;
        v = value;
    }
}

}  // namespace

int CModeSettings::position_of(std::int32_t feature) {
    const auto at = std::find(kFeatures.begin(), kFeatures.end(), feature);
    return at == kFeatures.end() ? -1 : static_cast<int>(at - kFeatures.begin());
}

bool CModeSettings::set_feature(std::int32_t code, std::int16_t value) {
    const int i = position_of(code);
    if (i < 0) return false;
    values[static_cast<std::size_t>(i)] = value;
    return true;
}

std::int16_t CModeSettings::feature(std::int32_t code) const {
    const int i = position_of(code);
    return i < 0 ? 0 : values[static_cast<std::size_t>(i)];
}

std::int16_t CModeSettings::chromaticity_x(int i) const {
    return i >= 0 && i < 4 ? values[static_cast<std::size_t>(4 + 2 * i)] : 0;
}

std::int16_t CModeSettings::chromaticity_y(int i) const {
    return i >= 0 && i < 4 ? values[static_cast<std::size_t>(5 + 2 * i)] : 0;
}

bool CAdjustValue::setModeSettings(const CModeSettings& item) {
    for (CModeSettings& existing : modeSettings) {
        if (existing.key() == item.key()) {
            existing = item;
            return true;
        }
    }
    return false;
}

const CModeSettings* CAdjustValue::findModeSettings(int memory) const {
    for (const CModeSettings& item : modeSettings) {
        if (item.key() == memory) return &item;
    }
    return nullptr;
}

bool CAdjustValue::getCurveSet(int key, CCurveSet& out) const {
    for (const CCurveSet& set : curveSets) {
        if (set.key == key) {
            out = set;
            return true;
        }
    }
    return false;
}

void CAdjustValue::setCurveSet(const CCurveSet& set) {
    for (CCurveSet& existing : curveSets) {
        if (existing.key == set.key) {
            existing = set;
            return;
        }
    }
    curveSets.append(set);
}

void CAdjustValue::set_factory_primary(Channel c, std::int16_t x, std::int16_t y) {
    factoryPrimaries[static_cast<std::size_t>(2 * c)] = x;
    factoryPrimaries[static_cast<std::size_t>(2 * c + 1)] = y;
}

void CAdjustValue::set_corrected_primary(Channel c, std::int16_t x, std::int16_t y) {
    correctedPrimaries[static_cast<std::size_t>(2 * c)] = x;
    correctedPrimaries[static_cast<std::size_t>(2 * c + 1)] = y;
}

int CAdjustValue::write(QDataStream& stream) const {
    // A 16-bit count cannot describe a longer list; writing it would corrupt the file.
    if (modeSettings.size() > kMaxCount || namedEntries.size() > kMaxCount ||
        curveSets.size() > kMaxCount) {
        return ui_error::kFileReadError;  // the record has one stream error for both ways
    }
    const stream_checks::CDoublePrecisionScope precision(stream);
    stream << quint32(kMagic) << qint32(version);

    stream << quint16(modeSettings.size());
    for (const CModeSettings& item : modeSettings)
        write_values(stream, item);

    stream << quint16(namedEntries.size());
    for (const CNamedEntry& entry : namedEntries)
        stream << entry.name << qint16(entry.code) << qint16(entry.slot);

    stream << qint8(flagA);
    for (std::int16_t v : factoryPrimaries)
        stream << qint16(v);
    stream << qint8(flagB);
    for (std::int16_t v : correctedPrimaries)
        stream << qint16(v);
    write_values(stream, referenceSettings);

    stream << quint16(curveSets.size());
    for (const CCurveSet& set : curveSets) {
        stream << qint8(set.flag) << qint8(set.key);
        set.red.write(stream);
        set.green.write(stream);
        set.blue.write(stream);
    }

    for (double v : calibration)
        stream << v;
    stream << extra;
    return stream.status() == QDataStream::Ok ? 0 : ui_error::kFileReadError;
}

int CAdjustValue::read(QDataStream& stream) {
    loaded = false;
    // The magic and version are checked before anything of this record changes.
    quint32 magic = 0;
    stream >> magic;
    if (magic != kMagic) return ui_error::kFileWrongMagic;
    qint32 stream_version = 0;
    stream >> stream_version;
    if (stream_version != version) return ui_error::kFileUnsupportedVersion;

    // Everything else is read aside and taken over only once the whole record is in.
    const stream_checks::CDoublePrecisionScope precision(stream);
    CAdjustValue in;
    quint16 count = 0;

    if (!read_count(stream, count, kModeItemBytes)) return ui_error::kFileReadError;
    for (int i = 0; i < count; ++i) {
        CModeSettings item;
        read_values(stream, item);
        if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;
        in.modeSettings.append(item);
    }

    if (!read_count(stream, count, kNamedEntryBytes)) return ui_error::kFileReadError;
    for (int i = 0; i < count; ++i) {
        CNamedEntry entry;
        qint16 code = 0, slot = 0;
        if (!stream_checks::read_string(stream, entry.name)) return ui_error::kFileReadError;
        stream >> code >> slot;
        if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;
        entry.code = code;
        entry.slot = slot;
        in.namedEntries.append(entry);
    }

    qint8 flag = 0;
    stream >> flag;
    in.flagA = flag;
    for (std::int16_t& v : in.factoryPrimaries) {
        qint16 value = 0;
        stream >> value;
        v = value;
    }
    stream >> flag;
    in.flagB = flag;
    for (std::int16_t& v : in.correctedPrimaries) {
        qint16 value = 0;
        stream >> value;
        v = value;
    }
    read_values(stream, in.referenceSettings);

    if (!read_count(stream, count, kCurveSetBytes)) return ui_error::kFileReadError;
    // The count has been checked against what is left, so it may size the list; growing
    // item by item would copy the curves through their assignment rule.
    if (stream_checks::bytes_left(stream) >= 0) in.curveSets.reserve(count);
    for (int i = 0; i < count; ++i) {
        // Read in place: a copy would turn a curve without a kind into a Catmull-Rom one and
        // so change the record's bytes.
        CCurveSet& set = in.curveSets.emplaceBack();
        qint8 set_flag = 0, set_key = 0;
        stream >> set_flag >> set_key;
        if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;
        set.flag = set_flag;
        set.key = set_key;
        for (CSpline* curve : {&set.red, &set.green, &set.blue}) {
            const int result = curve->read(stream);
            if (result != 0) return result;
        }
    }

    for (double& v : in.calibration)
        stream >> v;
    if (!stream_checks::read_bytes(stream, in.extra)) return ui_error::kFileReadError;
    if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;

    modeSettings = std::move(in.modeSettings);
    namedEntries = std::move(in.namedEntries);
    flagA = in.flagA;
    factoryPrimaries = in.factoryPrimaries;
    flagB = in.flagB;
    correctedPrimaries = in.correctedPrimaries;
    referenceSettings = in.referenceSettings;
    curveSets = std::move(in.curveSets);
    calibration = in.calibration;
    extra = std::move(in.extra);
    loaded = true;
    return 0;
}
