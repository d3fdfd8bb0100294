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
int roughWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

int roughWidth(qint64 n)
{
    int digits = n < 0 ? 2 : 1;
    while (n /= 10)
        ++digits;
    return digits;
}

// The kCandidates roughly-widest (rough width, row) pairs seen so far, as a min-heap.
using Candidates = std::vector<std::pair<int, int>>;

void offer(Candidates& best, int rough, int row)
{
    if (int(best.size()) < kCandidates) {
        best.emplace_back(rough, row);
        std::push_heap(best.begin(), best.end(), std::greater<>());
    } else if (rough > best.front().first) {
        std::pop_heap(best.begin(), best.end(), std::greater<>());
        best.back() = {rough, row};
        std::push_heap(best.begin(), best.end(), std::greater<>());
    }
}

} // namespace

ScrapListModel::ScrapListModel(const Session& session, QObject* parent)
    : QAbstractTableModel(parent)
    , m_session(session)
{
    connect(&session, &Session::resultsReplaced, this, &ScrapListModel::onResultsReplaced);
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

void ScrapListModel::onResultsReplaced()
{
    setResultSet(m_listReplacements ? m_session.resultSet() : nullptr);
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
    const int rows = rowCount();
    const int columns = columnCount();
    // One pass row by row: a row's cells lie side by side in the result set.
    std::vector<Candidates> best(static_cast<std::size_t>(columns));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            Candidates& candidates = best[std::size_t(column)];
            const QVariant& cell = m_set->valueAt(row, column);
            const int type = cell.typeId();
            int rough;
            if (type == QMetaType::QString) {
                const QString& text = *static_cast<const QString*>(cell.constData());
                // A text is at most twice its length wide: most need no counting once the candidates are long.
                if (int(candidates.size()) == kCandidates && 2 * text.size() <= candidates.front().first)
                    continue;
                rough = roughWidth(text);
            } else if (type == QMetaType::LongLong) {
                rough = roughWidth(*static_cast<const qint64*>(cell.constData()));
            } else {
                rough = int(cell.toString().size());
            }
            offer(candidates, rough, row);
        }
    }
    QList<int> widths;
    for (int column = 0; column < columns; ++column) {
        int width = metrics.horizontalAdvance(headerData(column, Qt::Horizontal).toString());
        QStringList measured; // candidates often repeat a text (a level, a class), which needs measuring once
        for (const auto& [rough, row] : best[std::size_t(column)]) {
            const QString text = cellText(row, column);
            if (measured.contains(text))
                continue;
            measured << text;
            width = std::max(width, metrics.horizontalAdvance(text));
        }
        widths << width;
    }
    return widths;
}
