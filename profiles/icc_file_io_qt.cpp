#include "profiles/icc_file_io_qt.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

CIccFileIOQt::~CIccFileIOQt() {
    Close();
}

void CIccFileIOQt::Close() {
    if (file_.isOpen()) file_.close();
}

bool CIccFileIOQt::Open(const QString& path, const char* mode) {
    Close();
    file_.setFileName(path);
    if (mode && std::strchr(mode, 'r')) return file_.open(QIODevice::ReadOnly);
    if (file_.exists() && !file_.remove()) return false;
    // Unbuffered, so that a failed write shows in its own result and not at some later flush.
    return file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

std::int32_t CIccFileIOQt::Read8(void* buffer, std::int32_t count) {
    if (!file_.isOpen() || count <= 0) return 0;
    const qint64 n = file_.read(static_cast<char*>(buffer), count);
    return n > 0 ? static_cast<std::int32_t>(n) : 0;
}

std::int32_t CIccFileIOQt::Write8(const void* buffer, std::int32_t count) {
    if (!file_.isOpen() || count <= 0) return 0;
    const qint64 n = file_.write(static_cast<const char*>(buffer), count);
    return n > 0 ? static_cast<std::int32_t>(n) : 0;
}

std::int32_t CIccFileIOQt::GetLength() {
    if (!file_.isOpen()) return 0;
    return static_cast<std::int32_t>(std::min<qint64>(file_.size(), INT32_MAX));
}

std::int32_t CIccFileIOQt::Seek(std::int32_t offset, int origin) {
    if (!file_.isOpen()) return -1;
    qint64 base = 0;
    switch (origin) {
        case kFromStart:
            break;
        case kFromCurrent:
            base = file_.pos();
            break;
        case kFromEnd:
            base = file_.size();
            break;
        default:
            return -1;
    }
    const qint64 target = base + offset;
    if (target < 0 || target > INT32_MAX || !file_.seek(target)) return -1;
    return static_cast<std::int32_t>(target);
}

std::int32_t CIccFileIOQt::Tell() {
    if (!file_.isOpen()) return -1;
    return static_cast<std::int32_t>(file_.pos());
}
