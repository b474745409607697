#include "core/monitor_tracker.h"

#include <algorithm>

#include "color/error_codes.h"
#include "color/stream_checks.h"

namespace {

// The least one entry occupies: two empty strings and an adjustment record with empty lists
// and curve sets (magic, version, three counts, two flags with six values each, sixteen
// values, nine doubles, an empty byte array).
constexpr qint64 kEntryBytes = 4 + 4 + (4 + 4 + 2 + 2 + (1 + 12) * 2 + 32 + 2 + 9 * 8 + 4);

// A record whose bytes were overwritten still streams; its values then say what no monitor
// reports (negative levels, chromaticities above 1.000, a memory or preset out of range) and
// would show as modes that do not exist.
bool plausible(const CAdjustValue& adjust) {
    constexpr int kLargestMemory = 16;
    constexpr int kLargestPreset = 255;
    constexpr int kThousandths = 1000;
    const auto in_range = [](int v, int low, int high) { return v >= low && v <= high; };
    for (const CModeSettings& item : adjust.modeSettings) {
        if (!in_range(item.memory(), 1, kLargestMemory) ||
            !in_range(item.preset(), 0, kLargestPreset))
            return false;
        for (std::size_t i = 2; i < item.values.size(); ++i) {
            if (item.values[i] < 0) return false;
        }
        for (int i = 0; i < 4; ++i) {
            if (item.chromaticity_x(i) > kThousandths || item.chromaticity_y(i) > kThousandths)
                return false;
        }
    }
    for (const CNamedEntry& named : adjust.namedEntries) {
        if (!in_range(named.slot, 0, kLargestPreset) || !in_range(named.code, 0, kLargestPreset))
            return false;
        // Monitors name their slots in single bytes.
        for (const QChar c : named.name) {
            if (c.unicode() > 0xFF) return false;
        }
    }
    return true;
}

}  // namespace

CMonitorTracker::CMonitorTracker(QObject* parent) : QObject(parent) {
    Q_EMIT data_changed();
}

CMonitorTracker::~CMonitorTracker() = default;

void CMonitorTracker::clear() {
    entries_.clear();
    count_ = 0;
}

int CMonitorTracker::find(const QString& model, const QString& serial) const {
    for (int i = 0; i < count_; ++i) {
        const CMonitorEntry& e = entries_[i];
        if (e.modelName == model && e.serialNumber == serial) return i;
    }
    return -1;
}

int CMonitorTracker::store(const CMonitorEntry& entry) {
    int i = find(entry.modelName, entry.serialNumber);
    if (i >= 0) {
        entries_[i] = entry;
    } else {
        entries_.append(entry);
        i = count_++;
    }
    modified_ = true;
    Q_EMIT data_changed();
    return i;
}

int CMonitorTracker::lookup(CMonitorEntry& entry) const {
    const int i = find(entry.modelName, entry.serialNumber);
    entry.adjust = i >= 0 ? entries_[i].adjust : default_entry_.adjust;
    return i;
}

int CMonitorTracker::lookup(const QString& model, const QString& serial,
                            CMonitorEntry& entry) const {
    entry.modelName = model;
    entry.serialNumber = serial;
    return lookup(entry);
}

int CMonitorTracker::read(QDataStream& in) {
    qint32 magic = 0, version = 0, n = 0;
    in >> magic;
    if (magic != kMagic) return ui_error::kFileWrongMagic;
    in >> version;
    if (version != kVersion) return ui_error::kFileUnsupportedVersion;
    clear();
    in >> n;
    int result = 0;
    if (in.status() != QDataStream::Ok || n < 0) result = ui_error::kFileReadError;
    // Entry by entry, so that those before any damage stay; but never more attempts than the
    // bytes left could hold, whatever count the file claims.
    qint32 limit = std::max<qint32>(n, 0);
    if (const qint64 left = stream_checks::bytes_left(in); left >= 0)
        limit = static_cast<qint32>(std::min<qint64>(limit, left / kEntryBytes));
    for (qint32 i = 0; result == 0 && i < limit; ++i) {
        CMonitorEntry entry;
        if (!stream_checks::read_string(in, entry.modelName) ||
            !stream_checks::read_string(in, entry.serialNumber)) {
            result = ui_error::kFileReadError;
            break;
        }
        result = entry.adjust.read(in);
        if (result == 0 && !plausible(entry.adjust)) result = ui_error::kFileReadError;
        if (result != 0) break;
        entries_.append(entry);
        ++count_;
    }
    if (result == 0 && limit < n) result = ui_error::kFileReadError;  // the count outruns the file
    if (result == 0) modified_ = false;
    Q_EMIT data_changed();
    return result;
}

int CMonitorTracker::write(QDataStream& out) {
    out << kMagic << kVersion << qint32(count_);
    if (out.status() != QDataStream::Ok) return ui_error::kFileWriteError;
    for (const CMonitorEntry& e : entries_) {
        out << e.modelName << e.serialNumber;
        const int result = e.adjust.write(out);
        if (result != 0) return result;
    }
    if (out.status() != QDataStream::Ok) return ui_error::kFileWriteError;
    modified_ = false;
    return 0;
}
