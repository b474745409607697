#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The 9 x 9 x 9 table that makes the monitor reproduce another device's colours, computed by
// the colour system from three profiles: source colour space -> emulated device -> the panel's
// native profile. Nodes run red fastest: n = (b * 9 + g) * 9 + r; each holds red, green and blue
// output in 0..1020.
class EmulationLut {
  public:
    static constexpr int kGridSize = 9;
    static constexpr int kNodeCount = kGridSize * kGridSize * kGridSize;
    static constexpr std::int32_t kMaxOutput = 1020;
    using Node = std::array<std::int32_t, 3>;
    using Table = std::array<Node, kNodeCount>;

    // The transform's intents and flags, as the colour system takes them.
    struct TransformSetup {
        std::uint32_t intents[3] = {0, 0, 0};
        std::uint32_t flags = 0;
    };

    EmulationLut();

    // A different path discards a computed table; the path is stored in any case.
    void setSourceProfile(const QString& path);
    void setDisplayProfile(const QString& path);
    void setEmulatedProfile(const QString& path);
    // 1 absolute colorimetric, 2 saturation, 3 relative colorimetric, 4 perceptual.
    void setIntentIndex(int index) { intentIndex_ = index; }
    void setSimulatePaper(bool on) { simulatePaper_ = on; }
    void setUseAdobeCmm(bool on) { useAdobeCmm_ = on; }

    const QString& sourceProfile() const { return sourceProfile_; }
    const QString& displayProfile() const { return displayProfile_; }
    const QString& emulatedProfile() const { return emulatedProfile_; }
    int intentIndex() const { return intentIndex_; }
    bool simulatePaper() const { return simulatePaper_; }
    bool useAdobeCmm() const { return useAdobeCmm_; }
    bool isValid() const { return valid_; }

    const Table& table() const { return table_; }
    const Node& node(int r, int g, int b) const {
        return table_[(b * kGridSize + g) * kGridSize + r];
    }

    // Builds the table through the colour system; on failure the identity table stays, not valid.
    bool compute();

    // The colour system's intent for an intent index; false outside 1..4.
    static bool mappedIntent(int intentIndex, std::uint32_t& intent);
    // What compute() asks the colour system for, once it knows whether the Adobe module was
    // both wanted and selected.
    static TransformSetup transformSetup(std::uint32_t mappedIntent, bool adobeSelected,
                                         bool simulatePaper);
    // The 16-bit input level of grid index i, and a 16-bit output level as a table value.
    static std::uint16_t gridLevel(int i);
    static std::int32_t tableValue(std::uint16_t output);

  private:
    void reset();
    void set_path(QString& stored, const QString& path);

    Table table_;
    QString sourceProfile_;
    QString displayProfile_;
    QString emulatedProfile_;
    int intentIndex_ = 4;
    bool valid_ = false;
    bool simulatePaper_ = false;
    bool useAdobeCmm_ = true;
};
