#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;
class Session;
class UserDialogs;

// オプション → ページ保存の設定: whether pages clipped from the web tab are kept with their scraps, and the limits
// per page and for the collection. Stored in the collection.
class PageCopyOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    PageCopyOptionsDialog(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    void accept() override;

private:
    Session& m_session;
    UserDialogs& m_dialogs;
    QCheckBox* m_keep;
    QSpinBox* m_pageLimit;
    QSpinBox* m_collectionLimit;
};
