#pragma once

#include "common/session.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Which window opened the picker: it writes the class that is picked.
enum class PickerOpener { RecordView, RegistrationSheet };

// The classification picker: a click on a class hands its tree row and path to the opener and closes the
// picker. The picker writes nothing itself; the opener stores the class where it belongs.
class ClassPicker final : public QWidget {
    Q_OBJECT
public:
    // fromWhich: 1 when opened from the main window's record-view sheet, 3 from the registration sheet.
    ClassPicker(Session& session, PickerOpener opener, QWidget* parent = nullptr);

    PickerOpener opener() const { return m_opener; }

Q_SIGNALS:
    // levNo is the clicked node's tree row, 1 for the root.
    void classPicked(int levNo, const ClassPath& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void onNodeClicked(QTreeWidgetItem* item);
    void layOut();

    const PickerOpener m_opener;
    QLabel* m_label;
    QTreeWidget* m_tree;
    QPushButton* m_cancel;
};
