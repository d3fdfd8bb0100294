#include "crashtrialsworker.h"

#include "backup/backupstore.h"
#include "classtree/classtreestore.h"
#include "classtree/favouritestore.h"
#include "classtree/folderimport.h"
#include "common/session.h"
#include "database/connection.h"
#include "database/creation.h"
#include "database/opening.h"
#include "database/query.h"
#include "database/recordstore.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/scrapsources.h"
#include "database/transaction.h"
#include "legacyimport/legacyimport.h"
#include "ocr/picturetext.h"
#include "pictures/picturestore.h"
#include "savededition/savededitionwriter.h"
#include "scrap/importancelevels.h"
#include "scrap/scrapfields.h"
#include "scrap/scrapregistration.h"
#include "search/bodyindex.h"
#include "search/bodyindexer.h"
#include "settings/displaysettingsstore.h"
#include "sources/pagecopy.h"
#include "speech/speechstore.h"
#include "speech/speechvoices.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

constexpr int kFolderTrees = 6;

void tell(const QStringList& fields)
{
    std::fputs(fields.join(u'\t').toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

// The stored classes in tree-row order, each with the path its scraps are filed under (empty below the minor level).
QList<ClassRow> storedClasses(Connection& connection)
{
    QList<ClassRow> rows;
    QHash<int, int> depthOf{{1, 0}};
    QHash<int, ClassPath> pathOf;
    Query query(connection, QStringLiteral("SELECT ndP, nName, ndMEMO FROM extraNodeMEMO ORDER BY ndMEMO"));
    while (query.next()) {
        ClassRow row{int(query.integer(0)), query.text(1), int(query.integer(2)), {}};
        const int depth = depthOf.value(row.ndP, 3) + 1;
        row.path = pathOf.value(row.ndP);
        if (depth == 1)
            row.path.major = row.nName;
        else if (depth == 2)
            row.path.middle = row.nName;
        else if (depth == 3)
            row.path.minor = row.nName;
        else
            row.path = {};
        depthOf.insert(row.ndMEMO, depth);
        pathOf.insert(row.ndMEMO, row.path);
        rows.push_back(row);
    }
    return rows;
}

// Tree rows numbered anew in their order, as the tree editor numbers what it shows.
QList<ClassRow> renumbered(QList<ClassRow> rows)
{
    QHash<int, int> number{{1, 1}};
    for (qsizetype i = 0; i < rows.size(); ++i)
        number.insert(rows[i].ndMEMO, int(i) + 2);
    for (ClassRow& row : rows) {
        row.ndMEMO = number.value(row.ndMEMO);
        row.ndP = number.value(row.ndP);
    }
    return rows;
}

// The last major class with its subtree moved to the front: every tree row changes, so every scrap is renumbered.
QList<ClassRow> rotatedClasses(const QList<ClassRow>& rows)
{
    qsizetype last = -1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].ndP == 1)
            last = i;
    }
    if (last <= 0)
        return rows;
    return renumbered(rows.mid(last) + rows.first(last));
}

// The tree without the class at index and the classes below it.
QList<ClassRow> withoutClass(const QList<ClassRow>& rows, qsizetype index)
{
    QSet<int> gone{rows[index].ndMEMO};
    qsizetype end = index + 1;
    while (end < rows.size() && gone.contains(rows[end].ndP))
        gone.insert(rows[end++].ndMEMO);
    return renumbered(rows.first(index) + rows.mid(end));
}

// Numbers are 16-bit today and will not stay so: they are held here as the engine holds them.
struct PickedScrap {
    qint64 rowid = 0;
    qint64 docNo = 0;
    qint64 pfID = 0;
    qint64 skID = 0;
};

// Runs the program's write paths at random on one collection until it is killed (or for a number of steps).
class Worker final {
public:
    explicit Worker(const WorkerOptions& options);
    Q_DISABLE_COPY_MOVE(Worker)
    ~Worker() { db().setTransactionObserver(nullptr); }

    void run(int steps);

    using Step = void (Worker::*)();
    struct Path {
        const char* name;
        int weight; // chances in a random step
        Step step;
    };
    static const std::array<Path, 22> kPaths;

private:
    Connection& db() const { return *m_session.connection(); }
    void runPath(const Path& path);
    const Path& pathNamed(const QString& name) const;
    const Path& randomPath();
    QString text(int length);
    std::optional<PickedScrap> pickScrap();
    std::unique_ptr<ResultSet> setOnPickedScrap();
    // The furthest any mark of the body reaches: an edit keeps what is marked.
    int markReach(qint64 pfID);
    QList<ClassRow> filingClasses();

    void registerOne();
    void saveBody();
    void addMarks();
    void deleteOne();
    void deleteFew();
    void changePictures();
    void renumberTree();
    void saveEdition();
    void importLegacy();
    void makeBackup();
    void restoreBackup();
    void rebuildIndex();
    void catchUpIndex();
    void openAgain();
    void deleteClass();
    void importFolder();
    void editFavourites();
    void writeSettings();
    void editSheet();
    void createCollection();
    void keepPageCopy();
    void readPicture();
    void runIndexer(std::function<QString(Connection&)> prepare);

    TrialFiles m_files;
    QString m_legacySource;
    QString m_focus;
    int m_warmupMs;
    IndexKeeper m_keeper; // outlives the session's connection, which it observes
    Session m_session;
    QRandomGenerator m_rng;
    QList<std::pair<QString, QString>> m_levels;
    QByteArray m_jpeg;
    QByteArray m_pageCopy; // a small saved page, compressed as the program keeps it
    QDateTime m_backupTime;
};

const std::array<Worker::Path, 22> Worker::kPaths{{
    // Registration outweighs the deletions, so the collection neither empties nor runs out of numbers.
    {"register", 5, &Worker::registerOne},
    {"body", 3, &Worker::saveBody},
    {"marks", 3, &Worker::addMarks},
    {"delete", 2, &Worker::deleteOne},
    {"delete_all", 1, &Worker::deleteFew},
    {"pictures", 3, &Worker::changePictures},
    {"tree_move", 2, &Worker::renumberTree},
    {"edition", 1, &Worker::saveEdition},
    {"import", 1, &Worker::importLegacy},
    {"backup", 1, &Worker::makeBackup},
    {"restore", 1, &Worker::restoreBackup},
    {"index_rebuild", 1, &Worker::rebuildIndex},
    {"index_catchup", 1, &Worker::catchUpIndex},
    {"open", 1, &Worker::openAgain},
    {"class_delete", 1, &Worker::deleteClass},
    {"folder_import", 1, &Worker::importFolder},
    {"favourites", 2, &Worker::editFavourites},
    {"settings", 2, &Worker::writeSettings},
    {"sheet", 3, &Worker::editSheet},
    {"create", 1, &Worker::createCollection},
    {"page_copy", 1, &Worker::keepPageCopy},
    {"picture_text", 1, &Worker::readPicture},
}};

Worker::Worker(const WorkerOptions& options)
    : m_files(options.collection)
    , m_legacySource(options.legacySource)
    , m_focus(options.focus)
    , m_warmupMs(options.warmupMs)
    , m_keeper(QString::fromLatin1(BodyIndex::kMainSchema), {})
    , m_rng(options.seed)
    , m_backupTime(QDate(2026, 1, 5), QTime(9, 0))
{
    if (!m_focus.isEmpty())
        pathNamed(m_focus);
    auto connection = OpenSharedConnection(options.collection);
    BodyIndex::registerFunctions(*connection);
    BodyIndex::verifyOrReset(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString());
    connection->setTransactionObserver(&m_keeper);
    m_session.adoptDatabase(std::move(connection), options.collection, QStringLiteral("crashtrials"),
                            DatabaseKind::Scrap);
    for (const ImportanceLevel& level : readImportanceLevels(db()))
        m_levels.push_back({level.name, level.backColour});
    Query picture(db(), QStringLiteral("SELECT rowid FROM PHOTO_DRA ORDER BY rowid LIMIT 1"));
    if (picture.next())
        m_jpeg = PictureBytes(db(), picture.integer(0)).value_or(QByteArray());
    if (m_levels.isEmpty() || m_jpeg.isEmpty())
        fail(QStringLiteral("the collection has no importance levels or no pictures"));
    for (const QString& folder : m_files.folders())
        QDir().mkpath(folder);
    const QTemporaryDir pageFolder;
    const QString page = pageFolder.filePath(QStringLiteral("page.mhtml"));
    QFile saved(page);
    if (!saved.open(QIODevice::WriteOnly) ||
        saved.write("MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
                    "Content-Type: text/html\r\n\r\n<p>保存したページ</p>\r\n--b--\r\n") < 0)
        fail(QStringLiteral("cannot write the page to keep"));
    saved.close();
    const Result<QByteArray> copy = PageCopy::compressFile(page, 1 << 20);
    if (!copy)
        fail(copy.message());
    m_pageCopy = *copy;
    // Each tree a major class with middle and minor classes below it, and one level more the import leaves out.
    for (int tree = 1; tree <= kFolderTrees; ++tree) {
        const QString root = m_files.folderTrees + QStringLiteral("/取込分類%1").arg(tree);
        for (int middle = 1; middle <= 1 + tree % 3; ++middle) {
            for (int minor = 1; minor <= tree % 4; ++minor)
                QDir().mkpath(root + QStringLiteral("/中分類%1/小分類%2/細目").arg(middle).arg(minor));
            QDir().mkpath(root + QStringLiteral("/中分類%1").arg(middle));
        }
    }
}

void Worker::run(int steps)
{
    tell({QString::fromLatin1(WorkerLine::kReady)});
    QElapsedTimer clock;
    clock.start();
    for (int done = 0; steps == 0 || done < steps; ++done) {
        const bool focused = !m_focus.isEmpty() && clock.elapsed() >= m_warmupMs;
        runPath(focused ? pathNamed(m_focus) : randomPath());
    }
}

void Worker::runPath(const Path& path)
{
    tell({QString::fromLatin1(WorkerLine::kPath), QString::fromLatin1(path.name)});
    (this->*path.step)();
}

const Worker::Path& Worker::pathNamed(const QString& name) const
{
    const auto found = std::find_if(kPaths.cbegin(), kPaths.cend(),
                                    [&name](const Path& path) { return name == QLatin1StringView(path.name); });
    if (found == kPaths.cend())
        fail(QStringLiteral("no write path called ") + name);
    return *found;
}

const Worker::Path& Worker::randomPath()
{
    int total = 0;
    for (const Path& path : kPaths)
        total += path.weight;
    int roll = m_rng.bounded(total);
    for (const Path& path : kPaths) {
        if (roll < path.weight)
            return path;
        roll -= path.weight;
    }
    return kPaths.front();
}

QString Worker::text(int length)
{
    static const QStringList kPhrases{QStringLiteral("崩れない書き込みを確かめる記事です。"),
                                      QStringLiteral("二行目には少し長めの文章が続きます。\n"),
                                      QStringLiteral("検索索引も同じ取引で書かれる。"),
                                      QStringLiteral("Ｚｅｔｔｏｒａ　ﾃｽﾄ ABC。")};
    QString body;
    while (body.size() < length)
        body += kPhrases[m_rng.bounded(int(kPhrases.size()))];
    return body.left(length);
}

std::optional<PickedScrap> Worker::pickScrap()
{
    Query count(db(), QStringLiteral("SELECT count(*) FROM MEMO_IDX"));
    const qint64 total = count.next() ? count.integer(0) : 0;
    if (total == 0)
        return std::nullopt;
    Query pick(db(), QStringLiteral("SELECT rowid, DocNo, pfID, skID FROM MEMO_IDX ORDER BY rowid LIMIT 1 OFFSET ?"));
    pick.bind(1, qint64(m_rng.bounded(total)));
    if (!pick.next())
        return std::nullopt;
    return PickedScrap{pick.integer(0), pick.integer(1), pick.integer(2), pick.integer(3)};
}

int Worker::markReach(qint64 pfID)
{
    Query reach(db(), QStringLiteral("SELECT coalesce(max(StartP + SelLen), 0) FROM MEMO_UNDERLINE WHERE pfID = ?"));
    reach.bind(1, pfID);
    return reach.next() ? int(reach.integer(0)) : 0;
}

QList<ClassRow> Worker::filingClasses()
{
    QList<ClassRow> classes = storedClasses(db());
    classes.removeIf([](const ClassRow& row) { return row.path.major.isEmpty(); });
    return classes;
}

void Worker::registerOne()
{
    const QList<ClassRow> classes = filingClasses();
    const auto& [level, colour] = m_levels[m_rng.bounded(int(m_levels.size()))];
    ScrapIndex index;
    index.a01 = level;
    index.a02 = text(m_rng.bounded(5, 60));
    index.a03 = QStringLiteral("2026-12-07");
    index.a07 = QStringLiteral("耐久");
    index.backC = colour;
    if (!classes.isEmpty()) {
        const ClassRow& filed = classes[m_rng.bounded(int(classes.size()))];
        index.a04 = filed.path.major;
        index.a05 = filed.path.middle;
        index.a06 = filed.path.minor;
        index.levNo = filed.ndMEMO;
    }
    std::optional<WaitingPicture> picture;
    if (m_rng.bounded(4) == 0)
        picture = WaitingPicture{QStringLiteral("登録時の写真"), m_jpeg};
    // A third are clipped from a page; the page copy comes after the registration, as the program stores it.
    std::optional<ScrapSource> source;
    if (m_rng.bounded(3) == 0)
        source = ScrapSource{QStringLiteral("https://news.example.jp/%1").arg(m_rng.bounded(5)),
                             text(12),
                             QDateTime(QDate(2026, 12, 8), QTime(9, 0)),
                             {},
                             false};
    if (const auto registered = registerScrap(m_session, index, text(m_rng.bounded(20, 3000)), picture, source);
        !registered)
        fail(QStringLiteral("a registration was refused: ") + registered.message());
}

// The offline copy of a clipped page, stored once the scrap is in as the program's copy keeper does.
void Worker::keepPageCopy()
{
    if (!db().hasTable(QString::fromUtf16(ScrapSources::kTable)))
        return;
    Query pick(db(),
               QStringLiteral("SELECT DocNo FROM zettora_sources WHERE pageCopy IS NULL ORDER BY random() LIMIT 1"));
    if (!pick.next())
        return;
    Transaction transaction(db());
    if (ScrapSources::attachPageCopy(db(), pick.integer(0), m_pageCopy))
        transaction.commit();
}

// The text of the newest unread picture, stored as the picture reader stores what its engine read.
void Worker::readPicture()
{
    const QString engine = QStringLiteral("crashtrials");
    PictureText::ensureTables(db());
    const QList<PictureText::Pending> pending = PictureText::pending(db(), engine, 1);
    if (pending.isEmpty())
        return;
    const Recognition reading{text(m_rng.bounded(10, 200)), {{QRect(0, 0, 40, 40), QStringLiteral("字")}}, engine};
    if (!PictureText::store(db(), pending.first(), reading))
        fail(QStringLiteral("a listed picture went before its text was stored"));
}

// As record view saves an edit: the marked beginning kept, the rest typed anew.
void Worker::saveBody()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return;
    const QString old = LoadScrapBody(db(), scrap->pfID).value_or(QString());
    const int reach = std::min(markReach(scrap->pfID), int(old.size()));
    int kept = m_rng.bounded(reach, int(old.size()) + 1);
    if (kept > 0 && kept < old.size() && old[kept - 1].isHighSurrogate())
        ++kept;
    Transaction transaction(db());
    if (!SaveScrapBody(db(), scrap->pfID, old.left(kept) + text(m_rng.bounded(0, 1500))))
        fail(QStringLiteral("a listed scrap has no body row"));
    transaction.commit();
}

void Worker::addMarks()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return;
    const int length = int(LoadScrapBody(db(), scrap->pfID).value_or(QString()).size());
    if (length < 2)
        return;
    Transaction transaction(db());
    for (int n = m_rng.bounded(1, 4); n > 0; --n) {
        const int start = m_rng.bounded(length - 1);
        AppendMarkRow(db(), scrap->pfID, {m_rng.bounded(3) == 0, start, m_rng.bounded(1, length - start + 1)});
    }
    transaction.commit();
}

// A result set on one picked scrap, positioned on it; none when there is no scrap.
std::unique_ptr<ResultSet> Worker::setOnPickedScrap()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return nullptr;
    auto set = ResultSet::open(
        db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"), QStringLiteral(" WHERE rowid = ?"), {scrap->rowid}));
    set->moveFirst();
    return set->eof() ? nullptr : std::move(set);
}

void Worker::deleteOne()
{
    if (const auto set = setOnPickedScrap())
        DeleteCurrentScrap(db(), *set);
}

void Worker::deleteFew()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return;
    auto set = ResultSet::open(db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"),
                                                             QStringLiteral(" WHERE DocNo BETWEEN ? AND ?"),
                                                             {scrap->docNo, scrap->docNo + 2}));
    DeleteAllResults(db(), *set);
}

void Worker::changePictures()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return;
    if (scrap->skID != 0 && m_rng.bounded(3) == 0) {
        const QList<PictureEntry> pictures = ListPictures(db(), scrap->skID);
        if (!pictures.isEmpty()) {
            DeletePicture(db(), {scrap->rowid, scrap->docNo, scrap->pfID, scrap->skID},
                          pictures[m_rng.bounded(int(pictures.size()))].rowid);
            return;
        }
    }
    AttachPicture(db(), {scrap->rowid, scrap->docNo, scrap->pfID, scrap->skID}, QStringLiteral("貼り付けた写真"),
                  m_jpeg);
}

void Worker::renumberTree()
{
    if (!WriteClassTree(db(), rotatedClasses(storedClasses(db())), true))
        fail(QStringLiteral("the class tree could not be written"));
}

void Worker::saveEdition()
{
    const auto scrap = pickScrap();
    if (!scrap)
        return;
    QFile::remove(m_files.editionTarget);
    auto listed = ResultSet::open(db(), ResultSource::fromTable(QStringLiteral("MEMO_IDX"),
                                                                QStringLiteral(" WHERE DocNo BETWEEN ? AND ?"),
                                                                {scrap->docNo, scrap->docNo + 4}));
    SavedEditionWriter writer;
    if (const Done created = writer.create(m_files.editionTarget); !created)
        fail(QStringLiteral("a saved edition could not be made: ") + created.message());
    if (const Done copied = writer.copy(db(), *listed, {}); !copied)
        fail(QStringLiteral("a saved edition could not be written: ") + copied.message());
}

void Worker::importLegacy()
{
    QFile::remove(m_files.importTarget);
    LegacyImport::convert(m_legacySource, m_files.importTarget);
}

void Worker::makeBackup()
{
    // A day or more apart now and then, so the rotation has old ones to remove.
    m_backupTime = m_backupTime.addSecs(m_rng.bounded(2 * 3600, 40 * 3600)).addMSecs(m_rng.bounded(1000));
    const Result<QString> made = Backups::make(m_files.collection, m_files.backupFolder, m_backupTime);
    if (!made)
        fail(QStringLiteral("a backup failed: ") + made.failure().message() + u' ' + made.failure().detail);
    tell({QString::fromLatin1(WorkerLine::kBackup), *made, m_backupTime.toString(Qt::ISODateWithMs)});
}

void Worker::restoreBackup()
{
    const QList<Backups::Entry> backups = Backups::list(m_files.backupFolder);
    if (backups.isEmpty())
        return runPath(pathNamed(QStringLiteral("backup")));
    // Earlier copies go first, or the folder fills up.
    const QFileInfo collection(m_files.collection);
    for (const QFileInfo& restored : collection.dir().entryInfoList(
             {collection.completeBaseName() + QStringLiteral("（復元 *")}, QDir::Files | QDir::Hidden))
        QFile::remove(restored.absoluteFilePath());
    const Backups::Entry& chosen = backups[m_rng.bounded(int(backups.size()))];
    tell({QString::fromLatin1(WorkerLine::kRestoreFrom), chosen.path});
    if (const Result<QString> restored = Backups::restore(chosen, m_files.collection); !restored)
        fail(QStringLiteral("a restore failed: ") + restored.message());
}

// As the index worker runs: a connection of its own, in short transactions.
void Worker::rebuildIndex()
{
    auto connection = Connection::openExisting(m_files.collection);
    BodyIndex::registerFunctions(*connection);
    if (!BodyIndex::rebuild(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString(), {}, {}))
        fail(QStringLiteral("the rebuild of the body index stopped"));
}

void Worker::catchUpIndex()
{
    tell({QString::fromLatin1(WorkerLine::kPath), QString::fromLatin1(WorkerLine::kSqlTool)});
    {
        // Rows another SQLite tool changed, which its triggers logged: more than a commit takes in.
        auto tool = Connection::openExisting(m_files.collection);
        const int every = m_rng.bounded(2, 5);
        const int which = m_rng.bounded(every);
        Transaction transaction(*tool);
        Query bodies(*tool, QStringLiteral("UPDATE MEMO_DAT SET a01 = a01 || ? WHERE rowid % ? = ?"));
        bodies.bind(1, text(m_rng.bounded(1, 40))).bind(2, every).bind(3, which).run();
        Query labels(*tool, QStringLiteral("UPDATE MEMO_IDX SET a07 = ? WHERE rowid % ? = ?"));
        labels.bind(1, text(m_rng.bounded(1, 20))).bind(2, every).bind(3, which).run();
        transaction.commit();
    }
    tell({QString::fromLatin1(WorkerLine::kPath), QStringLiteral("index_catchup")});
    runIndexer({});
}

// Opening a collection from elsewhere: its lookup indexes are made once the index worker's check of the file passed.
void Worker::openAgain()
{
    tell({QString::fromLatin1(WorkerLine::kPath), QString::fromLatin1(WorkerLine::kSqlTool)});
    QStringList lookups;
    {
        Query indexes(db(), QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL "
                                           "AND name NOT LIKE 'zettora\\_%' ESCAPE '\\' ORDER BY name"));
        while (indexes.next())
            lookups << indexes.text(0);
    }
    for (const QString& name : lookups)
        db().execute(QStringLiteral("DROP INDEX \"") + name + u'"');
    tell({QString::fromLatin1(WorkerLine::kPath), QStringLiteral("open")});
    runIndexer([](Connection& worker) {
        Schema::ensureIndexes(worker);
        return QString();
    });
    Query made(db(), QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL "
                                    "AND name NOT LIKE 'zettora\\_%' ESCAPE '\\'"));
    if (!made.next() || made.integer(0) < lookups.size())
        fail(QStringLiteral("opening did not make the lookup indexes again"));
}

// The real index worker on its own thread, waited for as the window would not.
void Worker::runIndexer(std::function<QString(Connection&)> prepare)
{
    BodyIndexer indexer;
    BodyIndexer::Job job;
    job.path = m_files.collection;
    job.schema = QString::fromLatin1(BodyIndex::kMainSchema);
    job.prepare = std::move(prepare);
    indexer.start(job);
    while (indexer.isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    indexer.stop();
    if (!indexer.isVerified() || BodyIndex::pendingCount(db(), job.schema) != 0)
        fail(QStringLiteral("the index worker left rows it did not take in"));
}

void Worker::deleteClass()
{
    const QList<ClassRow> rows = storedClasses(db());
    QList<qsizetype> candidates;
    int majors = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].ndP == 1)
            ++majors;
        else if (!rows[i].path.major.isEmpty())
            candidates << i;
    }
    // A major class goes now and then, while enough are left for registration to file under.
    if (majors > 4 && m_rng.bounded(4) == 0) {
        candidates.clear();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (rows[i].ndP == 1)
                candidates << i;
        }
    }
    if (candidates.isEmpty())
        return;
    const qsizetype index = candidates[m_rng.bounded(int(candidates.size()))];
    // The trials' classes all have names, so a path's depth is its class's level.
    const ClassPath& path = rows[index].path;
    const int level = !path.minor.isEmpty() ? 4 : !path.middle.isEmpty() ? 3 : 2;
    if (!DeleteClassEverywhere(db(), path, level, withoutClass(rows, index)))
        fail(QStringLiteral("a class could not be deleted"));
}

// The tree editor's folder import: the folder a major class appended to the tree, saved with every scrap renumbered.
void Worker::importFolder()
{
    const QString root = m_files.folderTrees + QStringLiteral("/取込分類%1").arg(m_rng.bounded(1, kFolderTrees + 1));
    const std::optional<FolderClass> major = BuildFromFolder(root, listSubfolders);
    if (!major)
        fail(QStringLiteral("the folder import was cancelled"));
    QList<ClassRow> rows = storedClasses(db());
    int number = 1;
    for (const ClassRow& row : rows)
        number = std::max(number, row.ndMEMO);
    const auto append = [&rows, &number](int ndP, const QString& name, const ClassPath& path) {
        rows.push_back({ndP, name, ++number, path});
        return number;
    };
    const int majorRow = append(1, major->name, {major->name, {}, {}});
    for (const FolderClass& middle : major->children) {
        const int middleRow = append(majorRow, middle.name, {major->name, middle.name, {}});
        for (const FolderClass& minor : middle.children)
            append(middleRow, minor.name, {major->name, middle.name, minor.name});
    }
    if (!WriteClassTree(db(), renumbered(rows), true))
        fail(QStringLiteral("the imported folder could not be saved"));
}

void Worker::editFavourites()
{
    QList<qint64> ids;
    {
        Query favourites(db(), QStringLiteral("SELECT ndID FROM extraNodeWEB ORDER BY ndWEB, rowid"));
        while (favourites.next())
            ids << favourites.integer(0);
    }
    const int roll = m_rng.bounded(3);
    const QString name = text(m_rng.bounded(3, 40));
    if (ids.size() < 4 || (roll == 0 && ids.size() < 16)) {
        if (!AddFavouriteRow(db(), name, QStringLiteral("https://example.invalid/%1").arg(m_rng.generate()), ids))
            fail(QStringLiteral("a favourite could not be added"));
        return;
    }
    const qsizetype chosen = m_rng.bounded(int(ids.size()));
    if (roll == 1) {
        QList<qint64> after = ids;
        after.removeAt(chosen);
        if (!DeleteFavouriteRow(db(), ids[chosen], after))
            fail(QStringLiteral("a favourite could not be deleted"));
    } else if (!SaveFavouriteName(db(), ids[chosen], name)) {
        fail(QStringLiteral("a favourite could not be renamed"));
    }
}

void Worker::writeSettings()
{
    switch (m_rng.bounded(4)) {
    case 0: {
        QList<ImportanceLevel> levels = readImportanceLevels(db());
        std::shuffle(levels.begin(), levels.end(), m_rng);
        if (levels.size() > 2 && m_rng.bounded(3) == 0)
            levels.removeLast();
        if (levels.size() < 8 && m_rng.bounded(3) == 0)
            levels.push_back({QStringLiteral("臨時%1").arg(m_rng.bounded(100)), QStringLiteral("12632256"), {}});
        if (!levels.isEmpty())
            levels.front().backColour = QString::number(m_rng.bounded(0x1000000));
        return writeImportanceLevels(db(), levels);
    }
    case 1: {
        static const QStringList kFonts{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAGothic"),
                                        QStringLiteral("Noto Sans CJK JP")};
        DisplayFont font;
        font.name = kFonts[m_rng.bounded(int(kFonts.size()))];
        font.size = m_rng.bounded(8, 30);
        return StoreDisplayFont(db(), font);
    }
    case 2:
        return StoreMarkerColour(db(), m_rng.bounded(2), m_rng.bounded(0x1000000));
    default:
        return WriteSpeechSettings(
            db(), QString::fromUtf16(kSpeechCharacters[m_rng.bounded(int(kSpeechCharacters.size()))].name),
            m_rng.bounded(int(kSpeechLanguages.size())), m_rng.bounded(-10, 11));
    }
}

// Record view's sheet: a typed field, the importance level, or the class the scrap is filed under.
void Worker::editSheet()
{
    const auto set = setOnPickedScrap();
    if (!set)
        return;
    switch (m_rng.bounded(5)) {
    case 0:
        return storeIndexField(*set, QStringLiteral("a02"), text(m_rng.bounded(1, 100)));
    case 1:
        return storeIndexField(*set, QStringLiteral("a07"), text(m_rng.bounded(0, 30)));
    case 2:
        return storeIndexField(*set, QStringLiteral("a03"),
                               QDate(2020, 1, 1).addDays(m_rng.bounded(3000)).toString(Qt::ISODate));
    case 3: {
        const QList<ImportanceLevel> levels = readImportanceLevels(db());
        const QString level = levels[m_rng.bounded(int(levels.size()))].name;
        return storeLevel(*set, level, backColourOf(levels, level));
    }
    default: {
        const QList<ClassRow> classes = filingClasses();
        if (classes.isEmpty())
            return;
        const ClassRow& to = classes[m_rng.bounded(int(classes.size()))];
        return refileScrap(*set, to.ndMEMO, to.path);
    }
    }
}

void Worker::createCollection()
{
    QFile::remove(m_files.createTarget);
    createScrapDatabaseFile(m_files.createTarget);
}

} // namespace

TrialFiles::TrialFiles(const QString& collection)
    : collection(collection)
{
    const QDir folder = QFileInfo(collection).absoluteDir();
    importTarget = folder.filePath(QStringLiteral("import/converted.mdb"));
    backupFolder = folder.filePath(QStringLiteral("backups"));
    createTarget = folder.filePath(QStringLiteral("created/new.mdb"));
    editionTarget = folder.filePath(QStringLiteral("editions/edition.mdb"));
    folderTrees = folder.filePath(QStringLiteral("folders"));
}

QStringList TrialFiles::folders() const
{
    return {QFileInfo(importTarget).path(), backupFolder, QFileInfo(createTarget).path(),
            QFileInfo(editionTarget).path(), folderTrees};
}

const QStringList& writePaths()
{
    static const QStringList kNames = [] {
        QStringList names;
        for (const auto& path : Worker::kPaths)
            names << QString::fromLatin1(path.name);
        return names;
    }();
    return kNames;
}

int runWorker(const WorkerOptions& options)
{
    Worker worker(options);
    worker.run(options.steps);
    return 0;
}
