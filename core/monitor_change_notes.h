#pragma once

#include <QString>

// Notes that another program (orvale-ctl) changed a monitor's colour settings, so the main
// window's stored record of that monitor is read anew before it is used. The monitor's own
// change table cannot carry this: it records only changes made with the monitor's buttons, and
// some models have none. One empty file per monitor in the settings folder: writers never
// race on a shared file, and the program reads no more than a file's existence.
namespace monitor_change_notes {

// The folder of the notes (inside the settings folder).
QString folder();
// Notes a change of the monitor with this model name and serial number; false when the note
// could not be written.
bool note(const QString& model, const QString& serial);
bool noted(const QString& model, const QString& serial);
// Removes the note once the record has been read again.
void clear(const QString& model, const QString& serial);

}  // namespace monitor_change_notes
