#pragma once

#include <QByteArray>
#include <array>

#include "sim/sim_model.h"
#include "sim/sim_state.h"

namespace sim {

using CSimTriple = std::array<double, 3>;
using CSimMatrix = std::array<CSimTriple, 3>;  // row-major

// How far the simulated panel strays from an ideal one; seeded from the serial so that a
// monitor measures the same on every run.
struct CSimPanelFlaws {
    CSimTriple exponent{};  // each channel's response is raised to 1 + exponent
    CSimTriple gain{};      // and scaled by 1 + gain
};

// The bounds the flaws stay within: gray patches track the target within a fraction of a
// CIEDE2000 unit.
constexpr double kSimMaxExponentFlaw = 0.012;
constexpr double kSimMaxGainFlaw = 0.004;

CSimPanelFlaws panel_flaws(const QByteArray& serial);

// What a simulated monitor's panel shows in its active picture mode: the 3D LUT of a
// programmable mode, the tone curve (the gamma tables of the memory for a programmable curve,
// otherwise the curve followed by those tables as a correction), the mode's primaries and white
// mapped onto the panel's native ones (from the factory data at 0x8800) with drives outside
// the panel clipped, the mode's luminance and black level, and the panel's flaws.
class CSimPanel {
  public:
    CSimPanel(const CSimModel& model, const CSimMonitorState& state, const CSimPanelFlaws& flaws);

    // XYZ in cd/m² of a signal (each channel 0..1).
    CSimTriple xyz(const CSimTriple& signal) const;

    // The panel's native primaries at full drive (columns, cd/m²).
    const CSimMatrix& native() const { return native_; }
    double white_luminance() const { return span_ + black_; }
    double black_luminance() const { return black_; }

  private:
    CSimTriple lut3d(const CSimTriple& signal) const;
    double tone(int channel, double signal) const;

    const CSimMemoryState* memory_ = nullptr;
    std::vector<std::uint16_t> lut_;  // empty: no 3D LUT in use
    CSimPanelFlaws flaws_;
    int gamma_type_ = 0;
    double gamma_ = 2.2;
    double dicom_black_ = 0.0;
    double dicom_white_ = 0.0;
    CSimMatrix native_{};
    CSimMatrix native_inverse_{};
    CSimMatrix target_{};  // the mode's primaries, white at Y = 1
    CSimTriple white_{};   // the mode's white at Y = 1
    double span_ = 0.0;    // white minus black luminance
    double black_ = 0.0;
};

// The native primaries the factory data in the memory map holds (columns, cd/m² at full drive).
CSimMatrix stored_native_primaries(const QByteArray& memory);

}  // namespace sim
