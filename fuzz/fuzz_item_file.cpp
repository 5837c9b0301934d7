// Item files (qor.dat) in both layouts.
#include "FuzzSupport.h"
#include "QorIO.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = qv::fuzz::bytesOf(data, size);
    for (qv::ItemLayout layout : {qv::ItemLayout::Current, qv::ItemLayout::V2000}) {
        qv::ItemFileReader reader(layout);
        if (!reader.openBytes(bytes))
            continue;
        for (int32_t k = 0; k < reader.count() && !reader.atEnd(); ++k) {
            qv::TItemStatus rec;
            reader.readRecord(rec);
        }
        reader.close();
    }
    return 0;
}
