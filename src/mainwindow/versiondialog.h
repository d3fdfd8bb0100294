#pragma once

#include <QDialog>

// The version window: the program's title with "のﾊﾞｰｼﾞｮﾝ情報" and "Version " + major.minor.revision.
class VersionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit VersionDialog(QWidget* parent = nullptr);
    static QString versionText();
};
