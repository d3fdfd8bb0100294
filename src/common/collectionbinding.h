#pragma once

#include <QtGlobal>

#include <functional>

class Connection;
class QObject;
class Session;

// Ties a window to the collection open when it was made. Told once that collection closes (while it is still open,
// so the window can save what it holds and close), and from then on connection() is null: nothing of one
// collection is ever written into another.
class CollectionBinding final {
public:
    CollectionBinding(Session& session, QObject* window, std::function<void()> closing);

    // The window's collection is still the open one.
    [[nodiscard]] bool isCurrent() const;
    // The window's collection's connection, or null once another collection is open (or none).
    [[nodiscard]] Connection* connection() const;

private:
    Session& m_session;
    quint64 m_id;
};
