#include "nodedelegate.h"

#include "common/characterlimit.h"

#include <QLineEdit>

NodeDelegate::NodeDelegate(int maxLength, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_maxLength(maxLength)
{
    connect(this, &QAbstractItemDelegate::closeEditor, this, [this](QWidget* editor) {
        if (m_editor == editor)
            m_editor.clear();
    });
}

void NodeDelegate::setListeners(Listener began, Listener stored)
{
    m_began = std::move(began);
    m_stored = std::move(stored);
}

void NodeDelegate::finish(bool keep)
{
    QWidget* editor = m_editor;
    if (!editor)
        return;
    m_editor.clear();
    if (keep)
        Q_EMIT commitData(editor);
    Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QWidget* NodeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    // Names longer than their column would be refused by the file only after the scraps were renamed.
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        limitToCharacters(line, m_maxLength);
    m_editor = editor;
    if (m_began)
        m_began(index);
    return editor;
}

void NodeDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    QStyledItemDelegate::setModelData(editor, model, index);
    if (m_stored)
        m_stored(index);
}
