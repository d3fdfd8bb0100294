#include "fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList proportional = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                      QStringLiteral("Noto Sans CJK JP")};
    const QStringList fixed = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")};
    for (const char16_t* name : {u"ＭＳ Ｐゴシック", u"MS PGothic", u"MS UI Gothic", u"Meiryo", u"メイリオ"})
        QFont::insertSubstitutions(QString::fromUtf16(name), proportional);
    for (const char16_t* name : {u"ＭＳ ゴシック", u"MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf16(name), fixed);
}
