#include "fontchoice.h"

#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "displaysettingsstore.h"
#include "settingslog.h"

#include <QFont>

bool ChooseDisplayFont(Session& session, UserDialogs& dialogs)
{
    if (!session.connection())
        return false;
    const DisplayFont& current = session.displayFont;
    QFont initial(current.name, current.size);
    initial.setBold(current.bold);
    initial.setItalic(current.italic);
    const std::optional<QFont> chosen = dialogs.chooseFont(initial);
    if (!chosen)
        return false;

    DisplayFont font;
    font.name = chosen->family();
    // A font sized in pixels has no point size to store, so the size in use stays.
    font.size = chosen->pointSizeF() > 0 ? wholePoints(chosen->pointSizeF()) : current.size;
    font.bold = chosen->bold();
    font.italic = chosen->italic();
    // Taken after the dialog, which ran the event loop.
    Connection* connection = session.connection();
    if (!connection)
        return false;
    try {
        StoreDisplayFont(*connection, font);
    } catch (const DbError& e) {
        qCWarning(lcSettings) << "cannot store the display font:" << e.message();
        dialogs.critical(e.failure(QStringLiteral("フォントを保存できませんでした。")).message());
        return false;
    }
    session.displayFont = font;
    return true;
}
