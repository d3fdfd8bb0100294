#include "picturearea.h"

#include "pictureimage.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

PictureArea::PictureArea(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setAutoFillBackground(true);
}

void PictureArea::showBytes(const QByteArray& bytes)
{
    m_bytes = bytes;
    decode();
}

void PictureArea::clear()
{
    m_bytes.clear();
    m_image = QImage();
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
