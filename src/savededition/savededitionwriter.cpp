#include "savededitionwriter.h"

#include "database/connection.h"
#include "database/creation.h"
#include "database/dberror.h"
#include "database/query.h"
#include "database/resultset.h"
#include "database/schema.h"
#include "database/scrapsources.h"
#include "database/stalefiles.h"
#include "database/transaction.h"
#include "ocr/picturetext.h"
#include "savededitionlog.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <optional>

namespace {

// The tables copied whole, in the order they are written; the listed scraps go between Marker and Speak.
constexpr const char16_t* kSettingsTables[] = {Schema::kStatus,        Schema::kExtraNodeMemo, Schema::kExtraNodeWeb,
                                               Schema::kMemoUnderline, Schema::kFontSize,      Schema::kMarker};

// Copies rows column by column by name, each value exactly as stored (type and bytes): a file rebuilt by another tool
// may hold the columns in another order, or more of them.
class RowCopier {
public:
    RowCopier(Connection& source, Connection& edition, const char16_t* table, const QString& where = QString())
        : m_read(source, QStringLiteral("SELECT ") + columnList(table) + QStringLiteral(" FROM ") +
                             Schema::name(table) + where + QStringLiteral(" ORDER BY rowid"))
        , m_write(edition, insertInto(table))
    {}
    Query& read() { return m_read; }
    // Copies every row the read statement gives; returns how many.
    int copyAll()
    {
        int rows = 0;
        while (m_read.next()) {
            copyCurrent();
            ++rows;
        }
        m_read.reset();
        return rows;
    }
    void copyCurrent()
    {
        for (int column = 0; column < m_read.columnCount(); ++column)
            m_write.bindStored(column + 1, m_read, column);
        m_write.run();
        m_write.reset();
    }

private:
    static QStringList columnNames(const char16_t* table)
    {
        QStringList names;
        for (const Schema::Column& column : Schema::table(Schema::name(table))->columns)
            names << u'"' + QString::fromUtf16(column.name) + u'"';
        return names;
    }
    static QString columnList(const char16_t* table) { return columnNames(table).join(QStringLiteral(", ")); }
    static QString insertInto(const char16_t* table)
    {
        const QStringList marks(columnNames(table).size(), QStringLiteral("?"));
        return QStringLiteral("INSERT INTO ") + Schema::name(table) + QStringLiteral(" (") + columnList(table) +
               QStringLiteral(") VALUES (") + marks.join(u',') + u')';
    }

    Query m_read;
    Query m_write;
};

// Reads the source in read transactions of a few hundred scraps each: a statement outside one takes and drops the
// file's lock and checks the file each time, which costs more than copying a row, while one long transaction would
// keep the index worker from committing for the whole copy. A caller already in a transaction keeps it.
class ReadBatches {
public:
    explicit ReadBatches(Connection& source)
        : m_source(source)
        , m_own(sqlite3_get_autocommit(source.handle()) != 0)
    {
        begin();
    }
    ~ReadBatches()
    {
        if (m_own && sqlite3_get_autocommit(m_source.handle()) == 0)
            sqlite3_exec(m_source.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Q_DISABLE_COPY_MOVE(ReadBatches)
    // Every kRowsPerBatch rows the read transaction ends, so that a writer waiting for the file gets its turn.
    void rowDone()
    {
        if (++m_rows % kRowsPerBatch == 0 && m_own) {
            m_source.execute(QStringLiteral("COMMIT"));
            begin();
        }
    }

private:
    static constexpr int kRowsPerBatch = 500;
    void begin()
    {
        if (m_own)
            m_source.execute(QStringLiteral("BEGIN"));
    }

    Connection& m_source;
    const bool m_own;
    int m_rows = 0;
};

} // namespace

SavedEditionWriter::SavedEditionWriter() = default;

SavedEditionWriter::~SavedEditionWriter()
{
    discard();
}

Done SavedEditionWriter::create(const QString& targetPath)
{
    const QString what = QStringLiteral("データベース作成に失敗しました。以後の処理を中止します。");
    discard();
    // An existing file of that name, the open collection's own among them, is never touched.
    if (QFileInfo::exists(targetPath) || QFileInfo(targetPath).isSymLink()) {
        qCWarning(lcSavedEdition) << "a file of that name is there already:" << targetPath;
        return DbError(DbError::kFileExists, targetPath).failure(what);
    }
    if (!QFileInfo(QFileInfo(targetPath).path()).isDir()) {
        qCWarning(lcSavedEdition) << "no such folder:" << targetPath;
        return Failure{what, QStringLiteral("保存先のフォルダが見つからないか、フォルダではありません。"), targetPath};
    }
    // An edition whose program was killed half way left its partial file; it goes before a new one is begun.
    removeStaleFiles(QFileInfo(targetPath).path(), {QFileInfo(targetPath).fileName() + QStringLiteral(".partial*")});
    QString partial = targetPath + QStringLiteral(".partial");
    for (int n = 2; QFileInfo::exists(partial); ++n)
        partial = targetPath + QStringLiteral(".partial") + QString::number(n);
    try {
        m_partial = partial;
        m_edition = Connection::createNew(partial);
        CreateTables(*m_edition);
        Schema::ensureIndexes(*m_edition);
    } catch (const DbError& e) {
        qCWarning(lcSavedEdition) << "cannot create" << partial << e.message();
        discard();
        return e.failure(what);
    }
    m_target = targetPath;
    return {};
}

Done SavedEditionWriter::copy(Connection& source, const ResultSet& listed, const Progress& progress)
{
    const QString what = QStringLiteral("保存版は正しく作成できませんでした。");
    if (!m_edition)
        return Failure{what, QStringLiteral("保存版のデータベースが作成されていません。"), {}};
    std::optional<Failure> failed;
    try {
        Transaction transaction(*m_edition);
        ReadBatches reads(source);
        WriteKindMarker(*m_edition, -2);
        for (const char16_t* table : kSettingsTables)
            RowCopier(source, *m_edition, table).copyAll();

        RowCopier index(source, *m_edition, Schema::kMemoIdx, QStringLiteral(" WHERE rowid = ?"));
        RowCopier body(source, *m_edition, Schema::kMemoDat,
                       QStringLiteral(" WHERE rowid = (SELECT min(rowid) FROM MEMO_DAT WHERE pfID = ?)"));
        RowCopier pictures(source, *m_edition, Schema::kPhotoDra, QStringLiteral(" WHERE skID = ?"));
        const int total = listed.recordCount();
        const int pfID = listed.fieldIndex(QStringLiteral("pfID"));
        const int skID = listed.fieldIndex(QStringLiteral("skID"));
        const int title = listed.fieldIndex(QStringLiteral("a02"));
        QList<qint64> sets;
        const int docNo = listed.fieldIndex(QStringLiteral("DocNo"));
        // The sources of the listed scraps go with them; a collection never clipped from the web has none.
        std::optional<Query> readSource;
        std::optional<Query> writeSource;
        if (ScrapSources::isPresent(source)) {
            ScrapSources::ensureTable(*m_edition);
            const QString table = QString::fromUtf16(ScrapSources::kTable);
            const QString columns = QStringLiteral("DocNo, address, host, title, clippedAt, pageCopy");
            readSource.emplace(source, QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + table +
                                           QStringLiteral(" WHERE DocNo = ?"));
            writeSource.emplace(*m_edition, QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns +
                                                QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?)"));
        }
        for (int row = 0; row < total; ++row) {
            index.read().bind(1, listed.rowidAt(row));
            if (index.copyAll() != 1)
                throw DbError(DbError::kNoCurrentRow, QStringLiteral("a listed scrap is no longer stored"));
            body.read().bind(1, listed.valueAt(row, pfID).toLongLong());
            if (body.copyAll() != 1) {
                failed = Failure{
                    what,
                    QStringLiteral("スクラップ「%1」の本文がありません。").arg(listed.valueAt(row, title).toString()),
                    QStringLiteral("no body for pfID %1").arg(listed.valueAt(row, pfID).toLongLong())};
                break;
            }
            if (const qint64 set = listed.valueAt(row, skID).toLongLong(); set != 0) {
                pictures.read().bind(1, set);
                pictures.copyAll();
                sets.append(set);
            }
            if (readSource) {
                readSource->bind(1, listed.valueAt(row, docNo).toLongLong());
                if (readSource->next()) {
                    for (int column = 0; column < readSource->columnCount(); ++column)
                        writeSource->bindStored(column + 1, *readSource, column);
                    writeSource->run();
                    writeSource->reset();
                }
                readSource->reset();
            }
            if (progress)
                progress(row + 1, total);
            reads.rowDone();
        }
        if (!failed) {
            RowCopier(source, *m_edition, Schema::kSpeak).copyAll();
            // The edition is never read by the engine: it carries the text already read.
            PictureText::copySets(source, *m_edition, sets);
            transaction.commit();
        }
    } catch (const DbError& e) {
        failed = e.failure(what);
    }
    if (failed) {
        qCWarning(lcSavedEdition) << "cannot copy into" << m_partial << failed->detail;
        discard();
        return *failed;
    }
    m_edition.reset();
    // Only now does the edition bear its name; an edition made meanwhile by someone else is not replaced.
    if (!QFile::rename(m_partial, m_target)) {
        qCWarning(lcSavedEdition) << "cannot give the edition its name:" << m_target;
        discard();
        return Failure{
            what,
            QStringLiteral(
                "作成したファイルに名前を付けられませんでした（同じ名前のファイルが作られた可能性があります）。"),
            m_target};
    }
    m_partial.clear();
    return {};
}

void SavedEditionWriter::discard()
{
    m_edition.reset();
    if (!m_partial.isEmpty()) {
        QFile::remove(m_partial);
        QFile::remove(m_partial + QStringLiteral("-journal"));
        m_partial.clear();
    }
}
