// The toolbar layouts of the modes and the dispatcher behind every button.
#include "classtree/treeeditor.h"
#include "common/colourvalue.h"
#include "common/images.h"
#include "common/session.h"
#include "common/twips.h"
#include "database/resultset.h"
#include "mainwindow.h"
#include "mainwindowlog.h"
#include "search/datesearchdialog.h"
#include "search/importancefilterdialog.h"
#include "search/searchstatements.h"
#include "search/textsearchdialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>

namespace {

const char* const kBackColourProperty = "backColourValue";

} // namespace

void MainWindow::ClearToolbar()
{
    // The buttons are made anew for each layout, so the old ones go entirely, not only from view.
    const QList<QAction*> actions = m_toolbar->actions();
    m_toolbar->clear();
    qDeleteAll(actions);
}

void MainWindow::buildToolbar(ToolbarLayout layout)
{
    for (const ToolButtonDef& def : toolbarButtons(layout)) {
        const QString key = QString::fromUtf16(def.key);
        QAction* action = nullptr;
        if (def.isPlaceholder()) {
            auto* gap = new QWidget(m_toolbar);
            gap->setFixedWidth(twipsToPixels(def.placeholderWidth));
            action = m_toolbar->addWidget(gap);
        } else {
            action =
                new QAction(Images::icon(QString::fromUtf16(def.image)), QString::fromUtf16(def.caption), m_toolbar);
            if (*def.tooltip)
                action->setToolTip(QString::fromUtf16(def.tooltip));
            connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
            m_toolbar->addAction(action);
        }
        action->setObjectName(key);
    }
    if (layout == ToolbarLayout::Search && m_session.isSavedEdition())
        toolbarButton(QStringLiteral("sTree"))->setEnabled(false);
}

QAction* MainWindow::toolbarButton(const QString& key) const
{
    for (QAction* action : m_toolbar->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
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
    auto* editor = new TreeEditor(m_session, m_dialogs, nullptr,
                                  m_mode == Favourites ? TreeKind::Favourites : TreeKind::Classes, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &TreeEditor::helpRequested, this, &MainWindow::showHelp);
    connect(editor, &TreeEditor::closed, this, [this] {
        if (m_mode == Favourites) {
            resetFavouritesTree();
            addFavouriteNodes();
            return;
        }
        // Classes may have been deleted with their scraps: a listing made before the editor is stale.
        if (m_mode == Search)
            m_session.closeResults();
        resetClassTree();
        addClassNodes();
    });
    editor->open();
}

void MainWindow::runCommand(const QString& key)
{
    QPlainTextEdit* body = m_mode == RecordView ? m_recordBody : m_entryBody;
    if (key == u"bColor") {
        ToggleBodyBackground(m_entryBody);
    } else if (key == u"rtColor") {
        ToggleBodyBackground(m_recordBody);
    } else if (key == u"sTree") {
        if (m_mode == Search) {
            clearList();
            enableResultCommands(false);
            findChild<QMenu*>(QStringLiteral("mReserve"))->menuAction()->setEnabled(false);
        }
        openTreeEditor();
    } else if (key == u"bFavor") {
        openTreeEditor();
    } else if (key == u"cutM") {
        // Cut acts on whichever text box has the focus, the address box included.
        QWidget* focus = QApplication::focusWidget();
        if (auto* edit = qobject_cast<QPlainTextEdit*>(focus)) {
            QApplication::clipboard()->clear();
            edit->cut();
        } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
            QApplication::clipboard()->clear();
            line->cut();
        }
    } else if (key == u"copyM") {
        QApplication::clipboard()->clear();
        body->copy();
    } else if (key == u"pastM") {
        body->paste();
    } else if (key == u"undoM") {
        body->undo();
    } else if (key == u"clearMEMO") {
        m_entryBody->clear();
        m_entryBody->setCurrentCharFormat(QTextCharFormat());
        m_entryBody->setFocus();
        endEntryMarking();
    } else if (key == u"underLine") {
        ToggleMark(m_entryBody);
    } else if (key == u"underLineInd") {
        ToggleMark(m_recordBody);
    } else if (key == u"prevMEMO" || key == u"nextMEMO") {
        StepScrapChecked(key == u"nextMEMO");
    } else if (key == u"RecEditMEMO") {
        SaveScrapBody();
    } else if (key == u"delMEMO") {
        DeleteShownScrap();
    } else if (key == u"drawMEMO") {
        m_mode = Registration;
    } else if (key == u"bAdress") {
        ToggleAddressBar();
    } else if (key == u"firstDataMEMO") {
        m_mode = RecordView;
        ResultSet* set = m_session.resultSet();
        if (set && set->recordCount() > 0) {
            set->moveFirst();
            m_resultPosition = 1;
            ShowRecordMode();
            ShowScrapPosition(m_resultPosition);
            enableResultMenus(false);
        }
    } else if (key == u"SearchTitleMEMO" || key == u"SearchKeyMEMO") {
        ShowSearchMode();
        auto* dialog = new TextSearchDialog(
            m_session, key == u"SearchTitleMEMO" ? TextSearchField::Title : TextSearchField::Keyword, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &TextSearchDialog::searchRequested, this, &MainWindow::runSearch);
        connect(dialog, &TextSearchDialog::helpRequested, this, &MainWindow::showHelp);
        dialog->open();
    } else if (key == u"SearchDateMEMO") {
        ShowSearchMode();
        auto* dialog = new DateSearchDialog(m_session, m_dialogs, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &DateSearchDialog::searchRequested, this, &MainWindow::runSearch);
        connect(dialog, &DateSearchDialog::helpRequested, this, &MainWindow::showHelp);
        dialog->open();
    } else if (key == u"pDownMEMO") {
        auto* dialog = new ImportanceFilterDialog(m_session, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &ImportanceFilterDialog::filterApplied, this, [this] { showFilteredListing(); });
        dialog->open();
    } else if (key == u"Back2Search") {
        ShowSearchMode();
    } else if (key == u"strSerch") {
        openFullTextSearch();
    } else if (key == u"drawMEMO2") {
        CloseOtherWindows();
        m_mode = RecordView;
    }
    // Placeholders and keys without a command do nothing.
}
