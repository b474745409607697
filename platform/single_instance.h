#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace platform {

// Process-wide guard that only one instance of the program holds at a time. The lock lives in
// the user's runtime folder under the given name; a lock left behind by a crashed process is
// taken over.
class CSingleInstanceGuard {
  public:
    explicit CSingleInstanceGuard(const QString& name);
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // True when this process now holds the guard (kept until destruction); false when another
    // live process holds it.
    bool acquire();
    bool held() const { return held_; }
    QString lock_path() const { return path_; }

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

}  // namespace platform
