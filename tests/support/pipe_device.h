#pragma once

#include <QByteArray>
#include <QIODevice>
#include <algorithm>

namespace testing_support {

// A device that cannot tell how much is left, like a pipe: readers cannot check a length
// against it beforehand.
class Pipe : public QIODevice {
  public:
    explicit Pipe(const QByteArray& data) : data_(data) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = std::min(max, data_.size() - at_);
        std::copy_n(data_.constData() + at_, n, out);
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray data_;
    qint64 at_ = 0;
};

}  // namespace testing_support
