#include "ocrlog.h"
#include "recognition.h"
#include "recognitionprocess.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QScopeGuard>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <leptonica/allheaders.h>
#include <memory>
#include <mutex>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <vector>

namespace {

// English beside the Japanese models reads whole Japanese lines as Latin garbage (a character error rate of 18.6 %
// across against 8.9 % without it on the bench's page): English is a reading of its own, tried on Latin text only.
// Both Japanese models on a page written one way cost three times one model, for the same reading: the page's layout
// says which directions it has, and only a page with both is read with both.
// Down, the model of the Japanese script reads better (9.3 % against 12.2 %); across it reads worse (13.8 % against
// 7.3 %). Without it (a separate package) the language's own model reads down.
constexpr char kAcross[] = "jpn";
constexpr char kDown[] = "Japanese_vert";
constexpr char kDownFallback[] = "jpn_vert";
constexpr char kJapanese[] = "jpn+jpn_vert";
constexpr char kEnglish[] = "eng";
// A reading at least this share Latin letters is read again in English, and the surer reading kept.
constexpr double kLatinShare = 0.5;
// Below this mean confidence the picture is also read upside down, and the better reading kept.
constexpr int kTurnBelowConfidence = 60;
constexpr int kMinSide = 8;
// Pictures this large on their shorter side are scans or photographs whose strokes are several pixels wide, so a
// median takes their specks without thinning a stroke away; smaller ones are read as they are.
constexpr int kSpeckFilterSide = 1000;
constexpr int kAssumedDpi = 300;
// A page is straightened when its lines' skew is found this surely (the ratio of the best alignment's score to the
// worst's), and by at least this much: below it a line of 45 characters drifts less than a tenth of a character.
constexpr float kSkewSure = 3.0f;
constexpr float kLeastSkewDegrees = 0.1f;
// Or this surely both ways with the two angles this near: a photographed clipping of eight lines is found turned
// 2.98 degrees at 2.88 across and 3.08 at 1.57 down; photographs without text disagree by a degree or more.
constexpr float kSkewSureBothWays = 1.5f;
constexpr float kSkewBothWaysAgree = 0.25f;

const QString kCannotRead = QStringLiteral("画像の文字を認識できませんでした。");

QString dataFolder()
{
    return Ocr::languageDataFolder();
}

struct Engine {
    tesseract::TessBaseAPI api;
    bool ready = false;
    bool tried = false;
};

std::mutex engineMutex;
// Every engine loaded, ended before the program leaves: the engines share their dictionaries through a cache that
// is itself made on first use, so it is destroyed before them and the last engine's dictionaries would be lost.
std::vector<Engine*> loadedEngines;

void endEngines()
{
    const std::lock_guard lock(engineMutex);
    for (Engine* engine : loadedEngines)
        engine->api.End();
    loadedEngines.clear();
}

Engine& loaded(Engine& instance, const char* languages)
{
    if (!instance.tried) {
        instance.tried = true;
        instance.ready = instance.api.Init(nullptr, languages, tesseract::OEM_LSTM_ONLY) == 0;
        loadedEngines.push_back(&instance);
        // Sauvola's local thresholds keep strokes whole on grey, soiled paper (7.3 % across against 8.9 % with Otsu),
        // over half an inch rather than a third: 2.6 % across against 4.2 % on the bench's pages, down unchanged.
        if (instance.ready) {
            instance.api.SetVariable("thresholding_method", "2");
            instance.api.SetVariable("thresholding_window_size", "0.5");
        }
        if (!instance.ready)
            qCWarning(lcOcr) << "the engine could not load" << languages << "from" << dataFolder();
    }
    return instance;
}

Engine& acrossEngine()
{
    static Engine instance;
    return loaded(instance, kAcross);
}

Engine& downEngine()
{
    static Engine instance;
    static Engine fallback;
    Engine& engine = loaded(instance, kDown);
    return engine.ready ? engine : loaded(fallback, kDownFallback);
}

Engine& japaneseEngine()
{
    static Engine instance;
    return loaded(instance, kJapanese);
}

Engine& englishEngine()
{
    static Engine instance;
    return loaded(instance, kEnglish);
}

double latinShare(const QString& text)
{
    qsizetype latin = 0;
    qsizetype counted = 0;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        ++counted;
        if (c.unicode() < 0x80 && c.isLetter())
            ++latin;
    }
    return counted == 0 ? 0 : double(latin) / double(counted);
}

bool isEastAsian(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return true;
    default:
        break;
    }
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF) || (u >= 0x30A0 && u <= 0x30FF);
}

// Japanese is written without blanks between words; Latin words and numbers keep theirs.
void append(QString& text, const QString& word)
{
    if (!text.isEmpty() && !text.endsWith(u'\n') && !isEastAsian(text.back()) && !isEastAsian(word.front()))
        text += u' ';
    text += word;
}

struct Reading {
    QString text;
    QList<RecognisedWord> words;
    int confidence = 0;
};

void setPage(tesseract::TessBaseAPI& api, const QImage& gray)
{
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    const int dpi = qRound(gray.dotsPerMeterX() * 0.0254);
    api.SetSourceResolution(dpi >= 70 && dpi <= 1200 ? dpi : kAssumedDpi);
}

// The directions of the page's text blocks, from its layout alone (no reading): the engine keeps the layout, so a
// reading on the same engine goes on from it.
struct Directions {
    bool across = false;
    bool down = false;
};

// The block the iterator stands in is written top to bottom.
bool isWrittenDown(const tesseract::PageIterator& it)
{
    tesseract::Orientation orientation{};
    tesseract::WritingDirection direction{};
    tesseract::TextlineOrder order{};
    float deskew = 0;
    it.Orientation(&orientation, &direction, &order, &deskew);
    return direction == tesseract::WRITING_DIRECTION_TOP_TO_BOTTOM;
}

Directions directionsOf(Engine& engine, const QImage& gray)
{
    setPage(engine.api, gray);
    Directions found;
    const std::unique_ptr<tesseract::PageIterator> it(engine.api.AnalyseLayout());
    if (!it || it->Empty(tesseract::RIL_BLOCK))
        return found;
    do {
        if (!PTIsTextType(it->BlockType()))
            continue;
        (isWrittenDown(*it) ? found.down : found.across) = true;
    } while (it->Next(tesseract::RIL_BLOCK));
    return found;
}

// Characters on a line: the engine's own boxes for them drift by up to a character along a line of Japanese, so the
// words' boxes are taken from the ink when it falls into as many character cells as the line has characters.
struct LineWords {
    QRect box;
    bool vertical = false;
    qsizetype first = 0; // into the reading's words
};

qsizetype characterCount(const QString& text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isLowSurrogate() && !text.at(i).isSpace())
            ++count;
    }
    return count;
}

// Runs of ink across the line (down it, for a column), narrow ones joined while together they stay within a
// character's square: the strokes of い or 川 are one character, っ and た are two.
QList<std::pair<int, int>> characterCells(PIX* binary, const QRect& line, bool vertical)
{
    const int along = vertical ? line.height() : line.width();
    const int across = vertical ? line.width() : line.height();
    std::vector<int> ink(static_cast<std::size_t>(std::max(along, 0)), 0);
    const l_uint32* data = pixGetData(binary);
    const int wordsPerLine = pixGetWpl(binary);
    const int width = int(pixGetWidth(binary));
    const int height = int(pixGetHeight(binary));
    for (int y = std::max(line.top(), 0); y <= std::min(line.bottom(), height - 1); ++y) {
        const l_uint32* row = data + std::ptrdiff_t(y) * wordsPerLine;
        for (int x = std::max(line.left(), 0); x <= std::min(line.right(), width - 1); ++x) {
            if (GET_DATA_BIT(row, x))
                ++ink[static_cast<std::size_t>(vertical ? y - line.top() : x - line.left())];
        }
    }
    // A speck is no character: less ink than a 100th of the character's square.
    const int leastInk = std::max(2, across * across / 100);
    QList<std::pair<int, int>> cells;
    int start = -1;
    int inRun = 0;
    for (int i = 0; i <= along; ++i) {
        const int here = i < along ? ink[static_cast<std::size_t>(i)] : 0;
        if (here > 0) {
            if (start < 0)
                start = i;
            inRun += here;
            continue;
        }
        if (start < 0)
            continue;
        if (inRun >= leastInk) {
            if (!cells.isEmpty() && i - cells.back().first <= across * 11 / 10 &&
                (cells.back().second - cells.back().first < across * 6 / 10 || i - start < across * 6 / 10))
                cells.back().second = i;
            else
                cells.append({start, i});
        }
        start = -1;
        inRun = 0;
    }
    return cells;
}

void reboxLine(PIX* binary, const LineWords& line, QList<RecognisedWord>& words)
{
    if (!binary || line.first >= words.size())
        return;
    qsizetype characters = 0;
    for (qsizetype w = line.first; w < words.size(); ++w)
        characters += characterCount(words.at(w).text);
    const QList<std::pair<int, int>> cells = characterCells(binary, line.box, line.vertical);
    if (cells.size() != characters)
        return;
    qsizetype cell = 0;
    for (qsizetype w = line.first; w < words.size(); ++w) {
        const qsizetype count = characterCount(words.at(w).text);
        if (count == 0)
            continue;
        const int from = cells.at(cell).first;
        const int to = cells.at(cell + count - 1).second;
        cell += count;
        words[w].box = line.vertical ? QRect(line.box.left(), line.box.top() + from, line.box.width(), to - from)
                                     : QRect(line.box.left() + from, line.box.top(), to - from, line.box.height());
    }
}

// Recognises what the engine was last given (setPage or directionsOf).
Reading readSet(Engine& engine)
{
    tesseract::TessBaseAPI& api = engine.api;
    Reading reading;
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return reading;
    }
    reading.confidence = api.MeanTextConf();
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    PIX* binary = api.GetThresholdedImage();
    bool vertical = false;
    LineWords line;
    if (it && !it->Empty(tesseract::RIL_WORD)) {
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_BLOCK))
                vertical = isWrittenDown(*it);
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                reboxLine(binary, line, reading.words);
                int left = 0, top = 0, right = 0, bottom = 0;
                it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
                line = {QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), vertical, reading.words.size()};
            }
            if (it->IsAtBeginningOf(tesseract::RIL_PARA) && !reading.text.isEmpty() && !reading.text.endsWith(u'\n'))
                reading.text += u'\n';
            const std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_WORD));
            const QString word = utf8 ? QString::fromUtf8(utf8.get()).trimmed() : QString();
            // Every word is kept, however unsure: single kanji are often read right with low confidence.
            if (word.isEmpty())
                continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom);
            reading.words.append({QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), word, vertical});
            append(reading.text, word);
        } while (it->Next(tesseract::RIL_WORD));
        reboxLine(binary, line, reading.words);
    }
    pixDestroy(&binary);
    api.Clear();
    reading.text = reading.text.trimmed();
    return reading;
}

Reading read(Engine& engine, const QImage& gray)
{
    setPage(engine.api, gray);
    return readSet(engine);
}

// A Japanese page read with the model of its direction, or with both when it has both.
Reading readJapanese(const QImage& gray)
{
    Engine& across = acrossEngine();
    const Directions directions = directionsOf(across, gray);
    if (!directions.down)
        return readSet(across);
    across.api.Clear();
    if (!directions.across && downEngine().ready)
        return read(downEngine(), gray);
    return read(japaneseEngine(), gray);
}

uchar med3(uchar a, uchar b, uchar c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// A 3 x 3 median, from each column's three values sorted once: the specks and grain of a soiled scan go, strokes stay
// (on the bench's page 7.3 -> 5.7 % errors across, 9.3 -> 7.3 % down).
QImage withoutSpecks(const QImage& gray)
{
    QImage out = gray.copy();
    const int width = gray.width();
    const auto columns = static_cast<std::size_t>(width);
    std::vector<uchar> low(columns), middle(columns), high(columns);
    for (int y = 1; y + 1 < gray.height(); ++y) {
        const uchar* above = gray.constScanLine(y - 1);
        const uchar* row = gray.constScanLine(y);
        const uchar* below = gray.constScanLine(y + 1);
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            const uchar smaller = std::min(above[x], row[x]);
            const uchar larger = std::max(above[x], row[x]);
            low[x] = std::min(smaller, below[x]);
            high[x] = std::max(larger, below[x]);
            middle[x] = std::max(smaller, std::min(larger, below[x]));
        }
        uchar* target = out.scanLine(y);
        for (std::size_t x = 1; x + 1 < std::size_t(width); ++x) {
            const uchar lowest = std::max({low[x - 1], low[x], low[x + 1]});
            const uchar highest = std::min({high[x - 1], high[x], high[x + 1]});
            target[x] = med3(lowest, med3(middle[x - 1], middle[x], middle[x + 1]), highest);
        }
    }
    return out;
}

PIX* pixOf(const QImage& gray)
{
    PIX* pix = pixCreate(gray.width(), gray.height(), 8);
    if (!pix)
        return nullptr;
    l_uint32* data = pixGetData(pix);
    const int wordsPerLine = pixGetWpl(pix);
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* from = gray.constScanLine(y);
        l_uint32* line = data + std::ptrdiff_t(y) * wordsPerLine;
        for (int x = 0; x < gray.width(); ++x)
            SET_DATA_BYTE(line, x, from[x]);
    }
    return pix;
}

QImage imageOf(PIX* pix)
{
    QImage gray(int(pixGetWidth(pix)), int(pixGetHeight(pix)), QImage::Format_Grayscale8);
    const l_uint32* data = pixGetData(pix);
    const int wordsPerLine = pixGetWpl(pix);
    for (int y = 0; y < gray.height(); ++y) {
        uchar* to = gray.scanLine(y);
        const l_uint32* line = data + std::ptrdiff_t(y) * wordsPerLine;
        for (int x = 0; x < gray.width(); ++x)
            to[x] = uchar(GET_DATA_BYTE(line, x));
    }
    return gray;
}

// A page turned by a few degrees on the scanner or in the camera, and the degrees it was turned by (clockwise).
struct Straightened {
    QImage gray;
    double degrees = 0;
};

// Straight again, by the skew of its lines across or of its columns down, whichever is surer; as it is when neither
// is sure. Lines that run askew lose the characters at their ends to the lines beside them.
Straightened straightened(const QImage& gray)
{
    PIX* pix = pixOf(gray);
    if (!pix)
        return {gray, 0};
    PIX* binary = nullptr;
    // One threshold for the whole page (Otsu's): the skew is found on a rough black and white copy.
    pixOtsuAdaptiveThreshold(pix, std::max(16, gray.width()), std::max(16, gray.height()), 0, 0, 0.0f, nullptr,
                             &binary);
    PIX* turned = binary ? pixRotateOrth(binary, 1) : nullptr;
    l_float32 acrossAngle = 0, acrossSure = 0, downAngle = 0, downSure = 0;
    if (!binary || pixFindSkew(binary, &acrossAngle, &acrossSure) != 0)
        acrossSure = 0;
    // A page turned a quarter keeps its skew: the columns' skew is the page's.
    if (!turned || pixFindSkew(turned, &downAngle, &downSure) != 0)
        downSure = 0;
    pixDestroy(&binary);
    pixDestroy(&turned);
    l_float32 angle = acrossSure >= downSure ? acrossAngle : downAngle;
    bool sure = std::max(acrossSure, downSure) >= kSkewSure;
    // Japanese type stands on a grid: lines and columns found turned alike, each less surely, are the page's skew.
    if (!sure && std::min(acrossSure, downSure) >= kSkewSureBothWays &&
        std::abs(acrossAngle - downAngle) <= kSkewBothWaysAgree) {
        sure = true;
        angle = (acrossAngle + downAngle) / 2;
    }
    Straightened result{gray, 0};
    if (sure && std::abs(angle) >= kLeastSkewDegrees) {
        PIX* rotated = pixRotate(pix, angle * float(M_PI / 180), L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0);
        if (rotated) {
            result.gray = imageOf(rotated);
            result.gray.setDotsPerMeterX(gray.dotsPerMeterX());
            result.gray.setDotsPerMeterY(gray.dotsPerMeterY());
            result.degrees = angle;
        }
        pixDestroy(&rotated);
    }
    pixDestroy(&pix);
    return result;
}

} // namespace

namespace Ocr {

Result<Recognition> recognise(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (bytes.isEmpty())
        return Failure{kCannotRead, QStringLiteral("画像が空です。"), QStringLiteral("empty picture")};
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return Failure{kCannotRead, QStringLiteral("画像が大きすぎます。"),
                       QStringLiteral("too large: %1 x %2").arg(size.width()).arg(size.height())};
    const QImage image = reader.read();
    if (image.isNull())
        return Failure{kCannotRead, QStringLiteral("画像を読み込めません。"), reader.errorString()};
    if (qint64(image.width()) * image.height() > kMaxPixels)
        return Failure{kCannotRead, QStringLiteral("画像が大きすぎます。"), QStringLiteral("too large")};
    if (image.width() < kMinSide || image.height() < kMinSide)
        return Failure{kCannotRead, QStringLiteral("画像が小さすぎます。"), QStringLiteral("too small")};

    const std::lock_guard lock(engineMutex);
    if (!acrossEngine().ready || !japaneseEngine().ready)
        return Failure{kCannotRead, QStringLiteral("文字認識の言語データがありません。"), dataFolder()};
    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    if (std::min(gray.width(), gray.height()) >= kSpeckFilterSide)
        gray = withoutSpecks(gray);
    Straightened straight = straightened(gray);
    gray = std::move(straight.gray);
    const double skew = straight.degrees;
    QImage upsideDown; // made only when wanted: a page is megabytes
    const auto turnedOver = [&]() -> const QImage& {
        if (upsideDown.isNull())
            upsideDown = gray.transformed(QTransform().rotate(180));
        return upsideDown;
    };
    Reading reading = readJapanese(gray);
    bool turned = false;
    // An upside-down scan reads as noise of low confidence; read it turned and keep the better reading.
    if (reading.confidence < kTurnBelowConfidence) {
        Reading other = readJapanese(turnedOver());
        if (other.confidence > reading.confidence && other.words.size() >= reading.words.size() / 2) {
            reading = std::move(other);
            turned = true;
        }
    }
    if (latinShare(reading.text) >= kLatinShare) {
        if (Engine& english = englishEngine(); english.ready) {
            Reading other = read(english, turned ? turnedOver() : gray);
            if (other.confidence > reading.confidence)
                reading = std::move(other);
        }
    }
    if (turned || skew != 0) {
        // Boxes stand on the picture as it was given: turned back over, then back by the skew, both about its centre.
        const QPointF centre(gray.width() / 2.0, gray.height() / 2.0);
        const QTransform back = QTransform()
                                    .translate(centre.x(), centre.y())
                                    .rotate((turned ? 180 : 0) - skew)
                                    .translate(-centre.x(), -centre.y());
        for (RecognisedWord& word : reading.words)
            word.box = back.mapRect(word.box) & gray.rect();
    }
    return Recognition{reading.text, reading.words, engineVersion(), turned};
}

bool readFully(std::FILE* in, char* data, size_t size)
{
    return std::fread(data, 1, size, in) == size;
}

int runRecognitionCommand(const std::function<void(const QByteArray&)>& beforeEach)
{
    const auto end = qScopeGuard(endEngines);
    for (;;) {
        char header[kFrameHeader];
        if (!readFully(stdin, header, sizeof header))
            return 0;
        const quint32 size = qFromBigEndian<quint32>(header);
        if (size > kLargestFrame)
            return 1;
        QByteArray picture(qsizetype(size), Qt::Uninitialized);
        if (size > 0 && !readFully(stdin, picture.data(), size))
            return 1;
        if (beforeEach)
            beforeEach(picture);
        const QByteArray answer = frame(encode(recognise(picture)));
        if (std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout) != size_t(answer.size()))
            return 1;
        std::fflush(stdout);
    }
}

} // namespace Ocr
