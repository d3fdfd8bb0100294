#include "savededitionnotice.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// Painting after every scrap would cost more than the copy; a hundred steps look smooth.
constexpr int kProgressSteps = 100;

} // namespace

SavedEditionNotice::SavedEditionNotice(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_label(new QLabel(this))
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmNotice"));
    setWindowTitle(QStringLiteral("Tarnwell Zettora"));
    setWindowModality(Qt::ApplicationModal);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_progress);
    setMinimumWidth(320);
}

void SavedEditionNotice::showText(const QString& text)
{
    m_label->setText(text);
    m_progress->hide();
    show();
    m_label->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SavedEditionNotice::setProgress(int done, int total)
{
    if (total <= 0)
        return;
    const int step = std::max(1, total / kProgressSteps);
    if (done != total && done % step != 0)
        return;
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_progress->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
