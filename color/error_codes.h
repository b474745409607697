#pragma once

// The codes the user is told about: the error box gives each its message (core's
// error_messages.cpp). They sit in the lowest library because the stored records' readers here
// already return the file codes, and every library above hands them on.
namespace ui_error {

// The settings files and stored records.
constexpr int kFileOpenFailed = -1500;
constexpr int kFileUnsupportedVersion = -1501;
constexpr int kFileWrongMagic = -1502;
constexpr int kFileReadError = -1503;
constexpr int kFileWriteError = -1504;

// Any failed monitor read or write, as the pages report it.
constexpr int kCommunicationError = -1023;
// The colour management refused to associate a profile with the display.
constexpr int kAssociationError = -1017;

}  // namespace ui_error
