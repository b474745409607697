#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// One usable interface of the access object and the monitor identified behind it.
struct CInterfaceRecord {
    std::int32_t index = -1;
    std::array<std::uint8_t, 256> edid{};  // read over this interface; zero for USB
    QString model_name;
    QString serial;
    QString extra;  // empty at enumeration; carried into the display record
    std::int32_t product_id = 0;
    std::array<std::int32_t, 4> area{};
    std::uint8_t is_usb = 0;
    std::uint8_t communicates = 0;  // the monitor answered the probe (USB, supported on video)
};

// Lists the access object's interfaces and identifies the monitor behind each.
class CEnumDDCCI_Monitors : public QObject {
    Q_OBJECT

  public:
    explicit CEnumDDCCI_Monitors(QObject* parent = nullptr);
    ~CEnumDDCCI_Monitors() override;

    // Rescans and rebuilds the list; with `probe`, a brightness read tells whether a USB
    // monitor, or a supported one on a video cable, answers. The list size; 0 without an access
    // object. Without `rescan` the interfaces the access object listed last are taken as they
    // are (the caller has just rescanned; every bus would be asked twice).
    int enumerate(bool probe, bool rescan = true);
    // Copies record i; -1 when out of range.
    int interface_record(int i, CInterfaceRecord& out) const;
    int interface_count() const { return static_cast<int>(records_.size()); }

  Q_SIGNALS:
    void detectedMonitor2(QString message);

  private:
    std::vector<CInterfaceRecord> records_;
};
