#include "scrapsheet.h"

#include "common/characterlimit.h"
#include "common/colourvalue.h"
#include "common/twips.h"
#include "fieldcaptions.h"
#include "scrapfields.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {

constexpr int kColumnCount = 3;
constexpr int kFlagColumn = 0;
constexpr int kCaptionColumn = 1;
constexpr int kColumnWidths[kColumnCount] = {200, 1000, 2600};
constexpr int kRowTwipsPerPoint = 38;
constexpr int kRowSpare = 60;
constexpr int kDateLength = 10;

// The level row offers the levels; typed cells refuse more than their columns hold.
class SheetDelegate final : public QStyledItemDelegate {
public:
    explicit SheetDelegate(ScrapSheet* sheet)
        : QStyledItemDelegate(sheet)
        , m_sheet(sheet)
    {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Q_UNUSED(option);
        const QVariant font = index.data(Qt::FontRole);
        if (index.row() != ScrapSheet::LevelRow) {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            limitToCharacters(edit, index.row() == ScrapSheet::DateRow ? kDateLength : kTypedFieldLength);
            if (font.isValid())
                edit->setFont(font.value<QFont>());
            return edit;
        }
        auto* box = new QComboBox(parent);
        box->addItems(m_sheet->levelNames());
        if (font.isValid())
            box->setFont(font.value<QFont>());
        // The level is taken as soon as it is chosen, not only when the cell loses focus.
        auto* self = const_cast<SheetDelegate*>(this);
        connect(box, &QComboBox::activated, self, [self, box] {
            Q_EMIT self->commitData(box);
            Q_EMIT self->closeEditor(box);
        });
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // A value that is no level shows none, so that leaving the drop-down does not pick the first.
            box->setCurrentIndex(box->findText(index.data().toString()));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // Leaving without a choice keeps the level there was.
            if (box->currentIndex() >= 0)
                model->setData(index, box->currentText());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    ScrapSheet* m_sheet;
};

QTableWidgetItem* fixedItem(const QString& text = QString())
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

ScrapSheet::ScrapSheet(Fields fields, QList<int> typedRows, QWidget* parent)
    : QTableWidget(fields == Fields::NewScrap ? int(PicturesRow) + 1 : int(kFieldCaptions.size()) + 1, kColumnCount,
                   parent)
    , m_typedRows(std::move(typedRows))
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setWordWrap(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new SheetDelegate(this));
    for (int column = 0; column < kColumnCount; ++column)
        setColumnWidth(column, twipsToPixels(kColumnWidths[column]));

    QFont bold = font();
    bold.setBold(true);
    for (int column = 0; column < kColumnCount; ++column) {
        QTableWidgetItem* header = fixedItem(column == kValueColumn ? QStringLiteral("スクラップ管理票") : QString());
        header->setFont(bold);
        setItem(HeaderRow, column, header);
    }
    const QColor captionColour = ColourValue::toColour(ColourValue::k3DLight);
    for (int row = LevelRow; row < rowCount(); ++row) {
        const FieldCaption& field = kFieldCaptions[std::size_t(row - 1)];
        setItem(row, kFlagColumn, fixedItem(QString::fromUtf16(field.flag)));
        setItem(row, kCaptionColumn, fixedItem(QString::fromUtf16(field.caption)));
        setItem(row, kValueColumn, fixedItem());
        if (row <= PicturesRow) {
            item(row, kFlagColumn)->setBackground(captionColour);
            item(row, kCaptionColumn)->setBackground(captionColour);
        } else {
            // The numbers are the program's own business.
            setRowHidden(row, true);
        }
    }
    setReadOnly(false);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* changed) {
        if (changed->column() == kValueColumn)
            Q_EMIT valueEdited(changed->row(), changed->text());
    });
}

void ScrapSheet::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    const QSignalBlocker block(this);
    for (int row = LevelRow; row < rowCount(); ++row) {
        QTableWidgetItem* value = item(row, kValueColumn);
        const bool typed = !readOnly && m_typedRows.contains(row);
        value->setFlags(typed ? value->flags() | Qt::ItemIsEditable : value->flags() & ~Qt::ItemIsEditable);
    }
}

void ScrapSheet::setValueFontSize(int pointSize)
{
    const QSignalBlocker block(this);
    QFont valueFont = font();
    if (pointSize > 0)
        valueFont.setPointSize(pointSize);
    for (int row = LevelRow; row < rowCount(); ++row)
        item(row, kValueColumn)->setFont(valueFont);
}

QString ScrapSheet::value(int row) const
{
    const QTableWidgetItem* cell = item(row, kValueColumn);
    return cell ? cell->text() : QString();
}

void ScrapSheet::setValue(int row, const QString& text)
{
    const QSignalBlocker block(this);
    item(row, kValueColumn)->setText(text);
}

void ScrapSheet::showLevelColour(const std::optional<QColor>& colour)
{
    const QSignalBlocker block(this);
    const QColor caption = ColourValue::toColour(ColourValue::k3DLight);
    item(LevelRow, kFlagColumn)->setBackground(colour.value_or(caption));
    item(LevelRow, kCaptionColumn)->setBackground(colour.value_or(caption));
    item(LevelRow, kValueColumn)->setBackground(colour.value_or(QColor(Qt::white)));
}

void ScrapSheet::fitRowHeights(int displayFontSize)
{
    // Measured as the sheet draws its wrapped cells, at the set column widths rather than the shown ones, so that
    // a window can be sized to the rows before it is first laid out.
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.features = QStyleOptionViewItem::WrapText;
    const int gridLine = showGrid() ? 1 : 0;
    const int minimum = twipsToPixels(kRowTwipsPerPoint * displayFontSize);
    for (int row = 0; row < rowCount(); ++row) {
        int height = minimum;
        for (int column = 0; column < kColumnCount; ++column) {
            option.rect = QRect(0, 0, columnWidth(column), 1);
            const QSize hint = itemDelegate()->sizeHint(option, model()->index(row, column));
            height = std::max(height, hint.height() + gridLine + twipsToPixels(kRowSpare));
        }
        setRowHeight(row, height);
    }
}

int ScrapSheet::naturalWidth() const
{
    return horizontalHeader()->length() + 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void ScrapSheet::commitOpenEditor()
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (QWidget* editor = indexWidget(model()->index(row, column))) {
                commitData(editor);
                closeEditor(editor, QAbstractItemDelegate::NoHint);
            }
        }
    }
}
