#include "Sjis.h"
#include <QStringDecoder>
#include <QStringEncoder>

namespace qv {

QByteArray toSjis(const QString& text)
{
    QStringEncoder enc("windows-31j");
    return enc.encode(text);
}

QString fromSjis(const QByteArray& bytes)
{
    QStringDecoder dec("windows-31j");
    return dec.decode(bytes);
}

} // namespace qv
