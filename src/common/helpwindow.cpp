#include "helpwindow.h"

#include "helptopics.h"

#include <QAction>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

// The pages are compiled into a static library, whose resource registration the linker would otherwise drop.
static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

namespace {

constexpr int kUrlRole = Qt::UserRole;

// The contents follow a scrap from collecting to handing on, then the settings, the files and support.
constexpr const char* kPages[] = {
    "index.html",    "mainwindow.html", "classtree.html", "registration.html", "search.html",  "record.html",
    "pictures.html", "export.html",     "settings.html",  "collections.html",  "support.html",
};

// Full-width and half-width letters, and upper and lower case, compare alike.
QString folded(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QString anchorOf(const QTextBlock& block)
{
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QStringList names = it.fragment().charFormat().anchorNames();
        if (!names.isEmpty())
            return names.constFirst();
    }
    return {};
}

QString pageText(const QUrl& page)
{
    QFile file(u':' + page.path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QToolButton* navigationButton(const QString& name, const QString& caption, QStyle::StandardPixmap icon,
                              QKeySequence::StandardKey key, QWidget* parent)
{
    auto* action = new QAction(parent->style()->standardIcon(icon), caption, parent);
    action->setObjectName(name + QStringLiteral("Action"));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(caption + QStringLiteral("（") + QKeySequence(key).toString(QKeySequence::NativeText) +
                       QStringLiteral("）"));
    action->setEnabled(false);
    parent->addAction(action);
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setDefaultAction(action);
    return button;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
    , m_side(new QTabWidget(this))
    , m_contents(new QTreeWidget(m_side))
    , m_searchField(new QLineEdit(m_side))
    , m_results(new QListWidget(m_side))
    , m_searchNote(new QLabel(m_side))
{
    initHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tarnwell Zettora ヘルプ"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);

    QToolButton* back = navigationButton(QStringLiteral("helpBack"), QStringLiteral("戻る"), QStyle::SP_ArrowBack,
                                         QKeySequence::Back, this);
    QToolButton* forward = navigationButton(QStringLiteral("helpForward"), QStringLiteral("進む"),
                                            QStyle::SP_ArrowForward, QKeySequence::Forward, this);
    connect(back->defaultAction(), &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward->defaultAction(), &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back->defaultAction(), &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward->defaultAction(), &QAction::setEnabled);

    m_side->setObjectName(QStringLiteral("helpSide"));
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(true);
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { open(item->data(0, kUrlRole).toUrl()); });
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { open(item->data(0, kUrlRole).toUrl()); });
    m_side->addTab(m_contents, QStringLiteral("目次"));

    auto* searchPage = new QWidget(m_side);
    m_searchField->setObjectName(QStringLiteral("helpSearchField"));
    m_searchField->setPlaceholderText(QStringLiteral("探す言葉（空白で区切る）"));
    m_searchField->setClearButtonEnabled(true);
    auto* searchButton = new QPushButton(QStringLiteral("検索"), searchPage);
    searchButton->setObjectName(QStringLiteral("helpSearchButton"));
    searchButton->setAutoDefault(false);
    m_searchNote->setObjectName(QStringLiteral("helpSearchNote"));
    m_searchNote->setWordWrap(true);
    m_results->setObjectName(QStringLiteral("helpSearchResults"));
    connect(m_searchField, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
    connect(m_results, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { open(item->data(kUrlRole).toUrl()); });
    connect(m_results, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { open(item->data(kUrlRole).toUrl()); });
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchField, 1);
    searchRow->addWidget(searchButton);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchNote);
    searchLayout->addWidget(m_results, 1);
    m_side->addTab(searchPage, QStringLiteral("検索"));

    auto* splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("helpSplitter"));
    splitter->addWidget(m_side);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 760});

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    readSections();
    fillContents();
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::markCurrentEntry);
    resize(1040, 720);
}

QList<QUrl> HelpWindow::pages()
{
    initHelpResources();
    QList<QUrl> urls;
    for (const char* page : kPages)
        urls << QUrl(QStringLiteral("qrc:/help/") + QLatin1String(page));
    return urls;
}

void HelpWindow::readSections()
{
    for (const QUrl& page : pages()) {
        QTextDocument document;
        document.setBaseUrl(page);
        document.setHtml(pageText(page));
        const qsizetype first = m_sections.size();
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            const int level = block.blockFormat().headingLevel();
            const QString anchor = level == 1 || level == 2 ? anchorOf(block) : QString();
            // A page's title opens a section even without an anchor, so that its first lines belong somewhere.
            if (!anchor.isEmpty() || (level == 1 && m_sections.size() == first)) {
                QUrl url = page;
                if (!anchor.isEmpty())
                    url.setFragment(anchor);
                m_sections.append({url, block.text().simplified(), level, {}});
            }
            if (m_sections.size() > first)
                m_sections.last().text += folded(block.text()) + u'\n';
        }
    }
}

void HelpWindow::fillContents()
{
    QTreeWidgetItem* page = nullptr;
    for (const Section& section : std::as_const(m_sections)) {
        QTreeWidgetItem* item =
            section.level == 1 || !page ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(page);
        if (section.level == 1)
            page = item;
        item->setText(0, section.title);
        item->setToolTip(0, section.title);
        item->setData(0, kUrlRole, section.url);
    }
    m_contents->expandAll();
}

void HelpWindow::open(const QUrl& url)
{
    if (!url.isValid())
        return;
    m_browser->setSource(url);
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
}

void HelpWindow::runSearch()
{
    m_results->clear();
    const QStringList words = folded(m_searchField->text()).split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        m_searchNote->clear();
        return;
    }
    QString pageTitle;
    for (const Section& section : std::as_const(m_sections)) {
        if (section.level == 1)
            pageTitle = section.title;
        const bool all = std::all_of(words.cbegin(), words.cend(),
                                     [&section](const QString& word) { return section.text.contains(word); });
        if (!all)
            continue;
        auto* item = new QListWidgetItem(section.level == 1
                                             ? section.title
                                             : section.title + QStringLiteral("（") + pageTitle + QStringLiteral("）"),
                                         m_results);
        item->setData(kUrlRole, section.url);
        item->setToolTip(item->text());
    }
    m_searchNote->setText(m_results->count() == 0
                              ? QStringLiteral("「%1」を含むページはありません。").arg(m_searchField->text().trimmed())
                              : QStringLiteral("%1 か所見つかりました。").arg(m_results->count()));
}

void HelpWindow::markCurrentEntry(const QUrl& url)
{
    QUrl page = url;
    page.setFragment(QString());
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QUrl entry = (*it)->data(0, kUrlRole).toUrl();
        if (entry == url) {
            best = *it;
            break;
        }
        QUrl entryPage = entry;
        entryPage.setFragment(QString());
        if (!best && entryPage == page)
            best = *it;
    }
    const QSignalBlocker quiet(m_contents);
    m_contents->setCurrentItem(best);
}

void HelpWindow::showTopic(int topic)
{
    open(HelpTopic::url(topic));
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::currentUrl() const
{
    return m_browser->source();
}
