#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// A display as colord and the desktop's colour plugins name it. The plugins create one colord
// device per output, with the id "xrandr-<vendor>-<model>-<serial>" built from the EDID (the
// vendor's registered name where the PNP list knows it, the model's name descriptor or else its
// product code, the serial descriptor or else the numeric serial), or "xrandr-<output>" when
// the output has no EDID; they tag it with the output name and the EDID's MD5.
struct CColordDisplay {
    QString connector;    // "DP-1"; empty when unknown
    QByteArray edid;      // empty when the system keeps none
    QString vendor_code;  // "KST"
    QString vendor_name;  // the PNP list's name for the code, else the code itself
    QString model;        // "KX271W", or "0x6c11" without a name descriptor
    QString serial;       // "71000123", or "0x0043ba3b" without a serial descriptor
    QString edid_md5;     // lower-case hex
    // The id the desktop gives the display; empty when neither EDID nor connector is known.
    QString device_id;
    // Every id the display may carry: with the vendor's name and with its bare code (a desktop
    // without the PNP list uses the code), then the output's id.
    QStringList candidate_ids;
};

// Where the PNP vendor list may be installed.
QStringList default_pnp_id_files();

// The display behind `connector` with this EDID (either may be empty).
CColordDisplay colord_display(const QString& connector, const QByteArray& edid,
                              const QStringList& pnp_id_files = default_pnp_id_files());

// The display a device name of the display services stands for ("MONITOR\KST6C11\card0-DP-1",
// "card0-DP-1"): its output name from the name, its EDID from the display services installed.
// A monitor the display services give an id of their own (the simulator's) carries only that id.
CColordDisplay colord_display_for_device(const QString& device_name);

// "DP-1" from "MONITOR\KST6C11\card0-DP-1" or "card0-DP-1"; empty when the name holds no output.
QString connector_of_device(const QString& device_name);

}  // namespace platform
