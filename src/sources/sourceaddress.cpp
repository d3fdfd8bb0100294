#include "sourceaddress.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Past this an address is no page's but a payload.
constexpr qsizetype kLongestAddress = 4096;

QString fromUtf16OrUtf8(const QByteArray& bytes)
{
    // Browsers write text/x-moz-url as UTF-16 with or without a byte order mark; some programs as UTF-8.
    const bool utf16 = bytes.size() >= 2 && (bytes.at(1) == '\0' || bytes.startsWith("\xFF\xFE"));
    if (!utf16)
        return QString::fromUtf8(bytes);
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return text;
}

std::optional<QString> keptAddress(const QString& address, bool localFiles)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > kLongestAddress)
        return std::nullopt;
    QUrl url(trimmed);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
    if (!url.isValid() || (!web && (!localFiles || scheme != u"file")))
        return std::nullopt;
    url.setUserInfo(QString());
    url.setFragment(QString());
    return url.toString();
}

} // namespace

std::optional<QString> keptSourceAddress(const QString& address)
{
    return keptAddress(address, true);
}

std::optional<ScrapSource> sourceOfPaste(const QMimeData& mime)
{
    // Any page can write the clipboard: what it names is kept only as a web address, never as a local file.
    const QString mozUrl = QStringLiteral("text/x-moz-url");
    if (mime.hasFormat(mozUrl)) {
        const QStringList lines = fromUtf16OrUtf8(mime.data(mozUrl)).split(u'\n');
        if (const std::optional<QString> address = keptAddress(lines.value(0), false))
            return ScrapSource{.address = *address, .title = lines.value(1).trimmed()};
    }
    if (mime.hasHtml()) {
        static const QRegularExpression sourceLine(QStringLiteral("^SourceURL:(\\S+)"),
                                                   QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = sourceLine.match(mime.html().left(4096));
        if (match.hasMatch()) {
            if (const std::optional<QString> address = keptAddress(match.captured(1), false))
                return ScrapSource{.address = *address};
        }
    }
    return std::nullopt;
}
