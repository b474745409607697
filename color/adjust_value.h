#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

#include "color/spline.h"

class QDataStream;

// One picture-mode memory as the monitor reports it: sixteen values, one per feature code in
// a fixed order. The first, the memory number, keys the item.
struct CModeSettings {
    static constexpr int kValueCount = 16;
    // The feature each value holds, in the order the values are kept and streamed.
    static constexpr std::array<std::int32_t, kValueCount> kFeatures = {
        0x1050, 0x1051, 0x1069, 0x106B, 0x1052, 0x1053, 0x1055, 0x1056,
        0x1057, 0x1058, 0x1059, 0x105A, 0x268,  0x2E8,  0x2B3,  0x1054};
    // The order in which the monitor is asked for them (what it needs selected first).
    static constexpr std::array<std::int32_t, kValueCount> kReadOrder = {
        0x1050, 0x1052, 0x1053, 0x1055, 0x1056, 0x1057, 0x1058, 0x1059,
        0x105A, 0x2E8,  0x268,  0x2B3,  0x1054, 0x1051, 0x106B, 0x1069};

    std::array<std::int16_t, kValueCount> values{};

    // Where a feature's value sits, or -1 when the item does not hold it.
    static int position_of(std::int32_t feature);
    // Stores the value of one feature; false when the item does not hold it.
    bool set_feature(std::int32_t feature, std::int16_t value);
    // The value of one feature, 0 when the item does not hold it.
    std::int16_t feature(std::int32_t feature) const;

    std::int16_t key() const { return values[0]; }
    std::int16_t memory() const { return values[0]; }
    std::int16_t preset() const { return values[1]; }
    // Chromaticity i (0 .. 3) of the mode in thousandths.
    std::int16_t chromaticity_x(int i) const;
    std::int16_t chromaticity_y(int i) const;
    // 5 DICOM, 6 programmable, 9 gamma, 12 L*, anything else sRGB.
    std::int16_t curve_type() const { return values[12]; }
    // For the gamma type: (gamma - 0.5) * 100.
    std::int16_t gamma_code() const { return values[13]; }
    std::int16_t brightness() const { return values[14]; }
    std::int16_t black_level() const { return values[15]; }

    bool operator==(const CModeSettings&) const = default;
};

// A picture mode the user named in the monitor, kept with its slot (from 1) and the preset
// number it shows as (slot + 7).
struct CNamedEntry {
    static constexpr std::int16_t kPresetOffset = 7;

    QString name;
    std::int16_t code = 0;
    std::int16_t slot = 0;

    static CNamedEntry for_slot(const QString& name, std::int16_t slot) {
        return {name, static_cast<std::int16_t>(slot + kPresetOffset), slot};
    }
    bool operator==(const CNamedEntry&) const = default;
};

// The three tone curves of a programmable mode, keyed by the second of two flag bytes.
struct CCurveSet {
    std::int8_t flag = 0;
    std::int8_t key = 0;
    CSpline red;
    CSpline green;
    CSpline blue;
};

// The stored adjustment state of one monitor: its picture-mode items, named modes, factory
// primaries and calibration matrix, the reference item of the current display profile, the
// programmable curve sets and a copy of its capability string.
class CAdjustValue {
  public:
    static constexpr std::uint32_t kMagic = 0xDEADFADE;
    static constexpr std::int32_t kVersion = 121;
    enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

    bool loaded = false;
    std::int32_t version = kVersion;
    QList<CModeSettings> modeSettings;
    QList<CNamedEntry> namedEntries;
    // Primaries measured at the factory (x, y of red, green, blue in thousandths) and the
    // flag that they are present.
    std::int8_t flagA = 0;
    std::array<std::int16_t, 6> factoryPrimaries{};
    // The same primaries corrected through the inverse of the calibration matrix.
    std::int8_t flagB = 0;
    std::array<std::int16_t, 6> correctedPrimaries{};
    // The mode item the current display profile was made for; a mode whose item differs
    // needs a new profile.
    CModeSettings referenceSettings;
    QList<CCurveSet> curveSets;
    // The monitor's 3 x 3 calibration matrix in row order.
    std::array<double, 9> calibration{};
    QByteArray extra;

    CAdjustValue() = default;
    CAdjustValue(const CAdjustValue&) = default;
    CAdjustValue& operator=(const CAdjustValue&) = default;
    virtual ~CAdjustValue() = default;

    // Replaces the item with the same key; false when there is none (nothing is added).
    bool setModeSettings(const CModeSettings& item);
    // The item of a memory, or null.
    const CModeSettings* findModeSettings(int memory) const;
    // Copies the set whose key byte is `key` into `out`; false when there is none.
    bool getCurveSet(int key, CCurveSet& out) const;
    // Replaces the flag bytes and curves of the set with the same key, or appends a copy.
    void setCurveSet(const CCurveSet& set);

    bool has_factory_primaries() const { return flagA != 0; }
    void set_has_factory_primaries(bool present) { flagA = present ? 1 : 0; }
    std::int16_t factory_x(Channel c) const { return factoryPrimaries[2 * c]; }
    std::int16_t factory_y(Channel c) const { return factoryPrimaries[2 * c + 1]; }
    void set_factory_primary(Channel c, std::int16_t x, std::int16_t y);

    bool has_corrected_primaries() const { return flagB != 0; }
    void set_has_corrected_primaries(bool present) { flagB = present ? 1 : 0; }
    std::int16_t corrected_x(Channel c) const { return correctedPrimaries[2 * c]; }
    std::int16_t corrected_y(Channel c) const { return correctedPrimaries[2 * c + 1]; }
    void set_corrected_primary(Channel c, std::int16_t x, std::int16_t y);

    double calibration_at(int row, int column) const { return calibration[3 * row + column]; }
    void set_calibration(const std::array<double, 9>& row_order) { calibration = row_order; }

    // 0, or ui_error::kFileReadError when the stream fails or a list is too long for its 16-bit
    // count.
    int write(QDataStream& stream) const;
    // 0, ui_error::kFileWrongMagic, kFileUnsupportedVersion, kFileReadError or a curve's own
    // result. The record changes only when the whole of it has been read; `loaded` tells whether
    // that happened.
    int read(QDataStream& stream);
};
