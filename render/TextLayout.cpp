#include "TextLayout.h"
#include "Numbers.h"
#include <cmath>

namespace qv {

QString GetWriteText(QString& rest, const QString& separator)
{
    const qsizetype at = separator.isEmpty() ? -1 : rest.indexOf(separator);
    if (at < 0) {
        QString all;
        all.swap(rest);
        return all;
    }
    QString head = rest.left(at);
    rest.remove(0, at + separator.size());
    return head;
}

QStringList textLines(const QString& text)
{
    QStringList lines;
    QString rest = text;
    while (!rest.isEmpty())
        lines.append(GetWriteText(rest, kLineBreak));
    return lines;
}

QString ENumToJNum(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        const char16_t c = ch.unicode();
        if (c >= u'0' && c <= u'9')
            ch = QChar(char16_t(0xFF10 + (c - u'0')));
        else if (c >= u'a' && c <= u'z')
            ch = QChar(char16_t(0xFF41 + (c - u'a')));
        else if (c >= u'A' && c <= u'Z')
            ch = QChar(char16_t(0xFF21 + (c - u'A')));
    }
    return out;
}

double GetHorizonalStart(int32_t align, double length, double right, double left)
{
    switch (align) {
    case 4: return left + (right - left - length) / 2;
    case 1: return right - length;
    default: return left; // 0, and any unknown code, starts at the head
    }
}

double GetVerticalStart(int32_t align, double length, double bottom, double top)
{
    switch (align) {
    case 2: return nearest(top);
    case 4: return top + (bottom - top - length) / 2;
    case 3: return nearest(bottom - length);
    default: return top;
    }
}

QPoint rotatePoint(double scale, double angle, double centreY, double centreX, double y, double x)
{
    const double xc = centreX * scale, yc = centreY * scale;
    const double c = std::cos(angle), s = std::sin(angle);
    return {nearest(xc + (x - xc) * c + (y - yc) * s), nearest(yc - (x - xc) * s + (y - yc) * c)};
}

int32_t evenUp(double v)
{
    const int32_t n = nearest(v);
    return n % 2 != 0 ? n + 1 : n;
}

} // namespace qv
