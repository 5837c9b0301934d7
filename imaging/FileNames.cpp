#include "FileNames.h"
#include <QStringDecoder>
#include <QUrl>

namespace qv {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the byte starts none: no
// overlong forms, no encoded surrogates, nothing above U+10FFFF.
int utf8Length(const uchar* p, qsizetype left)
{
    const uchar c = p[0];
    if (c < 0x80)
        return 1;
    int n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || c > 0xF4 || n > left)
        return 0;
    for (int i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0) || (c == 0xF0 && p[1] < 0x90)
        || (c == 0xF4 && p[1] >= 0x90))
        return 0;
    return n;
}

bool hasEscapes(const QString& s)
{
    for (QChar c : s)
        if (isEscape(c.unicode()))
            return true;
    return false;
}

} // namespace

QString pathFromNative(const QByteArray& native)
{
    const auto* p = reinterpret_cast<const uchar*>(native.constData());
    const qsizetype n = native.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        const int len = utf8Length(p + i, n - i);
        if (len == 0) {
            out.append(QChar(char16_t(kEscapeBase + p[i])));
            ++i;
        } else {
            out.append(QString::fromUtf8(native.constData() + i, len));
            i += len;
        }
    }
    return out;
}

QByteArray nativePath(const QString& path)
{
    if (!hasEscapes(path))
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype run = 0; // start of the text since the last escape
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isEscape(path[i].unicode()))
            continue;
        out.append(QStringView(path).mid(run, i - run).toUtf8());
        if (i < path.size())
            out.append(char(path[i].unicode() - kEscapeBase));
        run = i + 1;
    }
    return out;
}

QString fileUrl(const QString& path)
{
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(nativePath(path).toPercentEncoding("/")), QUrl::TolerantMode);
    return url.toString();
}

QString displayFileName(const QString& name)
{
    if (!hasEscapes(name))
        return name;
    const QByteArray bytes = nativePath(name);
    QStringDecoder sjis("windows-31j", QStringDecoder::Flag::Stateless);
    if (sjis.isValid()) {
        const QString text = sjis.decode(bytes);
        if (!sjis.hasError())
            return text;
    }
    return QString::fromUtf8(bytes); // each stray byte becomes U+FFFD
}

} // namespace qv
