#include "collectiongenerator.h"

#include "database/connection.h"
#include "database/creation.h"
#include "database/query.h"
#include "database/transaction.h"
#include "search/bodyindex.h"

#include <QBuffer>
#include <QColor>
#include <QDate>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <span>
#include <stdexcept>
#include <vector>

namespace {

struct MiddleNames {
    const char16_t* name;
    const char16_t* minors; // separated by single spaces
};

struct MajorNames {
    const char16_t* name;
    std::array<MiddleNames, 4> middles;
};

constexpr std::array<MajorNames, 8> kClassNames{{
    {u"政治",
     {{{u"国会", u"予算審議 法案 委員会 議員 党首討論"},
       {u"内閣・行政", u"首相 閣議 省庁再編 規制改革 公務員制度"},
       {u"選挙", u"衆院選 参院選 知事選 世論調査 選挙制度"},
       {u"地方政治", u"都道府県 市町村 地方議会 条例 住民投票"}}}},
    {u"経済",
     {{{u"金融", u"日銀 金利 為替 株式市場 銀行"},
       {u"産業", u"自動車 電機 エネルギー 流通 農業"},
       {u"財政", u"予算 税制 国債 社会保障費 地方財政"},
       {u"雇用・労働", u"賃金 失業 働き方 春闘 非正規雇用"}}}},
    {u"国際",
     {{{u"アジア", u"中国 韓国 東南アジア インド 台湾"},
       {u"欧州", u"英国 ドイツ フランス EU ロシア"},
       {u"米州", u"米国 カナダ 中南米 ブラジル メキシコ"},
       {u"中東・アフリカ", u"中東和平 湾岸諸国 北アフリカ サハラ以南 難民"}}}},
    {u"社会",
     {{{u"事件・事故", u"刑事事件 交通事故 火災 裁判 警察"},
       {u"教育", u"小中学校 高校 大学 入試 いじめ"},
       {u"医療・福祉", u"病院 介護 年金 感染症 子育て支援"},
       {u"環境", u"温暖化 ごみ問題 自然保護 大気汚染 再生可能エネルギー"}}}},
    {u"文化・生活",
     {{{u"文学・出版", u"小説 詩歌 書評 出版業界 文学賞"},
       {u"芸術", u"美術展 音楽 演劇 映画 伝統芸能"},
       {u"暮らし", u"料理 住まい 家計 健康 ファッション"},
       {u"旅・趣味", u"国内旅行 海外旅行 園芸 写真 鉄道"}}}},
    {u"科学",
     {{{u"宇宙・天文", u"探査機 天体観測 ロケット 宇宙開発 惑星"},
       {u"生命科学", u"遺伝子 再生医療 脳科学 進化 創薬"},
       {u"情報技術", u"人工知能 インターネット 半導体 セキュリティ 通信"},
       {u"地球科学", u"地震 火山 気象 海洋 古生物"}}}},
    {u"スポーツ",
     {{{u"野球", u"プロ野球 高校野球 大リーグ 社会人野球 記録"},
       {u"サッカー", u"Jリーグ 日本代表 W杯 欧州リーグ 女子サッカー"},
       {u"五輪", u"夏季五輪 冬季五輪 パラリンピック 招致 代表選考"},
       {u"格闘技・その他", u"大相撲 柔道 陸上 水泳 テニス"}}}},
    {u"地域",
     {{{u"北海道・東北", u"北海道 青森 岩手 宮城 福島"},
       {u"関東", u"東京 神奈川 千葉 埼玉 茨城"},
       {u"中部・近畿", u"愛知 新潟 大阪 京都 兵庫"},
       {u"中国・四国・九州", u"広島 岡山 香川 福岡 沖縄"}}}},
}};

constexpr std::array<const char16_t*, 20> kSubjects{
    u"政府",   u"与党",   u"野党",     u"専門家会議", u"市民団体", u"研究チーム", u"業界団体",
    u"県議会", u"委員会", u"財務省",   u"地元自治体", u"大手企業", u"労働組合",   u"国際機関",
    u"裁判所", u"医師会", u"住民団体", u"調査会社",   u"学会",     u"教育委員会"};
constexpr std::array<const char16_t*, 20> kTopics{
    u"新たな制度の導入",   u"来年度予算の配分", u"長期的な見通し", u"調査結果の公表",   u"国際協力の枠組み",
    u"地域経済の立て直し", u"技術開発の進め方", u"環境への影響",   u"人手不足への対策", u"安全基準の見直し",
    u"情報公開のあり方",   u"高齢化に伴う課題", u"災害への備え",   u"物価上昇の影響",   u"若者の意識の変化",
    u"デジタル化の遅れ",   u"教育現場の負担",   u"観光客の増加",   u"少子化への対応",   u"老朽化したインフラ"};
constexpr std::array<const char16_t*, 15> kPredicates{
    u"慎重な姿勢を示した", u"詳しく説明した",       u"懸念を表明した",   u"早急な対応を求めた", u"報告書をまとめた",
    u"議論を始めた",       u"見直しを検討している", u"方針を固めた",     u"反対の声を上げた",   u"一定の評価を与えた",
    u"課題を指摘した",     u"協議を続ける考えだ",   u"結論を先送りした", u"新たな案を示した",   u"理解を求めた"};
constexpr std::array<const char16_t*, 8> kHeadlineEnds{u"方針",     u"検討へ", u"懸念", u"報告書",
                                                       u"見直し案", u"新案",   u"反発", u"合意"};
constexpr std::array<const char16_t*, 6> kQuotes{u"状況を注意深く見守りたい", u"できることから進めていく",
                                                 u"説明が足りなかった",       u"前向きに検討したい",
                                                 u"現場の声を大切にしたい",   u"時間をかけて議論すべきだ"};
constexpr std::array<const char16_t*, 5> kWhens{u"年内", u"来月", u"今月末", u"来春", u"秋ごろ"};
constexpr std::array<const char16_t*, 4> kOpinions{u"異論も根強い", u"評価が分かれている", u"慎重な意見が多い",
                                                   u"期待の声が上がっている"};
constexpr std::array<const char16_t*, 20> kKeywords{
    u"予算", u"規制", u"選挙", u"金利", u"為替", u"少子化", u"高齢化", u"温暖化", u"人工知能", u"半導体",
    u"防災", u"観光", u"医療", u"年金", u"物価", u"雇用",   u"外交",   u"五輪",   u"地震",     u"再開発"};

constexpr int kScrapsPerPool = 32767;
constexpr int kMaxPoolScale = 16;
constexpr int kTitleLength = 100;
constexpr int kSentencePool = 1024;
constexpr int kPictureVariants = 6;
constexpr int kProgressStep = 1024;

struct ClassNode {
    int number;
    int parent;
    int depth;                   // 1 to 3
    std::array<QString, 3> path; // a04, a05, a06; empty below the class's own level
};

struct Level {
    QString name;
    QString colour;
};

QString text(const char16_t* constant)
{
    return QString::fromUtf16(constant);
}

template <typename T, std::size_t N> const T& pick(QRandomGenerator& rng, const std::array<T, N>& items)
{
    return items[rng.bounded(quint32(N))];
}

// Pre-order: a class's number follows its parent's and every earlier sibling's whole subtree.
std::vector<ClassNode> buildTree()
{
    std::vector<ClassNode> nodes;
    int next = 2;
    for (const MajorNames& major : kClassNames) {
        const QString a04 = text(major.name);
        const int majorNumber = next++;
        nodes.push_back({majorNumber, 1, 1, {a04, QString(), QString()}});
        for (const MiddleNames& middle : major.middles) {
            const QString a05 = text(middle.name);
            const int middleNumber = next++;
            nodes.push_back({middleNumber, majorNumber, 2, {a04, a05, QString()}});
            for (const QString& a06 : text(middle.minors).split(u' '))
                nodes.push_back({next++, middleNumber, 3, {a04, a05, a06}});
        }
    }
    return nodes;
}

std::vector<Level> readLevels(Connection& connection)
{
    std::vector<Level> levels;
    Query query(connection, QStringLiteral("SELECT \"01iName\", \"02BackColor\" FROM Status ORDER BY \"99Kana\""));
    while (query.next())
        levels.push_back({query.text(0), query.text(1)});
    if (levels.empty())
        throw std::runtime_error("the new collection has no importance levels");
    return levels;
}

// Past the first pools of the rare blocks, further words come from Extension A, whose kanji no template uses.
constexpr char32_t kMoreSingles = 0x3400;    // up to 960 more single kanji
constexpr char32_t kMorePairs = 0x3800;      // up to 960 more pairs
constexpr char32_t kMoreFourSecond = 0x3F80; // up to 480 more second kanji of the four-character words

char32_t singleKanji(quint32 i)
{
    return i < 64 ? BenchWords::kSingleFirst + i : kMoreSingles + (i - 64);
}

char32_t pairFirstKanji(quint32 i)
{
    return i < 64 ? BenchWords::kPairFirst + 2 * i : kMorePairs + 2 * (i - 64);
}

char32_t fourSecondKanji(quint32 i)
{
    return i < 32 ? BenchWords::kFourFirst + 32 + i : kMoreFourSecond + (i - 32);
}

// Words no template uses, from blocks of rare kanji, so that a body search has words of known frequency: one of
// 64 kanji (about 500 bodies each), one of 64 two-kanji names (about 500), one of 1,024 four-character words
// (about 30) and one of 8 district names (about 4,000), with pools `scale` times larger in a larger collection.
// They come from a random stream of their own, so the rest of each body is what it was before they were added.
QString rareSentence(QRandomGenerator& rng, quint32 scale)
{
    const auto kanji = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    const quint32 single = rng.bounded(64u * scale);
    const quint32 pair = rng.bounded(64u * scale);
    const quint32 four = rng.bounded(1024u * scale);
    const quint32 district = rng.bounded(8u);
    return QStringLiteral("現地では") + kanji(BenchWords::kDistrictFirst + 2 * district) +
           kanji(BenchWords::kDistrictFirst + 2 * district + 1) + QStringLiteral("の") + kanji(singleKanji(single)) +
           QStringLiteral("氏が") + kanji(pairFirstKanji(pair)) + kanji(pairFirstKanji(pair) + 1) +
           QStringLiteral("と") + kanji(BenchWords::kFourFirst + four % 32) + kanji(fourSecondKanji(four / 32)) +
           QStringLiteral("計画について語った。");
}

constexpr std::array<const char16_t*, 4> kBankActions{u"金融政策決定会合を開いた", u"追加の利上げを見送った",
                                                      u"国債の買い入れを減らした", u"物価の見通しを示した"};
constexpr std::array<const char16_t*, 4> kTraders{u"輸出企業", u"輸入業者", u"旅行業界", u"電力会社"};
constexpr std::array<const char16_t*, 2> kYenMoves{u"円安", u"円高"};
constexpr quint32 kMarketNewsOdds = 6;
constexpr quint32 kCommonPhraseOdds = 3000;

// Market news of a few common words in one body in kMarketNewsOdds, as the economy's share of a newspaper, so that a
// phrase of common characters has to be told apart by its order: 日銀, 銀が, が円 and 円安 are in thousands of bodies,
// 「日銀が円安」 in about one in kCommonPhraseOdds. A stream of its own again.
QString marketSentences(QRandomGenerator& rng)
{
    QString text;
    const bool market = rng.bounded(kMarketNewsOdds) == 0;
    const int count = market ? 1 + int(rng.bounded(3)) : 0;
    for (int i = 0; i < count; ++i) {
        switch (rng.bounded(3)) {
        case 0:
            text += QStringLiteral("日銀が") + QString::fromUtf16(pick(rng, kBankActions)) + u'。';
            break;
        case 1:
            text += QStringLiteral("外国為替市場では") + QString::fromUtf16(pick(rng, kYenMoves)) +
                    QStringLiteral("が進み、") + QString::fromUtf16(pick(rng, kTraders)) +
                    QStringLiteral("が円相場の動きを注視している。");
            break;
        default:
            text += QStringLiteral("市場では") + QString::fromUtf16(pick(rng, kYenMoves)) +
                    QStringLiteral("への警戒感が強まっている。");
            break;
        }
    }
    if (rng.bounded(kCommonPhraseOdds) == 0)
        text += QString::fromUtf16(BenchWords::kCommonPhrase) + QStringLiteral("を放置しているとの批判もある。");
    return text;
}

// Sentences are drawn once from templates, so bodies are cheap to stitch yet not all alike.
class TextMaker final {
public:
    TextMaker(QRandomGenerator& rng, quint32 rareSeed, quint32 scale)
        : m_rng(rng)
        , m_rareRng(rareSeed)
        , m_newsRng(rareSeed ^ 0x4E455753u)
        , m_scale(scale)
    {
        m_sentences.reserve(kSentencePool);
        for (int i = 0; i < kSentencePool; ++i)
            m_sentences.push_back(sentence());
    }

    QString headline()
    {
        const QString subject = text(pick(m_rng, kSubjects));
        const QString topic = text(pick(m_rng, kTopics));
        QString title;
        switch (m_rng.bounded(12)) {
        case 0:
            title = subject + QStringLiteral("が\"") + text(pick(m_rng, kKeywords)) + QStringLiteral("\"を提言");
            break;
        case 1:
            title = u'\'' + QString::number(2000 + m_rng.bounded(27)) + QStringLiteral("年問題' ") + topic +
                    QStringLiteral("の行方");
            break;
        case 2:
            title = subject + QStringLiteral("「") + text(pick(m_rng, kQuotes)) + QStringLiteral("」");
            break;
        case 3:
        case 4:
        case 5:
            title = subject + u'、' + topic + u'で' + text(pick(m_rng, kHeadlineEnds));
            break;
        default:
            title = topic + QStringLiteral("、") + subject + u'が' + text(pick(m_rng, kHeadlineEnds));
            break;
        }
        if (m_rng.bounded(4) == 0)
            title += QStringLiteral("　―") + text(pick(m_rng, kTopics)) + QStringLiteral("をめぐって（第") +
                     QString::number(1 + m_rng.bounded(30)) + QStringLiteral("報）");
        return title;
    }

    // What registration proposes: the body's first line, without its line break, at most 100 characters.
    static QString titleOf(const QString& body)
    {
        qsizetype end = body.indexOf(u'\n');
        if (end < 0)
            end = body.size();
        return body.left(std::min<qsizetype>(end, kTitleLength));
    }

    QString keyword()
    {
        QString keyword = text(pick(m_rng, kKeywords));
        if (m_rng.bounded(10) < 3)
            keyword += u'、' + text(pick(m_rng, kKeywords));
        return keyword;
    }

    // Exactly length characters of whole sentences, with paragraph breaks, ending in a full stop. Most clippings
    // open with their headline on a line of its own; the rest go straight into the first paragraph.
    QString body(int length)
    {
        QString body;
        body.reserve(length + 100);
        if (m_rng.bounded(10) < 7)
            body += headline() + u'\n';
        body += u'　' + rareSentence(m_rareRng, m_scale) + marketSentences(m_newsRng);
        while (body.size() < length) {
            body += m_sentences[m_rng.bounded(quint32(m_sentences.size()))];
            if (m_rng.bounded(4) == 0)
                body += QStringLiteral("\n　");
        }
        body.truncate(length);
        body[length - 1] = u'。';
        return body;
    }

private:
    QString sentence()
    {
        const QString subject = text(pick(m_rng, kSubjects));
        const QString topic = text(pick(m_rng, kTopics));
        switch (m_rng.bounded(5)) {
        case 0:
            return QString::number(2000 + m_rng.bounded(27)) + QStringLiteral("年の調査では、前年比で") +
                   QString::number(1 + m_rng.bounded(40)) +
                   (m_rng.bounded(2) ? QStringLiteral("％の増加となった。") : QStringLiteral("％の減少となった。"));
        case 1:
            return QStringLiteral("関係者によると、") + topic + QStringLiteral("は") + text(pick(m_rng, kWhens)) +
                   QStringLiteral("にも決まる見通しだ。");
        case 2:
            return subject + QStringLiteral("の担当者は「") + text(pick(m_rng, kQuotes)) +
                   QStringLiteral("」と話している。");
        case 3:
            return QStringLiteral("一方で、") + topic + QStringLiteral("については") + text(pick(m_rng, kOpinions)) +
                   u'。';
        default:
            return subject + QStringLiteral("は") + topic + QStringLiteral("について") +
                   text(pick(m_rng, kPredicates)) + u'。';
        }
    }

    QRandomGenerator& m_rng;
    QRandomGenerator m_rareRng;
    QRandomGenerator m_newsRng;
    quint32 m_scale;
    std::vector<QString> m_sentences;
};

// Seven-segment digits need no font, so pictures look the same on every machine.
void drawDigit(QPainter& painter, int digit, int x, int y)
{
    constexpr std::array<int, 10> kSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    constexpr int w = 40, h = 70, t = 8;
    const std::array<QRect, 7> rects{QRect(x, y, w, t),
                                     QRect(x + w - t, y, t, h / 2),
                                     QRect(x + w - t, y + h / 2, t, h / 2),
                                     QRect(x, y + h - t, w, t),
                                     QRect(x, y + h / 2, t, h / 2),
                                     QRect(x, y, t, h / 2),
                                     QRect(x, y + h / 2 - t / 2, w, t)};
    for (int s = 0; s < 7; ++s) {
        if (kSegments[digit] & (1 << s))
            painter.fillRect(rects[s], Qt::white);
    }
}

// A few small JPEG files, encoded once and shared by every picture row.
std::vector<QByteArray> encodePictures()
{
    if (!QImageWriter::supportedImageFormats().contains("jpeg"))
        throw std::runtime_error("no JPEG encoder: the Qt image format plugin for JPEG is missing");
    std::vector<QByteArray> pictures;
    for (int i = 0; i < kPictureVariants; ++i) {
        QImage image(160, 120, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            QLinearGradient gradient(0, 0, 160, 120);
            gradient.setColorAt(0, QColor::fromHsv(i * 60, 90, 240));
            gradient.setColorAt(1, QColor::fromHsv((i * 60 + 40) % 360, 220, 120));
            painter.fillRect(image.rect(), gradient);
            drawDigit(painter, i + 1, 60, 25);
        }
        pictures.push_back(encodeJpeg(image, 80));
    }
    return pictures;
}

// How many times the rare words' pools are enlarged, so that each word keeps its frequency in a larger collection.
quint32 poolScale(int scraps)
{
    return quint32(std::clamp((scraps + kScrapsPerPool - 1) / kScrapsPerPool, 1, kMaxPoolScale));
}

class Generator final {
public:
    Generator(Connection& connection, const GeneratorOptions& options)
        : m_connection(connection)
        , m_options(options)
        , m_rng(options.seed)
        , m_tree(buildTree())
        , m_levels(readLevels(connection))
        , m_pictures(encodePictures())
        , m_text(m_rng, options.seed ^ 0x5EEDu, poolScale(options.scraps))
        , m_lastPictureSet(options.firstNumber - 1)
    {
        for (const ClassNode& node : m_tree)
            m_byDepth[node.depth - 1].push_back(&node);
    }

    void run()
    {
        writeTree();
        writeScraps();
        Query counter(m_connection, QStringLiteral("UPDATE IDno SET skID = ?, pfID = ?, DocNo = ?"));
        const qint64 last = m_options.firstNumber + m_options.scraps - 1;
        counter.bind(1, m_lastPictureSet).bind(2, last).bind(3, last).run();
    }

private:
    void writeTree()
    {
        Query insert(m_connection, QStringLiteral("INSERT INTO extraNodeMEMO (ndP, nName, ndMEMO) VALUES (?, ?, ?)"));
        for (const ClassNode& node : m_tree) {
            insert.reset();
            insert.bind(1, node.parent).bind(2, node.path[node.depth - 1]).bind(3, node.number).run();
        }
    }

    // Most scraps are filed at the third level, some higher up, as users tend to file them.
    const ClassNode& pickClass()
    {
        const quint32 roll = m_rng.bounded(100);
        const auto& classes = m_byDepth[roll < 5 ? 0 : roll < 15 ? 1 : 2];
        return *classes[m_rng.bounded(quint32(classes.size()))];
    }

    // The last level (the plain one) is the common case.
    const Level& pickLevel()
    {
        if (m_levels.size() == 1 || m_rng.bounded(100) < 55)
            return m_levels.back();
        return m_levels[m_rng.bounded(quint32(m_levels.size() - 1))];
    }

    void writeScraps()
    {
        Query index(m_connection,
                    QStringLiteral("INSERT INTO MEMO_IDX (a01, a02, a03, a04, a05, a06, a07, skID, pfID, backC, LevNo, "
                                   "DocNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Query body(m_connection, QStringLiteral("INSERT INTO MEMO_DAT (pfID, a01) VALUES (?, ?)"));
        Query mark(m_connection,
                   QStringLiteral("INSERT INTO MEMO_UNDERLINE (pfID, SelUNDER, StartP, SelLen) VALUES (?, ?, ?, ?)"));
        Query picture(m_connection, QStringLiteral("INSERT INTO PHOTO_DRA (skID, a01, a02) VALUES (?, ?, ?)"));
        const QDate firstDay(2000, 1, 1);
        const quint32 days = quint32(firstDay.daysTo(QDate(2026, 12, 31)) + 1);

        for (int done = 1; done <= m_options.scraps; ++done) {
            const qint64 number = m_options.firstNumber + done - 1;
            const ClassNode& node = pickClass();
            const Level& level = pickLevel();
            const qint64 pictureSet = m_rng.bounded(10) == 0 ? ++m_lastPictureSet : 0;
            const int length = 500 + int(m_rng.bounded(3501));
            const QString bodyText = m_text.body(length);
            index.reset();
            index.bind(1, level.name)
                .bind(2, TextMaker::titleOf(bodyText))
                .bind(3, firstDay.addDays(m_rng.bounded(days)))
                .bind(4, node.path[0])
                .bind(5, node.path[1])
                .bind(6, node.path[2])
                .bind(7, m_text.keyword())
                .bind(8, pictureSet)
                .bind(9, number)
                .bind(10, level.colour)
                .bind(11, node.number)
                .bind(12, number)
                .run();

            body.reset();
            body.bind(1, number).bind(2, bodyText).run();
            writeMarks(mark, number, length);
            if (pictureSet != 0)
                writePictures(picture, pictureSet);

            if (m_options.progress && (done % kProgressStep == 0 || done == m_options.scraps))
                m_options.progress(done, m_options.scraps);
        }
    }

    // Some rows take back an earlier mark on the same range, as a user correcting a slip would.
    void writeMarks(Query& mark, qint64 bodyNumber, int length)
    {
        int start = 0, span = 0;
        const int count = int(m_rng.bounded(6));
        for (int i = 0; i < count; ++i) {
            const bool unmark = span > 0 && m_rng.bounded(5) == 0;
            if (!unmark) {
                start = int(m_rng.bounded(quint32(length)));
                span = 1 + int(m_rng.bounded(quint32(qMin(80, length - start))));
            }
            mark.reset();
            mark.bind(1, bodyNumber).bind(2, unmark ? 1 : 0).bind(3, start).bind(4, span).run();
        }
    }

    void writePictures(Query& picture, qint64 pictureSet)
    {
        const int count = 1 + int(m_rng.bounded(3));
        for (int i = 1; i <= count; ++i) {
            const QString caption = QStringLiteral("写真") + QString::number(i) + QStringLiteral("：") +
                                    text(pick(m_rng, kSubjects)) + QStringLiteral("提供");
            picture.reset();
            picture.bind(1, pictureSet)
                .bind(2, caption)
                .bind(3, m_pictures[m_rng.bounded(quint32(m_pictures.size()))])
                .run();
        }
    }

    Connection& m_connection;
    const GeneratorOptions& m_options;
    QRandomGenerator m_rng;
    std::vector<ClassNode> m_tree;
    std::array<std::vector<const ClassNode*>, 3> m_byDepth;
    std::vector<Level> m_levels;
    std::vector<QByteArray> m_pictures;
    TextMaker m_text;
    qint64 m_lastPictureSet;
};

} // namespace

void generateCollection(const QString& path, const GeneratorOptions& options)
{
    if (options.scraps < 0 || options.scraps > kMaxGeneratedScraps)
        throw std::runtime_error("a generated collection holds 0 to 1,000,000 scraps");
    if (options.firstNumber < 1 || options.firstNumber > (qint64(1) << 53) - kMaxGeneratedScraps)
        throw std::runtime_error("the first number is out of range");
    createScrapDatabaseFile(path);
    auto connection = Connection::openExisting(path);
    Transaction transaction(*connection);
    Generator(*connection, options).run();
    transaction.commit();
    if (options.bodyIndex) {
        BodyIndex::registerFunctions(*connection);
        if (!BodyIndex::rebuild(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString(), {}, {}))
            throw std::runtime_error("the body index was not made");
    }
}

QByteArray encodeJpeg(const QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        throw std::runtime_error("cannot encode a JPEG picture: " + writer.errorString().toStdString());
    return bytes;
}
