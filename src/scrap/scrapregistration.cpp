#include "scrapregistration.h"

#include "common/session.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "scraplog.h"

namespace {

// Appending needs no rows read: a snapshot of all 32,767 would cost more than the registration itself.
ResultSource indexTableToAppendTo()
{
    return ResultSource::fromTable(Schema::name(Schema::kMemoIdx), QStringLiteral(" WHERE 0"));
}

} // namespace

Registration registerScrap(Session& session, ScrapIndex index, const QString& body,
                           const std::optional<WaitingPicture>& picture)
{
    Connection* connection = session.connection();
    if (!connection)
        return {RegistrationOutcome::NoDatabase, {}};
    struct Wanted {
        NumberKind kind;
        qint16* number;
    };
    QList<Wanted> wanted{{NumberKind::DocNo, &index.docNo}, {NumberKind::pfID, &index.pfID}};
    if (picture)
        wanted.append({NumberKind::skID, &index.skID});
    try {
        Transaction transaction(*connection);
        for (const Wanted& w : wanted) {
            const TakenNumber taken = TakeNextNumber(*connection, w.kind);
            if (taken.counterMissing)
                return {RegistrationOutcome::CounterMissing, {}};
            if (taken.value < 0)
                return {RegistrationOutcome::NumbersExhausted, {}};
            *w.number = taken.value;
        }
        // Only now is the listing replaced: a registration refused for want of numbers leaves it as it was.
        if (!session.openResults(indexTableToAppendTo()))
            return {RegistrationOutcome::CannotOpen, {}};
        AddScrapIndex(*session.resultSet(), index);
        AddScrapBody(*connection, index.pfID, body);
        if (picture)
            InsertPictureRow(*connection, index.skID, picture->caption, picture->jpeg);
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcScrap) << "cannot store the scrap:" << e.message();
        // The rolled-back row is still in the set's snapshot; reading the table again drops it.
        if (!session.openResults(indexTableToAppendTo()))
            qCWarning(lcScrap) << "cannot reopen the index table after a failed registration";
        return {RegistrationOutcome::WriteFailed, {}};
    }
    return {RegistrationOutcome::Registered, {session.resultSet()->rowid(), index.docNo, index.pfID, index.skID}};
}
