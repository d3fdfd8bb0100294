#include "scraplistmodel.h"

#include "common/colourvalue.h"
#include "common/session.h"
#include "database/query.h"
#include "database/resultset.h"
#include "scrap/fieldcaptions.h"

#include <QBrush>
#include <QFontMetrics>

#include <algorithm>

namespace {

// How many of a column's longest texts are measured with the real font.
constexpr int kCandidates = 8;

// A cheap stand-in for the drawn width: wide (CJK, full-width) characters count twice; numbers by their digits.
int roughWidth(const QVariant& value)
{
    if (value.typeId() == QMetaType::LongLong) {
        qint64 n = value.toLongLong();
        int digits = n < 0 ? 2 : 1;
        while (n /= 10)
            ++digits;
        return digits;
    }
    int width = 0;
    for (const QChar c : *static_cast<const QString*>(value.constData()))
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

} // namespace

ScrapListModel::ScrapListModel(const Session& session, QObject* parent)
    : QAbstractTableModel(parent)
    , m_session(session)
{
    connect(&session, &Session::resultsReplaced, this, &ScrapListModel::clear);
    connect(&session, &Session::resultsChanged, this, &ScrapListModel::refresh);
}

void ScrapListModel::showResults()
{
    setResultSet(m_session.resultSet());
}

void ScrapListModel::clear()
{
    setResultSet(nullptr);
}

void ScrapListModel::setResultSet(const ResultSet* set)
{
    beginResetModel();
    m_set = set;
    endResetModel();
}

void ScrapListModel::refresh()
{
    beginResetModel();
    endResetModel();
}

int ScrapListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_set ? 0 : m_set->recordCount();
}

int ScrapListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(kFieldCaptions.size());
}

QString ScrapListModel::cellText(int row, int column) const
{
    if (!m_set)
        return {};
    const QVariant value = m_set->valueAt(row, column);
    switch (column) {
    case Field::a03: {
        const QDate date = dateFromText(value.toString());
        return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : value.toString();
    }
    case Field::skID:
        return value.toLongLong() == 0 ? QStringLiteral("なし") : QStringLiteral("あり");
    default:
        return value.toString();
    }
}

QVariant ScrapListModel::data(const QModelIndex& index, int role) const
{
    if (!m_set || !index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::BackgroundRole && index.column() == Field::a01) {
        const auto colour = ColourValue::parse(m_set->valueAt(index.row(), Field::backC).toString());
        return colour ? QBrush(ColourValue::toColour(*colour)) : QVariant();
    }
    return {};
}

QVariant ScrapListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < int(kFieldCaptions.size()))
        return QString::fromUtf16(kFieldCaptions[section].caption);
    return QString();
}

QList<int> ScrapListModel::columnWidths(const QFont& font) const
{
    const QFontMetrics metrics(font);
    QList<int> widths;
    const int rows = rowCount();
    for (int column = 0; column < columnCount(); ++column) {
        // Keep the few roughly-widest texts, then measure only those.
        std::vector<std::pair<int, int>> best; // (rough width, row)
        for (int row = 0; row < rows; ++row) {
            const QVariant& cell = m_set->valueAt(row, column);
            const int rough = cell.typeId() == QMetaType::QString || cell.typeId() == QMetaType::LongLong
                                  ? roughWidth(cell)
                                  : int(cell.toString().size());
            if (int(best.size()) < kCandidates) {
                best.emplace_back(rough, row);
                std::push_heap(best.begin(), best.end(), std::greater<>());
            } else if (rough > best.front().first) {
                std::pop_heap(best.begin(), best.end(), std::greater<>());
                best.back() = {rough, row};
                std::push_heap(best.begin(), best.end(), std::greater<>());
            }
        }
        int width = metrics.horizontalAdvance(headerData(column, Qt::Horizontal).toString());
        for (const auto& [rough, row] : best)
            width = std::max(width, metrics.horizontalAdvance(cellText(row, column)));
        widths << width;
    }
    return widths;
}
