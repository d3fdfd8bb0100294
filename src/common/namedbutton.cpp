#include "namedbutton.h"

#include <QPushButton>

QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent, ButtonOptions options)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    if (options.neverDefault)
        button->setAutoDefault(false);
    if (options.minimumWidth > 0)
        button->setMinimumWidth(options.minimumWidth);
    return button;
}
