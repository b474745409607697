#pragma once

// Results of the settings files' loaders and savers.
constexpr int kFileOpenFailed = -1500;
constexpr int kFileUnsupportedVersion = -1501;
constexpr int kFileWrongMagic = -1502;
constexpr int kFileReadError = -1503;
constexpr int kFileWriteError = -1504;
