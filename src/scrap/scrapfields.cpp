#include "scrapfields.h"

#include "common/textcut.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/resultset.h"
#include "fieldcaptions.h"

#include <QDate>

#include <algorithm>

namespace {

// Writes what the caller set, or leaves the record as it was.
template <typename Setter> void updateCurrent(ResultSet& set, Setter setFields)
{
    try {
        setFields();
        set.update();
    } catch (const DbError&) {
        set.cancelUpdate();
        throw;
    }
}

} // namespace

QString proposedTitle(const QString& body)
{
    qsizetype end = body.size();
    for (qsizetype i = 0; i < body.size(); ++i) {
        // A line separator (Shift+Enter) ends the line as a line break does.
        if (body[i] == u'\n' || body[i] == u'\r' || body[i] == QChar::LineSeparator ||
            body[i] == QChar::ParagraphSeparator) {
            end = i;
            break;
        }
    }
    return leftWhole(body, std::min<qsizetype>(end, kProposedTitleLength));
}

bool isScrapDate(const QString& text)
{
    const QDate date = QDate::fromString(text, u"yyyy-MM-dd");
    return date.isValid() && dateText(date) == text;
}

QString typedFieldOfRow(int row)
{
    switch (row - 1) {
    case Field::a01:
    case Field::a02:
    case Field::a03:
    case Field::a07:
        return QString::fromUtf16(kFieldCaptions[std::size_t(row - 1)].field);
    default:
        return {};
    }
}

void storeIndexField(ResultSet& set, const QString& field, const QString& value)
{
    updateCurrent(set, [&] { set.setValue(field, value); });
}

void storeLevel(ResultSet& set, const QString& level, const QString& backColour)
{
    updateCurrent(set, [&] {
        set.setValue(QStringLiteral("a01"), level);
        set.setValue(QStringLiteral("backC"), backColour);
    });
}

void refileScrap(ResultSet& set, int levNo, const ClassPath& path)
{
    updateCurrent(set, [&] {
        set.setValue(QStringLiteral("a04"), path.major);
        set.setValue(QStringLiteral("a05"), path.middle);
        set.setValue(QStringLiteral("a06"), path.minor);
        set.setValue(QStringLiteral("LevNo"), levNo);
    });
}
