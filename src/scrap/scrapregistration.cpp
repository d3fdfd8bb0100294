#include "scrapregistration.h"

#include "common/session.h"
#include "database/connection.h"
#include "database/dberror.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/transaction.h"
#include "scraplog.h"

namespace {

// Appending needs no rows read: a snapshot of every scrap would cost more than the registration itself.
ResultSource indexTableToAppendTo()
{
    return ResultSource::fromTable(Schema::name(Schema::kMemoIdx), QStringLiteral(" WHERE 0"));
}

const QString kOpenError = QStringLiteral("DB Open error !");
const QString kFailed = QStringLiteral("スクラップ登録に失敗しました。");

} // namespace

Result<ScrapIdentity> registerScrap(Session& session, ScrapIndex index, const QString& body,
                                    const std::optional<WaitingPicture>& picture,
                                    const std::optional<ScrapSource>& source)
{
    Connection* connection = session.connection();
    if (!connection)
        return Failure{kOpenError, QStringLiteral("データベースが開かれていません。")};
    struct Wanted {
        NumberKind kind;
        qint64* number;
    };
    QList<Wanted> wanted{{NumberKind::DocNo, &index.docNo}, {NumberKind::pfID, &index.pfID}};
    if (picture)
        wanted.append({NumberKind::skID, &index.skID});
    bool replaced = false;
    try {
        Transaction transaction(*connection);
        for (const Wanted& w : wanted) {
            const Result<qint64> taken = TakeNextNumber(*connection, w.kind);
            if (!taken && taken.failure().why == kNoCounterRow)
                return taken.failure().as(QStringLiteral("Critical Error DB broken"));
            if (!taken)
                return taken.failure().as(kFailed);
            *w.number = *taken;
        }
        // Only now is the listing replaced: a registration refused for want of numbers leaves it as it was.
        if (!session.openResults(indexTableToAppendTo()))
            return Failure{kOpenError, QStringLiteral("スクラップの索引表を開けません。")};
        replaced = true;
        AddScrapIndex(*session.resultSet(), index);
        AddScrapBody(*connection, index.pfID, body);
        if (picture)
            InsertPictureRow(*connection, index.skID, picture->caption, picture->jpeg);
        if (source)
            ScrapSources::save(*connection, index.docNo, *source);
        transaction.commit();
    } catch (const DbError& e) {
        qCWarning(lcScrap) << "cannot store the scrap:" << e.message();
        // The rolled-back row is still in the set's snapshot; reading the table again drops it. A listing not yet
        // replaced stays as the user had it.
        if (replaced && !session.openResults(indexTableToAppendTo()))
            qCWarning(lcScrap) << "cannot reopen the index table after a failed registration";
        return e.failure(kFailed);
    }
    return ScrapIdentity{session.resultSet()->rowid(), index.docNo, index.pfID, index.skID};
}
