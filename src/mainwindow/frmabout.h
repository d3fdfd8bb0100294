#pragma once

#include <QDialog>

// The version window: the program's title with "のﾊﾞｰｼﾞｮﾝ情報" and "Version " + major.minor.revision.
class FrmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);
    static QString versionText();
};
