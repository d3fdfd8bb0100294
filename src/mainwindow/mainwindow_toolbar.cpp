// The toolbar layouts of the modes, each button bound to what it does.
#include "bodymarks.h"
#include "classtree/treeeditor.h"
#include "common/colourvalue.h"
#include "common/enterkeyfilter.h"
#include "common/helptopics.h"
#include "common/session.h"
#include "common/toolbarbuttons.h"
#include "mainwindow.h"
#include "recordview.h"
#include "registration/registrationsheet.h"
#include "scraplistcontroller.h"
#include "search/datesearchdialog.h"
#include "search/fulltextsearchdialog.h"
#include "search/importancefilterdialog.h"
#include "search/searchstatements.h"
#include "search/textsearchdialog.h"
#include "settings/importancelevelseditor.h"
#include "web/webpane.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolBar>

using namespace Qt::StringLiterals;
using Kind = ChildWindows::Kind;

namespace {

const char* const kBackColourProperty = "backColourValue";

} // namespace

void MainWindow::ClearToolbar()
{
    fillToolbar(m_toolbar, {});
}

void MainWindow::BuildWebToolbar()
{
    const auto openEditor = [this] { openTreeEditor(); };
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(QStringLiteral("ph1"), 200),
        {u"bAdress"_s, u"アドレスバー"_s, u"blue"_s, u"アドレスバー表示"_s, [this] { ToggleAddressBar(); }},
        {u"bFavor"_s, u"お気に入り"_s, u"exclam"_s, u"お気に入りに追加"_s, openEditor},
        ToolbarButton::gap(QStringLiteral("ph2"), 400),
        {u"bPrev"_s, u"戻る"_s, u"arw6lt"_s, {}, [this] { m_webPane->goBack(); }},
        {u"bNext"_s, u"進む"_s, u"arw6rt"_s, {}, [this] { m_webPane->goForward(); }},
        {u"bHome"_s, u"ホーム"_s, u"home"_s, {}, [this] { m_webPane->goHome(); }},
        {u"bSearch"_s, u"検索"_s, u"magni"_s, {}, [this] { m_webPane->goSearch(); }},
        {u"bPrint"_s, u"印刷"_s, u"print"_s, {}, [this] { m_webPane->printPage(); }},
        {u"speak2"_s, u"読上げ"_s, u"lip"_s, u"選択部分を読み上げ"_s, [this] { ReadAloud(0); }},
    };
    fillToolbar(m_toolbar, buttons);
}

void MainWindow::BuildEntryToolbar()
{
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(QStringLiteral("ph1"), 200),
        {u"clearMEMO"_s, u"新規作成"_s, u"clear"_s, u"記入パネルを空白にします。"_s, [this] { clearEntry(); }},
        {u"sTree"_s, u"分類ツリー"_s, u"exclam"_s, u"分類ツリー編集"_s, [this] { openClassTreeEditor(); }},
        ToolbarButton::gap(QStringLiteral("ph3"), 400),
        {u"cutM"_s, u"切取り"_s, u"cut"_s, u"文字列を切取り、クリップボードにコピー"_s, [this] { cutText(); }},
        {u"copyM"_s, u"コピー"_s, u"copy"_s, u"文字列をコピーし、クリップボードにコピー"_s, [this] { copyText(); }},
        {u"pastM"_s, u"貼付け"_s, u"past"_s, u"文字列を指定位置に貼付け"_s, [this] { shownBody()->paste(); }},
        {u"undoM"_s, u"元へ"_s, u"left"_s, u"直前の状態へ戻します"_s, [this] { shownBody()->undo(); }},
        {u"drawMEMO"_s, u"画像"_s, u"clip"_s, u"スクラップに画像を添付できます。"_s,
         [this] { openPicturesOfEntryScrap(); }},
        {u"underLine"_s, u"下線"_s, u"red"_s, u"選択文字列に下線を引く"_s, [this] { toggleEntryMark(); }},
        {u"speak"_s, u"読上げ"_s, u"lip"_s, u"テキストを音声読み上げ"_s, [this] { ReadAloud(1); }},
        {u"bColor"_s, u"背景色"_s, u"moon"_s, u"背景色を変更"_s, [this] { ToggleBodyBackground(entryBody()); }},
    };
    fillToolbar(m_toolbar, buttons);
}

void MainWindow::BuildSearchToolbar()
{
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(QStringLiteral("ph1"), 300),
        {u"sTree"_s, u"分類ツリー"_s, u"exclam"_s, u"分類ツリー編集"_s, [this] { openClassTreeEditor(); }},
        ToolbarButton::gap(QStringLiteral("ph2"), 400),
        {u"SearchTitleMEMO"_s, u"標題検索"_s, u"pic2"_s, u"標題から検索"_s,
         [this] { openTextSearch(TextSearchField::Title); }},
        {u"SearchDateMEMO"_s, u"日付・期間検索"_s, u"pic"_s, u"日付または期間による検索"_s,
         [this] { openDateSearch(); }},
        {u"SearchKeyMEMO"_s, u"キーワード検索"_s, u"pic3"_s, u"キーワードから検索"_s,
         [this] { openTextSearch(TextSearchField::Keyword); }},
        {u"pDownMEMO"_s, u"重要度絞り込み"_s, u"check"_s, u"検索結果を重要度で絞込み"_s,
         [this] { openImportanceFilter(); }},
        {u"excelvt"_s, u"Excelへ"_s, u"excel"_s, u"Excelへ一覧表を出力"_s,
         [this] { listController()->exportToSpreadsheet(); }},
        {u"firstDataMEMO"_s, u"各個表示"_s, u"each"_s, u"任意行クリックで、その行から表示することも出来ます。"_s,
         [this] { showFirstResult(); }},
    };
    fillToolbar(m_toolbar, buttons);
    addBodySearchField();
    if (m_session.isReadOnly())
        toolbarButton(QStringLiteral("sTree"))->setEnabled(false);
}

void MainWindow::BuildRecordToolbar()
{
    const ToolbarButton buttons[] = {
        ToolbarButton::gap(QStringLiteral("ph1"), 200),
        {u"Back2Search"_s, u"戻る"_s, u"arrow"_s, u"検索モードへ戻る"_s,
         [this] {
             if (leaveRecordView())
                 ShowSearchMode();
         }},
        {u"prevMEMO"_s, u"戻る"_s, u"arw6lt"_s, u"前のスクラップを表示"_s, [this] { record()->step(false); }},
        {u"nextMEMO"_s, u"次へ"_s, u"arw6rt"_s, u"次のスクラップを表示"_s, [this] { record()->step(true); }},
        ToolbarButton::gap(QStringLiteral("ph2"), 200),
        {u"cutM"_s, u"切取り"_s, u"cut"_s, u"文字列を切取り、クリップボードにコピー"_s, [this] { cutText(); }},
        {u"copyM"_s, u"コピー"_s, u"copy"_s, u"文字列をコピーし、クリップボードにコピー"_s, [this] { copyText(); }},
        {u"pastM"_s, u"貼付け"_s, u"past"_s, u"文字列を指定位置に貼付け"_s, [this] { shownBody()->paste(); }},
        {u"undoM"_s, u"元へ戻す"_s, u"left"_s, u"直前の状態へ戻します"_s, [this] { shownBody()->undo(); }},
        {u"RecEditMEMO"_s, u"登録"_s, u"record2"_s, u"スクラップ編集後このボタンで登録してください。"_s,
         [this] { record()->saveBody(); }},
        ToolbarButton::gap(QStringLiteral("ph3"), 200),
        {u"speakRT"_s, u"読み上げ"_s, u"lip"_s, u"読み上げ"_s, [this] { ReadAloud(2); }},
        {u"drawMEMO2"_s, u"画像"_s, u"clip"_s, u"添付画像表示・追加・削除"_s, [this] { openPicturesOfShownScrap(); }},
        {u"underLineInd"_s, u"下線"_s, u"red"_s, u"選択文字列に下線を引く"_s, [this] { record()->toggleMark(); }},
        {u"strSerch"_s, u"全文検索"_s, u"magni"_s, u"文字列検索"_s, [this] { openFullTextSearch(); }},
        {u"delMEMO"_s, u"登録抹消"_s, u"del"_s, u"表示中のスクラップを抹消します。"_s,
         [this] { record()->deleteShown(); }},
        {u"rtColor"_s, u"背景色"_s, u"moon"_s, u"背景色を変更"_s, [this] { ToggleBodyBackground(recordBody()); }},
    };
    fillToolbar(m_toolbar, buttons);
}

QAction* MainWindow::toolbarButton(const QString& key) const
{
    return findToolbarButton(m_toolbar, key);
}

QPlainTextEdit* MainWindow::shownBody()
{
    return m_mode == Mode::RecordView ? recordBody() : entryBody();
}

void MainWindow::cutText()
{
    // Cut acts on whichever text box has the focus, the address box included.
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(focus)) {
        QApplication::clipboard()->clear();
        edit->cut();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        QApplication::clipboard()->clear();
        line->cut();
    }
}

void MainWindow::copyText()
{
    QApplication::clipboard()->clear();
    shownBody()->copy();
}

void MainWindow::clearEntry()
{
    // Removed as an edit, so 元へ brings a text emptied by mistake back (clear() would drop the undo history too).
    QTextCursor all(entryBody()->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    entryBody()->setCurrentCharFormat(QTextCharFormat());
    entryBody()->setFocus();
    endEntryMarking();
}

void MainWindow::openClassTreeEditor()
{
    if (m_mode == Mode::Search) {
        listController()->clear();
        enableResultCommands(false);
        m_reserveMenu->menuAction()->setEnabled(false);
    }
    openTreeEditor();
}

void MainWindow::showFirstResult()
{
    // With nothing listed nothing is shown, and the list stays in search mode: in record view's mode the class tree
    // would list nothing.
    if (resultCount() == 0)
        return;
    m_mode = Mode::RecordView;
    ShowRecordMode(1);
}

void MainWindow::openTextSearch(TextSearchField field)
{
    ShowSearchMode();
    auto* dialog = m_children.open(Kind::TextSearch, new TextSearchDialog(m_session, field, this));
    connect(dialog, &TextSearchDialog::searchRequested, listController(), &ScrapListController::runSearch);
}

void MainWindow::openDateSearch()
{
    ShowSearchMode();
    auto* dialog = m_children.open(Kind::DateSearch, new DateSearchDialog(m_session, m_dialogs, this));
    connect(dialog, &DateSearchDialog::searchRequested, listController(), &ScrapListController::runSearch);
}

void MainWindow::openImportanceFilter()
{
    auto* dialog = m_children.open(Kind::ImportanceFilter, new ImportanceFilterDialog(m_session, this));
    connect(dialog, &ImportanceFilterDialog::filterApplied, listController(), &ScrapListController::showFiltered);
    // A level no listed scrap has leaves nothing to show or send; the filter itself stays to be changed back.
    connect(dialog, &ImportanceFilterDialog::filterApplied, this, [this] {
        for (const char16_t* key : {u"excelvt", u"firstDataMEMO"}) {
            if (QAction* action = toolbarButton(QString::fromUtf16(key)))
                action->setEnabled(resultCount() > 0);
        }
    });
}

void MainWindow::openFullTextSearch()
{
    m_children.closeAllButWaitingPicture();
    m_children.open(Kind::FullText, new FullTextSearchDialog(m_session, m_dialogs, recordBody(), this));
}

void MainWindow::openImportanceLevels()
{
    auto* editor = m_children.open(Kind::LevelsEditor, new ImportanceLevelsEditor(m_session, m_dialogs, this));
    // An open registration sheet or record view would file scraps under the levels as they were.
    connect(editor, &ImportanceLevelsEditor::levelsChanged, this, [this] {
        if (auto* sheet = m_children.find<RegistrationSheet>(Kind::Registration))
            sheet->reloadLevels();
        if (m_record && m_record->isShowing())
            m_record->reloadLevels();
    });
}

void MainWindow::MakeSavedEdition()
{
    m_children.closeAllButWaitingPicture();
    listController()->makeSavedEdition();
}

void MainWindow::DeleteAllSearchResults()
{
    m_helpTopic = HelpTopic::kDeleteAll;
    if (listController()->deleteAll())
        ShowSearchMode();
}

void MainWindow::addBodySearchField()
{
    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer)->setObjectName(QStringLiteral("phBodySearch"));
    // The field is made anew with each toolbar layout; what was typed in it stays.
    auto* box = new QLineEdit(m_toolbar);
    box->setObjectName(QStringLiteral("BodySearch"));
    box->setPlaceholderText(QStringLiteral("本文を検索"));
    box->setToolTip(QStringLiteral("本文・標題・キーワードを検索（Ctrl+Shift+F）"));
    box->setClearButtonEnabled(true);
    box->setMinimumWidth(220);
    box->setText(m_bodySearchText);
    new EnterKeyFilter(box, [this] {
        listController()->runBodySearch(m_bodySearchText);
        if (m_bodySearchBox)
            m_bodySearchBox->setFocus();
    });
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { m_bodySearchText = text; });
    m_toolbar->addWidget(box)->setObjectName(QStringLiteral("BodySearchField"));
    m_bodySearchBox = box;
}

void MainWindow::focusBodySearch()
{
    if (!m_session.connection() || (m_mode == Mode::RecordView && !leaveRecordView()))
        return;
    if (m_mode != Mode::Search) {
        if (m_tabs->currentIndex() != TabSearch)
            m_tabs->setCurrentIndex(TabSearch);
        else
            ShowSearchMode();
    }
    if (m_bodySearchBox) {
        m_bodySearchBox->setFocus(Qt::ShortcutFocusReason);
        m_bodySearchBox->selectAll();
    }
}

void MainWindow::ToggleBodyBackground(QPlainTextEdit* box)
{
    const QVariant current = box->property(kBackColourProperty);
    const quint32 now = current.isValid() ? current.toUInt() : ColourValue::kWindow;
    const quint32 next = now == ColourValue::kWindow ? ColourValue::k3DLight : ColourValue::kWindow;
    box->setProperty(kBackColourProperty, next);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ColourValue::toColour(next));
    box->setPalette(palette);
}

void MainWindow::ToggleAddressBar()
{
    const bool showBox = m_addressBox->isHidden();
    m_addressBox->setVisible(showBox);
    if (showBox) {
        ArrangePanes(m_leftPaneWidths[0]);
        m_addressBox->raise();
    }
    for (const char16_t* key : {u"bPrev", u"bNext", u"bHome", u"bSearch", u"bFavor", u"bPrint", u"speak2"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setVisible(!showBox);
    }
}

void MainWindow::openTreeEditor()
{
    const TreeKind kind = m_mode == Mode::Favourites ? TreeKind::Favourites : TreeKind::Classes;
    auto* editor = m_children.open(Kind::TreeEditor, new TreeEditor(m_session, m_dialogs, m_webPane, kind, this));
    connect(editor, &TreeEditor::closed, this, [this] {
        if (m_mode == Mode::Favourites) {
            showFavouritesTree();
            refreshStartPage();
            return;
        }
        // Classes may have been deleted with their scraps: a listing made before the editor is stale, record view
        // left under the entry tab too, and the scrap just registered in the entry tab may be gone.
        if (m_mode == Mode::Search || m_recordView)
            m_session.closeResults();
        if (m_entryScrap && m_session.connection() &&
            !BodyMarks::scrapIsStored(*m_session.connection(), m_entryScrap->pfID))
            endEntryMarking();
        showClassTree();
        refileOpenRegistration();
    });
}
