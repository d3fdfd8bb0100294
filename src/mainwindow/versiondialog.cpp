#include "versiondialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

VersionDialog::VersionDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Tarnwell Zettoraのﾊﾞｰｼﾞｮﾝ情報"));
    auto* title = new QLabel(QStringLiteral("Tarnwell Zettora"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    auto* version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString VersionDialog::versionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(ZETTORA_VERSION_MAJOR)
        .arg(ZETTORA_VERSION_MINOR)
        .arg(ZETTORA_VERSION_PATCH);
}
