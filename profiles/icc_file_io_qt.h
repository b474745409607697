#pragma once

#include <QFile>
#include <QString>

#include "profiles/icc_io.h"

// A profile file read and written through Qt's file object.
class CIccFileIOQt : public CIccIO {
  public:
    CIccFileIOQt() = default;
    ~CIccFileIOQt() override;  // closes the file
    CIccFileIOQt(const CIccFileIOQt&) = delete;
    CIccFileIOQt& operator=(const CIccFileIOQt&) = delete;

    void Close() override;
    std::int32_t Read8(void* buffer, std::int32_t count) override;
    std::int32_t Write8(const void* buffer, std::int32_t count) override;
    std::int32_t GetLength() override;
    std::int32_t Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override;

    // A mode with "r" opens read-only; any other mode removes an existing file first (false
    // when that fails) and opens read-write. Closes a file already open.
    bool Open(const QString& path, const char* mode);
    bool isOpen() const { return file_.isOpen(); }

  private:
    QFile file_;
};
