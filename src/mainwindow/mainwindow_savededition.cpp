// The saved edition: the listed scraps copied into a read-only collection in a folder the user chooses.
#include "common/helptopics.h"
#include "common/session.h"
#include "common/userdialogs.h"
#include "database/resultset.h"
#include "mainwindow.h"
#include "savededition/savededitionnotice.h"
#include "savededition/savededitionwriter.h"

#include <QDir>

void MainWindow::MakeSavedEdition()
{
    CloseOtherWindows();
    const std::optional<QString> folder = m_dialogs.chooseFolder(QStringLiteral("作成場所を指定してください。"));
    if (!folder)
        return;
    if (m_dialogs.askYesNo(QStringLiteral("検索結果の保存版を、") + *folder +
                           QStringLiteral(" に作成します。　実行しますか？")))
        MakeDisk(*folder);
}

void MainWindow::MakeDisk(const QString& folder)
{
    ResultSet* listed = m_session.resultSet();
    Connection* source = m_session.connection();
    if (!listed || !source)
        return;
    SavedEditionNotice notice(this);
    giveHelpKey(&notice, HelpTopic::kSavedEdition);
    notice.showText(QStringLiteral("データベースを作成中です。 "));
    SavedEditionWriter writer;
    if (const Done created = writer.create(QDir(folder).filePath(m_session.databaseName() + QStringLiteral(".mdb")));
        !created) {
        notice.close();
        m_dialogs.critical(created.message());
        return;
    }
    notice.showText(QStringLiteral("データを転記中です。 "));
    const Done copied =
        writer.copy(*source, *listed, [&notice](int done, int total) { notice.setProgress(done, total); });
    // The set is left after its last record, as a walk over it leaves it.
    if (listed->recordCount() > 0) {
        listed->moveLast();
        listed->moveNext();
    }
    notice.close();
    m_dialogs.information(copied ? QStringLiteral("保存版を作成しました。") : copied.message());
}
