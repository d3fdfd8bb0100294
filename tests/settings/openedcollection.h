#pragma once

#include "common/session.h"
#include "database/connection.h"
#include "database/opening.h"
#include "settings/displaysettingsstore.h"
#include "testcollection.h"

#include <QStringList>

// A new collection, changed by the given statements, open in a session that has read its display settings.
struct OpenedCollection {
    TestFolder folder;
    QString path;
    Session session;

    explicit OpenedCollection(const QStringList& setup = {})
        : path(folder.newCollection())
    {
        for (const QString& sql : setup)
            alterCollection(path, sql);
        reopen();
    }
    void reopen()
    {
        session.adoptDatabase(Connection::openExisting(path), path, QStringLiteral("Zettora"), DatabaseKind::Scrap);
        ReadDisplayFont(*session.connection(), session.displayFont);
        ReadBackColor(*session.connection(), session.markers);
    }
    Connection& connection() const { return *session.connection(); }
    qint64 value(const QString& sql) const { return scalar(connection(), sql); }
};
