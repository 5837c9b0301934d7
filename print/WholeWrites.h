#pragma once
// A write-only device that passes every write on to another device whole or fails it.
#include <QIODevice>

namespace qv {

/// A file device may take only part of a write when the disk fills up, without an error. A
/// QDataStream (the PDF writer's) then stops writing altogether, still without an error, and
/// the file would be committed cut short. Through this device a write is retried until all of
/// it is taken; one that cannot be completed fails, and failed() says so from then on.
class WholeWrites : public QIODevice {
public:
    explicit WholeWrites(QIODevice& target);
    bool failed() const { return broken; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override;

private:
    QIODevice& target;
    bool broken = false;
};

} // namespace qv
