// Writes that a full disk cuts short: retried until whole, or failed for good.
#include "WholeWrites.h"
#include <QDataStream>
#include <gtest/gtest.h>

namespace qv::test {
namespace {

/// Takes at most `step` bytes a call and `room` bytes in all; past that it gives `full`
/// (0 or -1), as a file on a disk that fills up would.
class FillingDevice : public QIODevice {
public:
    FillingDevice(qint64 step, qint64 room, qint64 full) : step(step), room(room), full(full) { open(WriteOnly); }
    QByteArray taken;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        const qint64 n = std::min({len, step, room - qint64(taken.size())});
        if (n <= 0)
            return full;
        taken.append(data, n);
        return n;
    }

private:
    qint64 step, room, full;
};

TEST(WholeWrites, ShortWritesAreCompletedOrFailTheRestThroughAStream)
{
    const QByteArray first(5000, 'a'), second(300, 'b');
    struct Case {
        qint64 step, room, full;
        bool failed;
        qint64 taken;
    } cases[] = {
        {1000, 1 << 20, -1, false, 5300},   // short writes only: every byte arrives
        {1000, 4096, -1, true, 4096},       // the disk fills in the first write
        {1000, 4096, 0, true, 4096},        // a write that takes nothing is no progress
        {1 << 20, 5000, -1, true, 5000},    // the second write finds no room at all
    };
    for (const Case& c : cases) {
        FillingDevice disk(c.step, c.room, c.full);
        WholeWrites whole(disk);
        QDataStream stream(&whole);
        stream.writeRawData(first.constData(), int(first.size()));
        stream.writeRawData(second.constData(), int(second.size()));
        EXPECT_EQ(whole.failed(), c.failed) << c.step << " " << c.room;
        EXPECT_EQ(disk.taken.size(), c.taken) << c.step << " " << c.room;
        EXPECT_EQ(disk.taken, (first + second).left(c.taken));
        EXPECT_EQ(stream.status() == QDataStream::Ok, !c.failed);
    }
}

} // namespace
} // namespace qv::test
