#pragma once

#include <QString>
#include <QStringList>

#include "platform/instrument.h"

namespace platform {

// A measuring instrument colord drives, through its Sensor interface on the system bus: open()
// locks the first sensor colord lists that can measure a display, each read() asks it for a
// sample of the display kind chosen from the sensor's capabilities (XYZ in cd/m²) and close()
// unlocks it. colord's own timeout bounds every call.
class CColordSensor final : public CInstrument {
  public:
    // colord's sample kinds for an LCD monitor, best first.
    static const QStringList kLcdSampleKinds;

    QString name() const override;
    int open() override;
    int read(CInstrumentSample& sample) override;
    void close() override;

    // The sensor in use (its D-Bus object path) and the kind of sample it is asked for, empty
    // while closed.
    const QString& sensor_path() const { return path_; }
    const QString& sample_kind() const { return kind_; }

    // The kind to pass to GetSample from what a sensor offers (its Capabilities property): the
    // first of `preferred` it offers, else the first display kind it offers, else empty; the
    // ambient, printer, spot and calibration kinds never measure a display.
    static QString choose_sample_kind(const QStringList& capabilities,
                                      const QStringList& preferred = kLcdSampleKinds);

  private:
    int failure(const QString& error_name, const QString& message);
    QString path_;
    QString kind_;
    bool locked_ = false;
};

}  // namespace platform
