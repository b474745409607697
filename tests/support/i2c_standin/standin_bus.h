#pragma once

#include <QString>
#include <QStringList>

// The stand-in's own description of one bus, kept as a small key=value file under
// <root>/buses/, so that the tool, the tests and every process carrying the preloaded library
// see the same buses and fault settings while they change.
namespace standin {

struct BusSettings {
    QString name;        // "i2c-3"
    QString kind;        // "display" (a monitor's DDC lines) or "smbus" (memory-module EEPROM)
    QString monitor;     // the simulated monitor's id on a display bus
    QString adapter;     // the adapter's name in sysfs
    int nack_errno = 6;  // what the bus driver returns when nobody acknowledges (ENXIO)
    bool driver_bound = false;  // a kernel DDC/CI driver holds 0x37: I2C_SLAVE gets EBUSY
    bool ddcci_off = false;     // nothing acknowledges at 0x37
    bool rdwr = true;           // the driver takes combined transfers (I2C_RDWR)
    int slow_ms = 0;            // every transfer takes this long
    int timeout_ms = 0;         // the adapter's time-out; slower transfers fail ETIMEDOUT
    int fail_every = 0;         // every Nth transfer of a process fails with fail_errno
    int fail_errno = 5;         // EIO
    int remove_after = 0;       // the adapter goes away during the Nth transfer of a process
    bool removed = false;       // gone: the node is deleted, open descriptors get ENODEV
    bool stale = false;         // the node is left behind: open fails with ENXIO
};

QString settings_path(const QString& root, const QString& bus);
bool read_settings(const QString& root, const QString& bus, BusSettings& settings);
bool write_settings(const QString& root, const BusSettings& settings);
// Applies "key=value" words; false (with `error`) for an unknown key or value.
bool apply_words(BusSettings& settings, const QStringList& words, QString& error);
QStringList bus_names(const QString& root);
// Deletes or re-creates the bus's device node to match `removed`.
void sync_node(const QString& root, const BusSettings& settings);

// An errno by its symbolic name ("EREMOTEIO") or number; -1 when unknown.
int errno_by_name(const QString& name);
QString errno_name(int code);

}  // namespace standin
