#pragma once

#include <QString>

#include "platform/instrument.h"

namespace platform {

// A measuring instrument colord drives, through its Sensor interface on the system bus: the
// first sensor colord lists is locked by open(), each read() asks it for a sample of an LCD
// (XYZ in cd/m²) and close() unlocks it. colord's own timeout bounds every call.
class CColordSensor final : public CInstrument {
  public:
    QString name() const override;
    int open() override;
    int read(CInstrumentSample& sample) override;
    void close() override;

    // The sensor in use (its D-Bus object path), empty while closed.
    const QString& sensor_path() const { return path_; }

  private:
    int failure(const QString& error_name, const QString& message);
    QString path_;
    bool locked_ = false;
};

}  // namespace platform
