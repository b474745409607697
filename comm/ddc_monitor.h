#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "color/adjust_value.h"
#include "color/cie_yxy.h"
#include "color/spline.h"
#include "comm/capability_record.h"
#include "comm/ddc_errors.h"
#include "comm/edid_record.h"
#include "comm/monitor_timing.h"
#include "comm/pvx_factory_ddc_control.h"

// One entry of a settings list: what to do with one feature, and what came of it.
class CMonitorUndo;

struct CMonitorSetting {
    // Low byte 0: only read. Otherwise write; with bits 8..15 set, read first and write only
    // when the monitor holds another value.
    static constexpr std::int32_t kReadOnly = 0x0000;
    static constexpr std::int32_t kWrite = 0x0001;
    static constexpr std::int32_t kWriteIfDifferent = 0x0101;

    std::int32_t flags = kWrite;
    std::int32_t code = 0;
    std::int32_t value = 0;  // wanted; on return what the monitor holds
    std::int32_t maximum = 0;
    std::int32_t result = 0;
};
using CMonitorSettingList = QList<CMonitorSetting>;

// One monitor as the rest of the program sees it: the command object of one interface, the
// monitor's EDID and capability string, and every operation the application performs on it,
// with the settle waits the monitor needs after each change. The operations are virtual so
// that a test or a derived monitor type can replace one. Not thread-safe: one operation at a
// time.
class CDDCMonitor : public QObject {
    Q_OBJECT

  public:
    // Results.
    static constexpr int kNotConnected = -6;
    static constexpr int kUnsupported = -1027;  // the monitor answered with a result code
    static constexpr int kMissing = -1;
    // A read stopped by its caller (the program is ending); never shown to the user.
    static constexpr int kInterrupted = ddc_error::kInterrupted;

    // Progress messages of Broadcast_MessageOut.
    static constexpr unsigned kProgressStep = 1;   // value 0
    static constexpr unsigned kProgressTotal = 2;  // value = the number of steps to come

    // How the command object is opened.
    static constexpr int kLinkParameter = 10000;
    static constexpr int kLinkMode = 3;

    static constexpr int kEdidSize = 256;
    static constexpr int kCapabilitySize = 8192;
    // The 1D tables as the program keeps them: 256 words per channel.
    static constexpr int kChannelEntries = 256;
    static constexpr int kTableSize = 3 * kChannelEntries;
    static constexpr int kWideBlock = 8;    // words per upload block
    static constexpr int kNarrowBlock = 4;  // on inputs whose DDC lines are slow
    static constexpr int kReadBlock = 8;    // words per table read
    // The 3D LUT of a slot: 9 nodes per axis, moved in messages of at most 4 points.
    static constexpr int kLutNodes = 9;
    static constexpr int kLutPointsPerMessage = 4;
    static constexpr int kPictureSettingsSteps = 17;  // progress announced per memory
    static constexpr int kPictureMemoriesExtraSteps = 5;

    // Monitor memory.
    static constexpr int kFactoryPrimariesAddress = 0x8800;
    static constexpr int kFactoryPrimariesLength = 48;
    static constexpr int kFactoryMatrixAddress = 0x8C90;
    static constexpr int kFactoryMatrixLength = 18;
    static constexpr int kMemoryTableAddress = 0xFF10;
    static constexpr int kMemoryTableFlagAddress = 0xFF11;
    static constexpr int kMemoryEntriesAddress = 0xFF13;
    static constexpr int kMemoryEntryLength = 6;
    static constexpr int kMemoryEntryCapacity = 10;

    explicit CDDCMonitor(QObject* parent = nullptr);
    ~CDDCMonitor() override;
    CDDCMonitor(const CDDCMonitor&) = delete;
    CDDCMonitor& operator=(const CDDCMonitor&) = delete;

    // --- connection, EDID and capability string ---------------------------------------------
    virtual int connect_interface(int index);
    virtual void set_mode(int new_mode);
    // The read error, or the decode result (0, or -1 for an EDID that does not decode).
    virtual int read_edid();
    virtual int copy_edid(std::uint8_t* buffer, int length) const;
    virtual int set_edid(const std::uint8_t* bytes, int length);
    virtual bool is_usb() const;
    virtual void set_usb(bool usb);
    // A negative read result, otherwise the parse result (0, or -1 without a vcp( group).
    virtual int read_capabilities();
    virtual int set_capabilities(std::string_view text);
    // Copies the string and its terminator as far as `length` bytes allow; the characters
    // copied.
    virtual int copy_capabilities(char* buffer, int length) const;
    virtual int gamma_table_size(int& size);
    virtual int save_settings();
    virtual int send_command_07();
    virtual int send_command_06();
    virtual int image_size_mm(int& width, int& height) const;
    // 0 with the EDID's identifier, or -1 (and 0) without a valid EDID.
    virtual int product_id(std::int32_t& id);
    virtual QString serial_number();
    virtual QString model_name();
    virtual void set_serial_number(const QString& serial);
    virtual void set_model_name(const QString& model);
    virtual int edid_primaries(CCIEYxy& red, CCIEYxy& green, CCIEYxy& blue);
    virtual int firmware_version_numbers(int& major, int& minor, int& build, int& revision);
    virtual QString firmware_version();
    // At most size - 1 characters and a terminator.
    virtual int copy_firmware_version(char* buffer, int size);

    // --- features -------------------------------------------------------------------------
    // A reply with a non-zero result code gives kUnsupported and leaves the outputs as they
    // were; set_value's value receives what the monitor took.
    virtual int get_value(int code, int& current);
    virtual int get_value_max(int code, int& current, int& maximum);
    virtual int get_raw(int code, int& current, int& maximum, int& result_code, int& type);
    virtual int set_value(int code, int& value);
    virtual int set_raw(int code, int& value, int& maximum, int& result_code, int& type);
    virtual int get_red_gain(int& current, int& maximum);
    virtual int get_green_gain(int& current, int& maximum);
    virtual int get_blue_gain(int& current, int& maximum);
    virtual int set_brightness(int& value);
    virtual int set_contrast(int& value);
    virtual int set_red_gain(int& value);
    virtual int set_green_gain(int& value);
    virtual int set_blue_gain(int& value);
    virtual int set_color_preset(int& value);
    virtual int get_mode_0268(int& current, int& maximum);
    virtual int set_mode_0268(int& value);
    virtual int restore_color_defaults();
    virtual int select_e3_fb(int selector);
    virtual int feature_2f8_usable();
    virtual int enable_feature_2f8();
    virtual int operating_hours(double& hours);

    // --- 1D tables ------------------------------------------------------------------------
    virtual int write_gamma_from_curves(const CSpline& red, const CSpline& green,
                                        const CSpline& blue);
    virtual int read_gamma_tables(CSpline& red, CSpline& green, CSpline& blue);
    // All red values, then all green, then all blue; `block` words per message.
    virtual int upload_gamma_table(std::span<const std::int32_t> table, int block);
    virtual int write_gamma_table(std::span<const std::int32_t> table);

    virtual void wait(int milliseconds);
    virtual void report_progress(unsigned message, unsigned value);
    virtual int select_0268_one();
    virtual int reset_gains();
    // The three maxima the gains were set to.
    virtual int reset_gains_to_maximum(int& red, int& green, int& blue);
    virtual PVX_factory_ddc_control* command_object() const;
    virtual int set_power_led_brightness(int& value);
    virtual int get_power_led_brightness(int& current, int& maximum);
    virtual int set_uniformity_level(int& value);
    virtual int get_uniformity_level(int& current, int& maximum);
    virtual int is_digital_input() const;
    virtual int feature_237_usable();
    virtual int enable_feature_237();
    virtual int set_monitor_number(int number);

    // --- 3D LUT, picture-mode memories, settings lists ----------------------------------------
    // A cube of n * n * n points of three values, the first index fastest.
    virtual int read_lut(std::span<std::int32_t> points, int n);
    virtual int read_lut_points(int* points, int index0, int index1, int index2, int count);
    virtual int write_lut(std::span<const std::int32_t> points, int n);
    virtual int write_lut_points(const int* points, int index0, int index1, int index2, int count);
    virtual int read_slot_name(int slot, char* name);
    virtual int write_slot_name(int slot, const char* name);
    virtual int read_picture_memories(CAdjustValue& target);
    virtual int read_memory_settings(CModeSettings& record);
    virtual int write_lut_to_slot(int slot, std::span<const std::int32_t> points);
    virtual int read_factory_primaries(CAdjustValue& record);
    virtual int apply_settings(CMonitorSettingList& list);
    virtual const CCapabilityRecord& capability_record() const;
    // 1 with the entry's value when found, 0 otherwise.
    virtual int find_memory_entry(int key1, int key2, std::uint32_t& value);
    virtual int clear_memory_table_flag();
    // True when the monitor keeps a change table and marks a change on its own controls.
    virtual bool has_memory_table();
    virtual int erase_memory_entry(int key1, int key2);
    virtual bool is_special_model();
    virtual bool uses_percent_brightness();
    virtual bool has_simulated_dicom();
    virtual void set_retries(int retries);
    virtual bool edid_valid() const;
    // Forgets the EDID, the capability string and the USB flag.
    virtual void reset();

    const CEdidRecord& edid_record() const { return edid_info; }
    int number() const { return monitor_number; }

    // A flag the owner of a long read sets to stop it early. Reads that move the monitor to
    // other memories check it between memories and put the active one back before returning
    // kInterrupted. Null = never interrupted.
    void set_interrupt_flag(const std::atomic<bool>* flag) { interrupt_flag = flag; }
    bool interrupted() const { return interrupt_flag && interrupt_flag->load(); }

    // The wait the monitor needs after `written` went to feature `code`; 0 for none. The one
    // place that gives a feature its settle wait.
    static int settle_wait(int code, int written);

    // While set, every write is recorded first, so that a dialog's Cancel can put it back.
    void set_undo(CMonitorUndo* undo) { undo_ = undo; }

  Q_SIGNALS:
    void Broadcast_MessageOut(uint message, uint value);

  protected:
    std::unique_ptr<PVX_factory_ddc_control> control;
    std::int32_t monitor_number = 0;
    std::array<std::uint8_t, kEdidSize> edid{};
    CEdidRecord edid_info;
    bool edid_decoded = false;  // the EDID flag behind edid_valid()
    std::array<char, kCapabilitySize> capability_text{};
    CCapabilityRecord capabilities;
    std::int32_t mode = kLinkMode;
    bool usb_link = false;  // the flag behind is_usb()
    QString usb_serial;
    QString usb_model;

    // The waits after the commands of the same names (never changed per monitor).
    static constexpr std::int32_t save_wait = monitor_timing::kSaveWaitMs;
    static constexpr std::int32_t command07_wait = monitor_timing::kCommand07WaitMs;
    static constexpr std::int32_t command06_wait = monitor_timing::kCommand06WaitMs;
    static constexpr std::int32_t gain_wait = monitor_timing::kGainWaitMs;
    static constexpr std::int32_t preset_wait = monitor_timing::kPresetWaitMs;
    static constexpr std::int32_t mode_0268_wait = monitor_timing::kGammaTypeWaitMs;
    static constexpr std::int32_t restore_wait = monitor_timing::kRestoreWaitMs;
    static constexpr std::int32_t memory_select_wait = monitor_timing::kMemorySelectWaitMs;
    const std::atomic<bool>* interrupt_flag = nullptr;

  private:
    CMonitorUndo* undo_ = nullptr;
    void step() { report_progress(kProgressStep, 0); }
    // Reads the capability string unless it has been parsed.
    void ensure_capabilities();
    // Reads the EDID unless a valid one is held; whether one is held afterwards.
    bool ensure_edid();
    int decode_edid();
    // A write followed by a fixed wait when it succeeded.
    int set_and_wait(int code, int& value, int wait_ms);
    int apply_one(CMonitorSetting& entry);
    // The change table's header; false when it cannot be read or the monitor keeps none.
    bool read_memory_table(
        std::array<std::uint8_t, 3>& header,
        std::array<std::uint8_t, kMemoryEntryLength * kMemoryEntryCapacity>& entries, int& count);
};
