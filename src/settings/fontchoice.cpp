#include "fontchoice.h"

#include "common/session.h"
#include "common/userdialogs.h"
#include "database/dberror.h"
#include "database/schema.h"
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
    // The file keeps a name of at most 30 characters; a longer one is refused with that reason, not the engine's.
    const Schema::Table* table = Schema::table(Schema::name(Schema::kFontSize));
    const Schema::Column* column = Schema::column(*table, QStringLiteral("01Font_Name"));
    if (Schema::characterCount(font.name) > column->width) {
        dialogs.critical(
            QStringLiteral("フォントを保存できませんでした。\nフォント名「%1」が長すぎます（%2 文字まで）。"
                           "別のフォントを選んでください。")
                .arg(font.name)
                .arg(column->width));
        return false;
    }
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
