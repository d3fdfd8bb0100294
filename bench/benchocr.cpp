// The text in pictures: how well and how fast the engine reads printed Japanese, across and down.
#include "benchops.h"
#include "ocr/recognition.h"
#include "ocr/recognitionprocess.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// A4 at 300 dpi, 10.5 point type, a newspaper's 15 characters to the column line.
constexpr int kPageWidth = 2480;
constexpr int kPageHeight = 3508;
constexpr int kDotsPerMeter = 11811;
constexpr int kTextPixels = 44;
constexpr int kPitch = 48;
constexpr int kLineStep = 76;
constexpr int kCharsPerLine = 45;
constexpr double kSkewDegrees = 1.5;
constexpr int kPictureRuns = 3;
// Pages per direction, each with the article begun at another sentence and other noise: on a single page a few
// characters misread in one place swing the rate by points.
constexpr int kPagesPerDirection = 3;
constexpr int kPageTimeoutMs = 120000;

const QString kArticle = QStringLiteral(
    "政府は十日の閣議で来年度予算案を決定した。一般会計の総額は過去最大となり、社会保障費の伸びが続いている。"
    "地方自治体への交付金も増額される見通しだ。財務省によると、税収は前年度を上回る見込みで、新たな国債の発行額は"
    "三年ぶりに減る。一方、防衛費は大幅に増え、子育て支援の財源をどう確保するかが国会の焦点になりそうだ。"
    "野党は歳出の中身が不透明だとして追及する構えを見せている。経済団体は賃上げの流れを止めないよう求めた。"
    "市場では長期金利の動きに関心が集まり、日本銀行の政策運営にも注目が集まっている。");

QStringList linesOf(const QString& text, int perLine)
{
    QStringList lines;
    for (qsizetype at = 0; at < text.size(); at += perLine)
        lines << text.mid(at, perLine);
    return lines;
}

// A newspaper-like page: a headline and the article, across or down, printed a little askew and a little soiled.
QByteArray newspaperPage(bool down, const QString& article, quint32 seed)
{
    QImage page(kPageWidth, kPageHeight, QImage::Format_Grayscale8);
    page.fill(255);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(kPageWidth / 2.0, kPageHeight / 2.0);
        painter.rotate(kSkewDegrees);
        painter.translate(-kPageWidth / 2.0, -kPageHeight / 2.0);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(kTextPixels);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QStringList lines = linesOf(article, down ? kCharsPerLine : kCharsPerLine);
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines.at(i);
            for (int c = 0; c < line.size(); ++c) {
                const int x = down ? kPageWidth - 240 - i * kLineStep : 200 + c * kPitch;
                const int y = down ? 260 + (c + 1) * kPitch : 300 + i * kLineStep;
                painter.drawText(x, y, line.at(c));
            }
        }
    }
    QRandomGenerator random(seed);
    for (int y = 0; y < page.height(); ++y) {
        uchar* line = page.scanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            const quint32 r = random.bounded(1000U);
            if (r < 2)
                line[x] = uchar(random.bounded(96));
            else
                line[x] = uchar(std::clamp(int(line[x]) + int(r % 25) - 12, 0, 255));
        }
    }
    page.setDotsPerMeterX(kDotsPerMeter);
    page.setDotsPerMeterY(kDotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(page);
    return bytes;
}

// A photographed clipping of a few lines, as most pictures of scraps are.
QByteArray clippingPicture()
{
    QImage clipping(1600, 1200, QImage::Format_Grayscale8);
    clipping.fill(255);
    {
        QPainter painter(&clipping);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(40);
        painter.setFont(font);
        const QStringList lines = linesOf(kArticle.left(240), 30);
        for (int i = 0; i < lines.size(); ++i)
            painter.drawText(80, 120 + i * 70, lines.at(i));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    clipping.save(&buffer, "JPG");
    return bytes;
}

// Pages are read as the program reads them: by a child on one core (the engine's thread count is fixed when its
// library loads, so the bench's own process, started with every core, would measure another engine). The child
// loads its models on a clipping before anything is timed.
RecognitionProcess& child()
{
    static RecognitionProcess process(QCoreApplication::applicationFilePath(), kPageTimeoutMs);
    static const bool warm = [] {
        if (const Result<Recognition> reading = process.recognise(clippingPicture(), {}); !reading)
            throw std::runtime_error(reading.failure().detail.toStdString());
        return true;
    }();
    Q_UNUSED(warm);
    return process;
}

QString withoutBlanks(QString text)
{
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

// Edits (insertions, deletions, substitutions) that turn one text into the other.
qsizetype editDistance(const QString& a, const QString& b)
{
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

struct PageReading {
    double cer = 0;
    double ms = 0;
};

// The article from its page-th sentence on, then its beginning.
QString articleFrom(int page)
{
    const QStringList sentences = kArticle.split(u'。', Qt::SkipEmptyParts);
    QString text;
    for (qsizetype i = 0; i < sentences.size(); ++i)
        text += sentences.at((i + page * 3) % sentences.size()) + u'。';
    return text;
}

PageReading readPage(bool down, int number)
{
    const QString article = articleFrom(number);
    const QByteArray page = newspaperPage(down, article, 20261208U + quint32(number));
    RecognitionProcess& reader = child();
    QElapsedTimer timer;
    timer.start();
    const Result<Recognition> reading = reader.recognise(page, {});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!reading)
        throw std::runtime_error(reading.failure().detail.toStdString());
    // Punctuation the engine may drop or keep between sentences is counted like any other character.
    const QString known = withoutBlanks(article);
    return {double(editDistance(withoutBlanks(reading->text), known)) / double(known.size()), ms};
}

QString accuracyLine(BenchContext&)
{
    PageReading across;
    PageReading down;
    for (int page = 0; page < kPagesPerDirection; ++page) {
        for (const bool vertical : {false, true}) {
            const PageReading reading = readPage(vertical, page);
            PageReading& sum = vertical ? down : across;
            sum.cer += reading.cer / kPagesPerDirection;
            sum.ms += reading.ms / kPagesPerDirection;
        }
    }
    return QStringLiteral("cer_horizontal=%1 cer_vertical=%2 ms_per_page=%3 ms_across=%4 ms_down=%5")
        .arg(QString::number(across.cer * 100, 'f', 2) + u'%', QString::number(down.cer * 100, 'f', 2) + u'%',
             QString::number((across.ms + down.ms) / 2, 'f', 0), QString::number(across.ms, 'f', 0),
             QString::number(down.ms, 'f', 0));
}

// The time until a clipping's text is there.
QString pictureLine(BenchContext&)
{
    const QByteArray bytes = clippingPicture();
    RecognitionProcess& reader = child();
    std::vector<double> times;
    qsizetype characters = 0;
    for (int run = 0; run < kPictureRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const Result<Recognition> reading = reader.recognise(bytes, {});
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!reading)
            throw std::runtime_error(reading.failure().detail.toStdString());
        characters = withoutBlanks(reading->text).size();
    }
    std::sort(times.begin(), times.end());
    return QStringLiteral("median_ms=%1 min_ms=%2 max_ms=%3 chars=%4")
        .arg(QString::number(times[times.size() / 2], 'f', 0), QString::number(times.front(), 'f', 0),
             QString::number(times.back(), 'f', 0), QString::number(characters));
}

} // namespace

void registerOcrOps(BenchRegistry& registry)
{
    BenchOp accuracy;
    accuracy.name = QStringLiteral("ocr_accuracy");
    accuracy.report = accuracyLine;
    registry.push_back(accuracy);
    BenchOp picture;
    picture.name = QStringLiteral("ocr_picture");
    picture.report = pictureLine;
    registry.push_back(picture);
}
