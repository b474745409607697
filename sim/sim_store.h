#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

class CSimMonitor;

// The simulator's state file, shared by every process that simulates the same monitors (the
// program and the orvale-sim tool). Each monitor has one entry, keyed by model and serial;
// entries of monitors a process does not know are kept. Files are replaced atomically.
//
// Sharing rule: a process remembers each entry as it last read or wrote it. When another
// process has changed an entry since then, that change wins over this process's unsaved
// changes to the same monitor; other monitors are not touched. Every save, and whatever a
// caller brackets with a Lock (the simulated access backend: one transfer with the reload
// before it and the save after it), holds an advisory lock on the file's folder, so that
// no two processes read, change and write the file at once; and every save gives the file a
// later modification time than the version it replaces, so that a reader comparing times
// never misses a version written within the clock's granularity.
//
// Damage: a file that is not a state file of this format, or whose entry for one of the given
// monitors has the wrong shape, is refused as a whole: no monitor takes anything from it, and
// it is never overwritten (save fails) until it reads well again. Single values that do not
// fit are left at the monitor's earlier value and listed as warnings. Every message names the
// file and the field.
class CSimStateStore {
  public:
    static constexpr int kFormat = 1;

    explicit CSimStateStore(QString path);
    ~CSimStateStore();
    CSimStateStore(const CSimStateStore&) = delete;
    CSimStateStore& operator=(const CSimStateStore&) = delete;
    const QString& path() const { return path_; }

    // Holds the file's lock for its lifetime; nests within one store.
    class Lock {
      public:
        explicit Lock(CSimStateStore& store) : store_(store) { store_.lock(); }
        ~Lock() { store_.unlock(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        CSimStateStore& store_;
    };

    // Reads the entries of the given monitors; monitors without entry keep their state. A
    // missing file is not an error.
    bool load(const std::vector<CSimMonitor*>& monitors, QString* error = nullptr,
              QStringList* warnings = nullptr);
    bool save(const std::vector<CSimMonitor*>& monitors, QString* error = nullptr);
    // Saves only when a monitor holds something the file does not (as last read or written).
    bool save_if_changed(const std::vector<CSimMonitor*>& monitors, QString* error = nullptr);

    // Cheap: compares the file's modification time and size with those last seen.
    bool changed_on_disk() const;
    // Takes the entries another process changed; returns how many monitors were reloaded. A
    // refused file changes nothing (its message is added to the warnings).
    int reload_if_changed(const std::vector<CSimMonitor*>& monitors,
                          QStringList* warnings = nullptr);

  private:
    struct Stamp {
        bool exists = false;
        std::int64_t modified = 0;
        std::int64_t size = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const;
    void lock();
    void unlock();
    bool read(QJsonObject& entries, QString* error) const;
    // Checks every changed entry of the given monitors first and takes them only when none is
    // refused; -1 (with error) on a refusal, else how many monitors were reloaded.
    int take_external_changes(const QJsonObject& entries, const std::vector<CSimMonitor*>& monitors,
                              QString* error, QStringList* warnings);
    QString refused(const QString& field, const QString& why) const;

    QString path_;
    Stamp seen_;
    std::map<QString, QJsonObject> known_;  // each monitor's entry as last read or written
    int lock_fd_ = -1;
    int lock_depth_ = 0;
};

}  // namespace sim
