#include "recognition.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

namespace {

const QString kCannotRead = QStringLiteral("画像の文字を認識できませんでした。");

QString dataFolder()
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    return prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") : QString::fromLocal8Bit(prefix);
}

} // namespace

namespace Ocr {

QString languageDataFolder()
{
    return dataFolder();
}

QString engineVersion()
{
    // The data's sizes stand for its version: the files carry none a program can read.
    QString data;
    for (const char* language : {"jpn", "jpn_vert", "Japanese_vert", "eng"}) {
        const QFileInfo file(QDir(dataFolder()).filePath(QLatin1StringView(language) + QStringLiteral(".traineddata")));
        data += u' ' + QLatin1StringView(language) + u':' + QString::number(file.size());
    }
    // The version the program was built with, so the window need not load the engine to know it; "reading 4" is one
    // model per direction where the page has one, specks taken out, wider thresholds, English for Latin text only,
    // pages straightened, so pictures read before are read again.
    return QStringLiteral("tesseract " ZETTORA_TESSERACT_VERSION) + data + QStringLiteral(" reading 4");
}

QByteArray frame(const QByteArray& payload)
{
    QByteArray bytes(kFrameHeader, Qt::Uninitialized);
    qToBigEndian(quint32(payload.size()), bytes.data());
    return bytes + payload;
}

QString wordsText(const QList<RecognisedWord>& words)
{
    QString text;
    for (const RecognisedWord& word : words) {
        text += QStringLiteral("%1,%2,%3,%4,%5\t")
                    .arg(word.box.x())
                    .arg(word.box.y())
                    .arg(word.box.width())
                    .arg(word.box.height())
                    .arg(word.vertical ? 1 : 0);
        text += word.text + u'\n';
    }
    return text;
}

QList<RecognisedWord> wordsFromText(const QString& text)
{
    QList<RecognisedWord> words;
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0)
            continue;
        const QList<QStringView> numbers = line.left(tab).split(u',');
        if (numbers.size() != 5)
            continue;
        words.append({QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt()),
                      line.mid(tab + 1).toString(), numbers[4] == u"1"});
    }
    return words;
}

QByteArray encode(const Result<Recognition>& result)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << result.ok();
    if (result)
        out << result->text << wordsText(result->words) << result->engine << result->turned;
    else
        out << result.failure().what << result.failure().why << result.failure().detail;
    return bytes;
}

Result<Recognition> decode(const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    bool ok = false;
    in >> ok;
    if (ok) {
        Recognition recognition;
        QString words;
        in >> recognition.text >> words >> recognition.engine >> recognition.turned;
        recognition.words = wordsFromText(words);
        if (in.status() == QDataStream::Ok)
            return recognition;
    } else {
        Failure failure;
        in >> failure.what >> failure.why >> failure.detail;
        if (in.status() == QDataStream::Ok)
            return failure;
    }
    return Failure{kCannotRead, QStringLiteral("文字認識の処理から読めない答えが返りました。"),
                   QStringLiteral("garbled answer")};
}

} // namespace Ocr
