#pragma once

#include <QString>

namespace standin {

// Lays out a fresh stand-in under `root` from the simulator's default set: one graphics card
// with a connector per simulated display, each with its `ddc` link and `edid` file; a DDC bus
// per display (i2c-1 ...) and, for DisplayPort outputs, an AUX bus under the connector that
// reaches the same monitor; the memory controller's SMBus adapter (i2c-0) with the memory
// module's EEPROM at 0x50. The bus drivers differ in what a missing acknowledge returns
// (ENXIO, EREMOTEIO, EIO), as on real machines.
bool lay_out(const QString& root, QString& error);

}  // namespace standin
