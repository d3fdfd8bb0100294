#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>

// The tree grid's in-place editor: tells its window when an edit begins and when its text was stored, and lets
// the window finish an open edit before a command runs.
class NodeDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Listener = std::function<void(const QModelIndex&)>;

    explicit NodeDelegate(int maxLength, QObject* parent = nullptr);

    void setListeners(Listener began, Listener stored);
    bool isEditing() const { return !m_editor.isNull(); }
    // keep: store the editor's text first; otherwise the edit is dropped.
    void finish(bool keep);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    int m_maxLength;
    Listener m_began;
    Listener m_stored;
    mutable QPointer<QWidget> m_editor;
};
