#include <QDataStream>

#include "comm/multi_monitor.h"
#include "core/monitor_tracker.h"
#include "fuzz/fuzz_support.h"

namespace {

QByteArray written(CMonitorTracker& tracker) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    if (tracker.write(out) != 0) fuzz_support::fail("loaded records cannot be written");
    return bytes;
}

}  // namespace

// Any bytes as config.dat, read as the controller reads it: the interface block, then the
// monitor records. Whatever is kept must evaluate safely and survive a write and a second read.
// (How many records a damaged list keeps is the tracker's own rule, not judged here.)
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz_support::bytes_of(data, size);
    QDataStream in(input);
    in.setVersion(QDataStream::Qt_4_7);
    CMultiMonitor monitors;
    if (monitors.read_config(in) != 0) return 0;
    CMonitorTracker tracker;
    tracker.read(in);
    for (int i = 0; i < tracker.count(); ++i)
        fuzz_support::check_record(tracker.entry(i).adjust);
    fuzz_support::check_record(tracker.default_entry().adjust);

    const QByteArray first = written(tracker);
    QDataStream again(first);
    again.setVersion(QDataStream::Qt_4_7);
    CMonitorTracker reread;
    if (reread.read(again) != 0) fuzz_support::fail("written records do not read back");
    if (reread.count() != tracker.count()) fuzz_support::fail("records lost on their way round");
    if (written(reread) != first) fuzz_support::fail("records change on their way round");
    return 0;
}
