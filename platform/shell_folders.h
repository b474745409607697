#pragma once

#include <QString>

namespace platform {

// The folder shared by the user's documents that the settings folder lives under: the generic
// data location (~/.local/share), or the application's own folder when there is none.
QString shared_documents_folder();

}  // namespace platform
