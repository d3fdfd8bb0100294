#include "searchbuttonrow.h"

#include "common/namedbutton.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QHBoxLayout* searchButtonRow(QDialog* dialog, QLabel* help, const std::function<void()>& search)
{
    auto* searchButton =
        namedButton(QStringLiteral("Command1_0"), QStringLiteral("検索"), dialog, {.minimumWidth = 96});
    auto* cancel =
        namedButton(QStringLiteral("Command1_1"), QStringLiteral("キャンセル"), dialog, {.minimumWidth = 96});
    searchButton->setDefault(true);
    QObject::connect(searchButton, &QPushButton::clicked, dialog, search);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addWidget(help, 1, Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(searchButton);
    row->addWidget(cancel);
    return row;
}
