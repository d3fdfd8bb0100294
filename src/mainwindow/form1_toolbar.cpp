// The toolbar layouts of the modes and the dispatcher behind every button.
#include "classtree/form2.h"
#include "common/colourvalue.h"
#include "common/images.h"
#include "common/session.h"
#include "common/twips.h"
#include "database/resultset.h"
#include "form1.h"
#include "mainwindowlog.h"
#include "search/form10.h"
#include "search/form8.h"
#include "search/form9.h"
#include "search/searchstatements.h"

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

void Form1::ClearToolbar()
{
    // The buttons are made anew for each layout, so the old ones go entirely, not only from view.
    const QList<QAction*> actions = m_toolbar->actions();
    m_toolbar->clear();
    qDeleteAll(actions);
}

void Form1::buildToolbar(ToolbarLayout layout)
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
            connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
            m_toolbar->addAction(action);
        }
        action->setObjectName(key);
    }
    if (layout == ToolbarLayout::Search && m_session.isSavedEdition())
        toolbarButton(QStringLiteral("sTree"))->setEnabled(false);
}

QAction* Form1::toolbarButton(const QString& key) const
{
    for (QAction* action : m_toolbar->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

void Form1::ToggleBodyBackground(QPlainTextEdit* box)
{
    const QVariant current = box->property(kBackColourProperty);
    const quint32 now = current.isValid() ? current.toUInt() : ColourValue::kWindow;
    const quint32 next = now == ColourValue::kWindow ? ColourValue::k3DLight : ColourValue::kWindow;
    box->setProperty(kBackColourProperty, next);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ColourValue::toColour(next));
    box->setPalette(palette);
}

void Form1::ToggleAddressBar()
{
    const bool showBox = m_urlBox->isHidden();
    m_urlBox->setVisible(showBox);
    if (showBox) {
        ArrangePanes(m_fgWidth[0]);
        m_urlBox->raise();
    }
    for (const char16_t* key : {u"bPrev", u"bNext", u"bHome", u"bSearch", u"bFavor", u"bPrint", u"speak2"}) {
        if (QAction* action = toolbarButton(QString::fromUtf16(key)))
            action->setVisible(!showBox);
    }
}

void Form1::openTreeEditor()
{
    auto* editor = new Form2(m_session, m_dialogs, nullptr, m_fgMode, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &Form2::helpRequested, this, &Form1::showHelp);
    connect(editor, &Form2::closed, this, [this] {
        if (m_fgMode == Favourites) {
            InitFG0_WEB();
            InitFG0_WEBaddFolder();
            return;
        }
        // Classes may have been deleted with their scraps: a listing made before the editor is stale.
        if (m_fgMode == Search)
            m_session.closeResults();
        InitFG0_SCR();
        InitFG0_SCRaddFolder();
    });
    editor->open();
}

void Form1::Toolbar1_ButtonClick(const QString& key)
{
    QPlainTextEdit* body = m_fgMode == RecordView ? m_rtBox : m_mData;
    if (key == u"bColor") {
        ToggleBodyBackground(m_mData);
    } else if (key == u"rtColor") {
        ToggleBodyBackground(m_rtBox);
    } else if (key == u"sTree") {
        if (m_fgMode == Search) {
            InitFR();
            ButtonEnable_Search(false);
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
        m_mData->clear();
        m_mData->setCurrentCharFormat(QTextCharFormat());
        m_mData->setFocus();
        m_justRegistered = false;
        for (const char16_t* button : {u"drawMEMO", u"underLine"}) {
            if (QAction* action = toolbarButton(QString::fromUtf16(button)))
                action->setEnabled(false);
        }
    } else if (key == u"underLine") {
        ToggleMark(m_mData);
    } else if (key == u"underLineInd") {
        ToggleMark(m_rtBox);
    } else if (key == u"prevMEMO" || key == u"nextMEMO") {
        StepScrapChecked(key == u"nextMEMO");
    } else if (key == u"RecEditMEMO") {
        SaveScrapBody();
    } else if (key == u"delMEMO") {
        DeleteShownScrap();
    } else if (key == u"drawMEMO") {
        m_fgMode = Registration;
    } else if (key == u"bAdress") {
        ToggleAddressBar();
    } else if (key == u"firstDataMEMO") {
        m_fgMode = RecordView;
        ResultSet* set = m_session.resultSet();
        if (set && set->recordCount() > 0) {
            set->moveFirst();
            m_currentRstG = 1;
            ShowRecordMode();
            ShowScrapPosition(m_currentRstG);
            MenuUnEnable_Search(false);
        }
    } else if (key == u"SearchTitleMEMO" || key == u"SearchKeyMEMO") {
        ShowSearchMode();
        auto* dialog = new Form9(m_session, key == u"SearchTitleMEMO" ? kTitleField : kKeywordField, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &Form9::searchRequested, this, &Form1::runSearch);
        connect(dialog, &Form9::helpRequested, this, &Form1::showHelp);
        dialog->open();
    } else if (key == u"SearchDateMEMO") {
        ShowSearchMode();
        auto* dialog = new Form10(m_session, m_dialogs, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &Form10::searchRequested, this, &Form1::runSearch);
        connect(dialog, &Form10::helpRequested, this, &Form1::showHelp);
        dialog->open();
    } else if (key == u"pDownMEMO") {
        auto* dialog = new Form8(m_session, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &Form8::filterApplied, this, [this] { showFilteredListing(); });
        dialog->open();
    } else if (key == u"Back2Search") {
        ShowSearchMode();
    } else if (key == u"strSerch") {
        openFullTextSearch();
    } else if (key == u"drawMEMO2") {
        CloseOtherWindows();
        m_fgMode = RecordView;
    }
    // Placeholders and keys without a command do nothing.
}
