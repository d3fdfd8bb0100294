#include "enterkeyfilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

EnterKeyFilter::EnterKeyFilter(QObject* field, std::function<void()> entered, Key key)
    : QObject(field)
    , m_entered(std::move(entered))
    , m_key(key)
{
    field->installEventFilter(this);
}

bool EnterKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::InputMethod) {
        m_composing = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
    } else if (event->type() == QEvent::KeyPress && !m_composing) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_entered();
            return m_key == Key::Consumed;
        }
    }
    return QObject::eventFilter(watched, event);
}
