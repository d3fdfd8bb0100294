#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QWidget>

// Draws one picture scaled to fit, keeping its proportions, centred; takes picture files dropped on it.
class PictureArea final : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent = nullptr);

    // The stored bytes to show; decoded again at the shown size whenever the area changes size.
    void showBytes(const QByteArray& bytes);
    void clear();
    const QImage& shownImage() const { return m_image; }
    // Boxes drawn over the picture, in the upright picture's own pixels: the words a search found in it.
    void setHighlights(const QList<QRect>& boxes);
    const QList<QRect>& highlights() const { return m_highlights; }

Q_SIGNALS:
    void fileDropped(const QString& path);
    void imageDropped(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void decode();

    QByteArray m_bytes;
    QImage m_image;
    QSize m_uprightSize; // of the stored picture, before it was fitted
    QList<QRect> m_highlights;
};
