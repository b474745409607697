#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// Colour matching modules by signature. Only the default module is always there; another one
// counts as present when the matcher registry names it with a text value.
constexpr std::uint32_t kCmmDefault = 0x57696E20;  // 'Win '
constexpr std::uint32_t kCmmAdobe = 0x41444245;    // 'ADBE'

// Rendering intents, numbered as in ICC profiles.
enum : std::uint32_t {
    kIntentPerceptual = 0,
    kIntentRelativeColorimetric = 1,
    kIntentSaturation = 2,
    kIntentAbsoluteColorimetric = 3,
};

// Transform creation flags: quality in the low word, hints in the high word.
constexpr std::uint32_t kProofMode = 0x1;
constexpr std::uint32_t kNormalMode = 0x2;
constexpr std::uint32_t kBestMode = 0x3;
constexpr std::uint32_t kEnableGamutChecking = 0x10000;
constexpr std::uint32_t kUseRelativeColorimetric = 0x20000;

// Chooses the module later transforms are made by. False, with the choice unchanged, when the
// module is not there.
bool select_cmm(std::uint32_t cmm);
std::uint32_t selected_cmm();

// An ICC profile opened for reading.
class CColorProfile {
  public:
    // Null when the file cannot be read or holds no profile.
    static std::unique_ptr<CColorProfile> open(const QString& path);
    ~CColorProfile();
    CColorProfile(const CColorProfile&) = delete;
    CColorProfile& operator=(const CColorProfile&) = delete;

    void* handle() const { return handle_; }

  private:
    explicit CColorProfile(void* handle) : handle_(handle) {}
    void* handle_;
};

// How a module's request becomes one Little CMS chain: which of the given profiles, in which
// order, each with its intent, and the Little CMS flags.
struct CTransformPlan {
    std::vector<std::size_t> profiles;
    std::vector<std::uint32_t> intents;
    std::uint32_t flags = 0;
};
// Empty when the request is malformed (no profiles, or an intent count that is neither 1 nor
// the number of profiles, or an unknown intent).
CTransformPlan plan_transform(std::uint32_t cmm, std::size_t profile_count,
                              const std::vector<std::uint32_t>& intents, std::uint32_t flags);

// A colour transform through several profiles, from RGB to RGB, made by the selected module.
class CColorTransform {
  public:
    // Null when the module cannot link the profiles (or the chain does not start and end in
    // RGB). `intents` holds one intent, or one per profile.
    static std::unique_ptr<CColorTransform> create(
        const std::vector<const CColorProfile*>& profiles,
        const std::vector<std::uint32_t>& intents, std::uint32_t flags);
    ~CColorTransform();
    CColorTransform(const CColorTransform&) = delete;
    CColorTransform& operator=(const CColorTransform&) = delete;

    // `count` colours of three 16-bit channels each, in and out.
    bool translate_rgb16(const std::uint16_t* in, std::uint16_t* out, std::size_t count) const;

  private:
    explicit CColorTransform(void* handle) : handle_(handle) {}
    void* handle_;
};

}  // namespace platform
