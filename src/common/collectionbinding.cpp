#include "collectionbinding.h"

#include "session.h"

CollectionBinding::CollectionBinding(Session& session, QObject* window, std::function<void()> closing)
    : m_session(session)
    , m_id(session.collectionId())
{
    QObject::connect(&session, &Session::collectionClosing, window, [closing = std::move(closing)] { closing(); });
}

bool CollectionBinding::isCurrent() const
{
    return m_session.connection() && m_session.collectionId() == m_id;
}

Connection* CollectionBinding::connection() const
{
    return isCurrent() ? m_session.connection() : nullptr;
}
