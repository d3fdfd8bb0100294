#include "sessiontest.h"

#include "common/session.h"
#include "database/connection.h"
#include "database/opening.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "testcollection.h"

#include <QTest>

void SessionTest::adoptingAnotherDatabase_closesTheSharedResultSetFirst()
{
    TestFolder folder;
    const QString first = folder.newCollection(QStringLiteral("A.mdb"));
    const QString second = folder.newCollection(QStringLiteral("B.mdb"));
    Session session;
    session.adoptDatabase(Connection::openExisting(first), first, QStringLiteral("A"), DatabaseKind::Scrap);
    QVERIFY(session.openResults(ResultSource::wholeTable(Schema::name(Schema::kExtraNodeWeb))));
    QCOMPARE(session.resultSet()->recordCount(), 9);

    session.adoptDatabase(Connection::openExisting(second), second, QStringLiteral("B"), DatabaseKind::SavedEdition);
    QVERIFY(!session.resultSet());
    QCOMPARE(session.connection()->path(), second);
    QVERIFY(session.isSavedEdition());
}

void SessionTest::closingTheConnection_closesTheResultSet()
{
    TestFolder folder;
    const QString path = folder.newCollection();
    Session session;
    session.adoptDatabase(Connection::openExisting(path), path, QStringLiteral("Zettora"), DatabaseKind::Scrap);
    QVERIFY(session.openResults(ResultSource::wholeTable(Schema::name(Schema::kMemoIdx))));
    session.closeConnection();
    QVERIFY(!session.resultSet());
    QVERIFY(!session.connection());
}
