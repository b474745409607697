#include "color/display_info.h"

static_assert(sizeof(DisplayInfo::edid) == 256, "the record carries a full two-block EDID");
