#pragma once

#include <QObject>

#include <functional>

// Enter in a text field does what the field is for, unless an input method is composing: its Enter confirms the
// conversion and nothing else. The press is watched, not the release: an input method that takes the Enter
// confirming its conversion may still let the release through.
class EnterKeyFilter final : public QObject {
public:
    enum class Key { Consumed, PassedOn };

    // Installs itself on field; entered runs on each Enter outside a composition. A passed-on Enter still reaches
    // the field (a combo box adds the text to its list).
    EnterKeyFilter(QObject* field, std::function<void()> entered, Key key = Key::Consumed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_entered;
    const Key m_key;
    bool m_composing = false;
};
