#include "classpicker.h"

#include "classtreeloader.h"
#include "common/enterkeyfilter.h"
#include "common/twips.h"
#include "treerows.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr int kDefaultWidth = 6300;
constexpr int kDefaultHeight = 6600;
constexpr int kMargin = 120;
constexpr int kControlTop = 90;
constexpr int kControlHeight = 420;
constexpr int kButtonMinWidth = 1200;
constexpr int kTreeTop = 600;
constexpr int kTreeWidthInset = 100;
constexpr int kTreeHeightInset = 1100;

} // namespace

ClassPicker::ClassPicker(Session& session, PickerOpener opener, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_opener(opener)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("分類変更"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_label = new QLabel(QStringLiteral("クリックした分類で管理票が書き換えられます"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setObjectName(QStringLiteral("Command1"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("fg"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { onNodeClicked(item); });
    // The arrow keys move the highlight; Enter takes the class as a click does.
    new EnterKeyFilter(m_tree, [this] {
        if (QTreeWidgetItem* item = m_tree->currentItem())
            onNodeClicked(item);
    });

    if (Connection* connection = session.connection())
        loadClassTree(m_tree, *connection);

    // The label and the button share the band above the tree, so the window is at least as wide as both.
    const int needed = pixelsToTwips(m_label->sizeHint().width() + m_cancel->sizeHint().width()) + 3 * kMargin;
    resize(twipsToPixels(std::max(kDefaultWidth, needed)), twipsToPixels(kDefaultHeight));
    layOut();
}

void ClassPicker::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void ClassPicker::layOut()
{
    const int buttonWidth = std::max(twipsToPixels(kButtonMinWidth), m_cancel->sizeHint().width());
    const int buttonLeft = width() - twipsToPixels(kTreeWidthInset) - buttonWidth;
    m_cancel->setGeometry(buttonLeft, twipsToPixels(kControlTop), buttonWidth, twipsToPixels(kControlHeight));
    const int labelLeft = twipsToPixels(kMargin);
    m_label->setGeometry(labelLeft, twipsToPixels(kControlTop), std::max(0, buttonLeft - labelLeft - labelLeft),
                         twipsToPixels(kControlHeight));
    m_tree->setGeometry(0, twipsToPixels(kTreeTop), std::max(0, width() - twipsToPixels(kTreeWidthInset)),
                        std::max(0, height() - twipsToPixels(kTreeHeightInset)));
}

void ClassPicker::onNodeClicked(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QPointer<ClassPicker> self(this);
    Q_EMIT classPicked(TreeRows::rowOf(item), classPathOf(item));
    // The opener may have closed the picker itself while taking the class.
    if (self)
        close();
}
