#include "helpwindow.h"

#include "helptopics.h"

#include <QTextBrowser>
#include <QVBoxLayout>

// The pages are compiled into a static library, whose resource registration the linker would otherwise drop.
static void initHelpResources()
{
    Q_INIT_RESOURCE(help);
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    initHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tarnwell Zettora ヘルプ"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 560);
}

void HelpWindow::showTopic(int topic)
{
    const QUrl url = HelpTopic::url(topic);
    m_browser->setSource(url);
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::currentUrl() const
{
    return m_browser->source();
}
