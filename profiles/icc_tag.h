#pragma once

#include <cstdint>
#include <string>

class CIccIO;

// A tag that reads and writes its own byte layout. Little CMS builds the standard tags; the
// private ones it does not know are built by these classes and handed to it as raw bytes.
class CIccTag {
  public:
    virtual ~CIccTag() = default;

    virtual CIccTag* NewCopy() const = 0;
    virtual std::uint32_t GetType() const = 0;
    virtual const char* GetClassName() const = 0;
    // `size` is the tag's size in the profile, signature included.
    virtual bool Read(std::uint32_t size, CIccIO* io) = 0;
    virtual bool Write(CIccIO* io) = 0;
    virtual void Describe(std::string& description) const = 0;
    virtual bool Validate(std::string& report) const {
        (void)report;
        return true;
    }
};
