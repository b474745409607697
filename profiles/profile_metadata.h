#pragma once

#include <lcms2.h>

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "platform/colord_display.h"

// colord's metadata of a profile: name and value pairs in its 'meta' dictionary tag.
using CProfileMetadata = QList<QPair<QString, QString>>;

// The metadata by which colord and the desktop's colour plugins recognise the display a
// calibration profile belongs to, even while this program is not running: the EDID's MD5,
// manufacturer code and name, model and serial (when the display has an EDID), colord's id for
// the display's device, where the data came from and which program made the profile.
CProfileMetadata display_profile_metadata(const platform::CColordDisplay& display);

// Adds the 'meta' tag holding `metadata`; false when Little CMS cannot.
bool write_metadata_tag(cmsHPROFILE profile, const CProfileMetadata& metadata);

// The 'meta' tag's pairs in stored order; empty without one.
CProfileMetadata read_metadata_tag(cmsHPROFILE profile);

// Stores the profile ID, the MD5 of the whole file with the header's flags, rendering intent
// and ID taken as zero, in the header (computed by Little CMS's MD5). False for a file shorter
// than a header.
bool embed_profile_id(QByteArray& profile);
