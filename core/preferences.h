#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>

#include "core/settings_file.h"

// Application preferences and remembered window positions, kept in "preferences.dat": loaded
// when constructed, saved when destroyed.
class Preferences {
  public:
    static constexpr std::int32_t kMagic = 65195;
    static constexpr std::int32_t kVersion = 123;
    static constexpr int kNoPosition = 99999;

    // A read-only copy (the command-line tool's) never writes the file.
    enum class Access { read_write, read_only };
    explicit Preferences(Access access = Access::read_write);
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    int load();
    int save();
    void set_defaults();

    bool auto_manage_icc_profiles() const { return auto_manage_icc_profiles_; }
    void set_auto_manage_icc_profiles(bool on) { auto_manage_icc_profiles_ = on; }
    std::int8_t profile_storage_location() const { return profile_storage_location_; }
    void set_profile_storage_location(std::int8_t location) {
        profile_storage_location_ = location;
    }
    QPoint lut_viewer_position() const { return lut_viewer_position_; }
    void set_lut_viewer_position(QPoint p) { lut_viewer_position_ = p; }
    QPoint main_window_position() const { return main_window_position_; }
    void set_main_window_position(QPoint p) { main_window_position_ = p; }
    QPoint wizard_position() const { return wizard_position_; }
    void set_wizard_position(QPoint p) { wizard_position_ = p; }

    // Windows remember a position only when both coordinates are non-zero.
    static bool storable_position(QPoint p) { return p.x() != 0 && p.y() != 0; }
    static bool has_position(QPoint p) { return p != QPoint(kNoPosition, kNoPosition); }

  private:
    CSettingsFile file_;
    Access access_ = Access::read_write;
    std::int32_t version_ = kVersion;
    bool auto_manage_icc_profiles_ = true;
    std::int8_t profile_storage_location_ = 1;
    QPoint lut_viewer_position_;
    QPoint main_window_position_;
    QPoint wizard_position_;
};
