#include "WholeWrites.h"

namespace qv {

WholeWrites::WholeWrites(QIODevice& target) : target(target)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 WholeWrites::writeData(const char* data, qint64 len)
{
    for (qint64 done = 0; !broken && done < len;) {
        const qint64 n = target.write(data + done, len - done);
        if (n <= 0)
            broken = true;
        else
            done += n;
    }
    return broken ? -1 : len;
}

} // namespace qv
