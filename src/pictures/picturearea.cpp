#include "picturearea.h"

#include "pictureimage.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPen>

PictureArea::PictureArea(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setAutoFillBackground(true);
}

void PictureArea::showBytes(const QByteArray& bytes)
{
    m_bytes = bytes;
    m_uprightSize = uprightSize(bytes);
    decode();
}

void PictureArea::clear()
{
    m_bytes.clear();
    m_image = QImage();
    m_highlights.clear();
    update();
}

void PictureArea::setHighlights(const QList<QRect>& boxes)
{
    m_highlights = boxes;
    update();
}

void PictureArea::decode()
{
    // Decoded at the device's pixels, so the picture stays sharp on a high-dpi screen.
    const qreal ratio = devicePixelRatioF();
    m_image = m_bytes.isEmpty() ? QImage() : decodeToFit(m_bytes, (QSizeF(size()) * ratio).toSize());
    m_image.setDevicePixelRatio(ratio);
    update();
}

void PictureArea::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF shown = m_image.deviceIndependentSize();
    const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    painter.drawImage(target, m_image);
    if (m_highlights.isEmpty() || m_uprightSize.isEmpty())
        return;
    const qreal scale = target.width() / m_uprightSize.width();
    painter.setPen(QPen(QColor(220, 30, 30), 2));
    painter.setBrush(QColor(255, 210, 0, 80));
    for (const QRect& box : m_highlights)
        painter.drawRect(QRectF(target.topLeft() + QPointF(box.topLeft()) * scale, QSizeF(box.size()) * scale));
}

void PictureArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_bytes.isEmpty())
        decode();
}

void PictureArea::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasImage() || (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()))
        event->acceptProposedAction();
}

void PictureArea::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
        Q_EMIT fileDropped(data->urls().first().toLocalFile());
        event->acceptProposedAction();
    } else if (data->hasImage()) {
        Q_EMIT imageDropped(qvariant_cast<QImage>(data->imageData()));
        event->acceptProposedAction();
    }
}
