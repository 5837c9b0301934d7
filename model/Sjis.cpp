#include "Sjis.h"
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVector>

namespace qv {
namespace {

// Characters other code pages (and the keyboards behind them) give for what Windows-31J
// holds under a neighbouring code: on paper the two cannot be told apart.
struct Twin {
    char16_t from, to;
};
constexpr Twin kTwins[] = {
    {u'\u2014', u'\u2015'}, // em dash -> horizontal bar
    {u'\u301C', u'\uFF5E'}, // wave dash -> full-width tilde
    {u'\u2212', u'\uFF0D'}, // minus sign -> full-width hyphen-minus
    {u'\u2016', u'\u2225'}, // double vertical line -> parallel to
    {u'\u00A2', u'\uFFE0'}, // cent sign -> full-width cent sign
    {u'\u00A3', u'\uFFE1'}, // pound sign -> full-width pound sign
    {u'\u00AC', u'\uFFE2'}, // not sign -> full-width not sign
};

bool encodable(const QString& character)
{
    if (character == QChar(QChar::ReplacementCharacter))
        return false;
    QStringEncoder enc("windows-31j");
    const QByteArray bytes = enc.encode(character); // the encoding happens here, not in encode()
    return !bytes.isEmpty() && !enc.hasError();
}

} // namespace

QByteArray toSjis(const QString& text)
{
    QStringEncoder enc("windows-31j");
    return enc.encode(withSjisTwins(text));
}

QString fromSjis(const QByteArray& bytes)
{
    QStringDecoder dec("windows-31j");
    return dec.decode(bytes);
}

QString withSjisTwins(const QString& text)
{
    QString out = text;
    for (const Twin& t : kTwins)
        out.replace(QChar(t.from), QChar(t.to));
    return out;
}

QString unstorableCharacters(const QString& text)
{
    const QString mapped = withSjisTwins(text);
    QString found;
    if (!mapped.contains(QChar(QChar::ReplacementCharacter))) {
        QStringEncoder whole("windows-31j");
        const QByteArray bytes = whole.encode(mapped);
        if (!whole.hasError())
            return found; // the usual case: no character by character look needed
    }
    for (const char32_t c : mapped.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!found.contains(one) && !encodable(one))
            found += one;
    }
    return found;
}

} // namespace qv
