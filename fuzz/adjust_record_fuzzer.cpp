#include <QDataStream>

#include "fuzz/fuzz_support.h"

namespace {

QByteArray written(const CAdjustValue& record) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    if (record.write(out) != 0) fuzz_support::fail("a loaded record cannot be written");
    return bytes;
}

}  // namespace

// Any bytes as one stored adjustment record. What loads must evaluate safely and survive a
// write and a second read unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz_support::bytes_of(data, size);
    QDataStream in(input);
    in.setVersion(QDataStream::Qt_4_7);
    CAdjustValue record;
    if (record.read(in) != 0) return 0;
    fuzz_support::check_record(record);
    const QByteArray first = written(record);
    QDataStream again(first);
    again.setVersion(QDataStream::Qt_4_7);
    CAdjustValue reread;
    if (reread.read(again) != 0) fuzz_support::fail("a written record does not read back");
    if (written(reread) != first) fuzz_support::fail("a record changes on its way round");
    return 0;
}
