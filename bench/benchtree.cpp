#include "benchops.h"
#include "classtree/classtreeloader.h"
#include "classtree/classtreestore.h"
#include "classtree/treeeditor.h"
#include "classtree/treerows.h"
#include "collectiongenerator.h"
#include "database/connection.h"
#include "database/opening.h"
#include "listingwindow.h"
#include "search/bodyindex.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeWidget>

#include <sqlite3.h>

#include <functional>
#include <stdexcept>

namespace {

constexpr int kTreeSaves = 10;
constexpr int kExtraMinorsPerMiddle = 4; // the second major class then has 4 middle and 36 minor classes

double elapsedMs(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void collect(const QTreeWidgetItem* node, int parentRow, int& row, QList<ClassRow>& rows)
{
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        const int own = ++row;
        rows.append({parentRow, child->text(0), own, classPathOf(child)});
        collect(child, own, row, rows);
    }
}

QList<ClassRow> rowsOf(const QTreeWidget& tree)
{
    QList<ClassRow> rows;
    int row = 1;
    collect(tree.topLevelItem(0), 1, row, rows);
    return rows;
}

// A copy of the collection, so that the moves never reach what the other operations read, whose second major
// class is grown to 40 sub-classes. It holds the tree in its stored order and with the first two majors swapped.
struct TreeCollection {
    QString path;
    QList<ClassRow> stored;
    QList<ClassRow> moved;
    int movedRow = 0; // the second major class's row before the move
};

const TreeCollection& treeCollection(BenchContext& context)
{
    static TreeCollection collection;
    if (!collection.path.isEmpty())
        return collection;
    const QString path = context.path + QStringLiteral("-tree.mdb");
    QFile::remove(path);
    if (!QFile::copy(context.path, path))
        throw std::runtime_error("cannot copy the collection for the tree benchmark");
    auto connection = OpenSharedConnection(path);
    // Opened to be written as the program opens it: an index of an earlier version is brought up to date.
    BodyIndex::registerFunctions(*connection);
    if (BodyIndex::verifyOrReset(*connection, QString::fromLatin1(BodyIndex::kMainSchema), QString()))
        throw std::runtime_error("the copy's body index was made anew");

    QTreeWidget tree;
    loadClassTree(&tree, *connection);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    QTreeWidgetItem* second = root->child(1);
    for (int m = 0; m < second->childCount(); ++m) {
        for (int i = 1; i <= kExtraMinorsPerMiddle; ++i)
            new QTreeWidgetItem(second->child(m), QStringList{QStringLiteral("追加分類%1").arg(i)});
    }
    collection.stored = rowsOf(tree);
    if (!WriteClassTree(*connection, collection.stored, true))
        throw std::runtime_error("cannot grow the class tree for the tree benchmark");
    collection.movedRow = TreeRows::rowOf(second);
    root->insertChild(0, root->takeChild(1));
    collection.moved = rowsOf(tree);
    collection.path = path;
    return collection;
}

void press(TreeEditor& editor, const char* key)
{
    editor.toolbarButton(QString::fromLatin1(key))->trigger();
}

void selectRow(TreeEditor& editor, int row)
{
    auto* tree = editor.findChild<QTreeWidget*>(QStringLiteral("fg"));
    Q_EMIT tree->itemClicked(TreeRows::itemAt(tree, row), 0);
}

// In the tree editor: the second major class up one place, then back to toolbar 1, which clears the stored tree,
// saves it again and renumbers every scrap. Moving it back afterwards is not timed.
std::vector<double> moveSaveItems(BenchContext& context)
{
    const TreeCollection& collection = treeCollection(context);
    SilentDialogs dialogs;
    Session session;
    session.adoptDatabase(OpenSharedConnection(collection.path), collection.path, QStringLiteral("zettora-bench-tree"),
                          DatabaseKind::Scrap);
    TreeEditor editor(session, dialogs, nullptr, TreeKind::Classes);
    std::vector<double> times;
    QElapsedTimer timer;
    // The first round only warms the caches and is not counted.
    for (int i = 0; i <= kTreeSaves; ++i) {
        press(editor, "Mode2SCR");
        selectRow(editor, collection.movedRow);
        timer.start();
        press(editor, "moveUP_SCR");
        press(editor, "Mode1SCR");
        if (i > 0)
            times.push_back(elapsedMs(timer));

        press(editor, "Mode2SCR");
        selectRow(editor, 2);
        press(editor, "moveDN_SCR");
        press(editor, "Mode1SCR");
    }
    return times;
}

// The tree with the major class at stored row `row` (and the paths below it) renamed to name.
QList<ClassRow> renamedMajor(QList<ClassRow> rows, int row, const QString& from, const QString& name)
{
    for (ClassRow& each : rows) {
        if (each.ndMEMO == row)
            each.nName = name;
        if (each.path.major == from)
            each.path.major = name;
    }
    return rows;
}

// The second major class renamed and back, as the tree editor carries a rename into its scraps; only the first
// rename of each pair is timed.
std::vector<double> renameItems(BenchContext& context)
{
    const TreeCollection& collection = treeCollection(context);
    auto connection = OpenSharedConnection(collection.path);
    const ClassRow major = collection.stored.at(collection.movedRow - 2);
    if (major.ndMEMO != collection.movedRow || !major.path.middle.isEmpty())
        throw std::runtime_error("the second major class is not where the rename looks for it");
    const QString from = major.path.major;
    const QString to = QStringLiteral("改名した大分類");
    const QList<ClassRow> renamed = renamedMajor(collection.stored, major.ndMEMO, from, to);
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i <= kTreeSaves; ++i) {
        timer.start();
        if (!RenameClassEverywhere(*connection, major.path, 2, to, renamed))
            throw std::runtime_error("the rename failed");
        if (i > 0)
            times.push_back(elapsedMs(timer));
        if (!RenameClassEverywhere(*connection, {to, {}, {}}, 2, from, collection.stored))
            throw std::runtime_error("the rename back failed");
    }
    return times;
}

class BareStatement {
public:
    BareStatement(sqlite3* handle, const char* sql)
    {
        if (sqlite3_prepare_v2(handle, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("cannot prepare: ") + sqlite3_errmsg(handle));
    }
    ~BareStatement() { sqlite3_finalize(m_statement); }
    void bind(int index, int value) { sqlite3_bind_int(m_statement, index, value); }
    void bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void run()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            throw std::runtime_error("a bare tree write failed");
        sqlite3_reset(m_statement);
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

void bareExec(sqlite3* handle, const char* sql)
{
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("bare write failed: ") + sqlite3_errmsg(handle));
}

// The same statements written straight to SQLite in one transaction.
void bareSave(sqlite3* handle, const QList<ClassRow>& rows)
{
    bareExec(handle, "BEGIN IMMEDIATE");
    bareExec(handle, "DELETE FROM extraNodeMEMO");
    BareStatement insert(handle, "INSERT INTO extraNodeMEMO (ndP, nName, ndMEMO) VALUES (?, ?, ?)");
    for (const ClassRow& row : rows) {
        insert.bind(1, row.ndP);
        insert.bind(2, row.nName);
        insert.bind(3, row.ndMEMO);
        insert.run();
    }
    BareStatement update(handle,
                         "UPDATE MEMO_IDX SET LevNo = ? WHERE a04 = ? AND a05 = ? AND a06 = ? AND LevNo IS NOT ?");
    for (const ClassRow& row : rows) {
        update.bind(1, row.ndMEMO);
        update.bind(2, row.path.major);
        update.bind(3, row.path.middle);
        update.bind(4, row.path.minor);
        update.bind(5, row.ndMEMO);
        update.run();
    }
    bareExec(handle, "COMMIT");
}

// Opens the tree copy with plain SQLite and times `timed`, undone by `undo` after each round; the first round only
// warms the caches.
std::vector<double> bareRounds(const QString& path, const std::function<void(sqlite3*)>& timed,
                               const std::function<void(sqlite3*)>& undo)
{
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the tree benchmark's collection");
    std::vector<double> times;
    try {
        bareExec(handle, "PRAGMA synchronous = FULL");
        QElapsedTimer timer;
        for (int i = 0; i <= kTreeSaves; ++i) {
            timer.start();
            timed(handle);
            if (i > 0)
                times.push_back(elapsedMs(timer));
            undo(handle);
        }
    } catch (...) {
        sqlite3_close(handle);
        throw;
    }
    sqlite3_close(handle);
    return times;
}

std::vector<double> moveSaveBareItems(BenchContext& context)
{
    const TreeCollection& collection = treeCollection(context);
    return bareRounds(
        collection.path, [&](sqlite3* handle) { bareSave(handle, collection.moved); },
        [&](sqlite3* handle) { bareSave(handle, collection.stored); });
}

// The same rename as one UPDATE of the scraps and the tree saved, straight to SQLite.
std::vector<double> renameBareItems(BenchContext& context)
{
    const TreeCollection& collection = treeCollection(context);
    const ClassRow major = collection.stored.at(collection.movedRow - 2);
    const QString to = QStringLiteral("改名した大分類");
    const QList<ClassRow> renamed = renamedMajor(collection.stored, major.ndMEMO, major.path.major, to);
    const auto rename = [](sqlite3* handle, const QString& from, const QString& name, const QList<ClassRow>& rows) {
        bareExec(handle, "BEGIN IMMEDIATE");
        BareStatement update(handle, "UPDATE MEMO_IDX SET a04 = ? WHERE a04 = ?");
        update.bind(1, name);
        update.bind(2, from);
        update.run();
        bareExec(handle, "COMMIT");
        bareSave(handle, rows);
    };
    return bareRounds(
        collection.path, [&](sqlite3* handle) { rename(handle, major.path.major, to, renamed); },
        [&](sqlite3* handle) { rename(handle, to, major.path.major, collection.stored); });
}

} // namespace

void registerTreeOps(BenchRegistry& registry)
{
    registry.push_back(itemsOp(QStringLiteral("tree_move_save"), moveSaveItems, moveSaveBareItems, true));
    registry.push_back(itemsOp(QStringLiteral("tree_rename"), renameItems, renameBareItems, true));
}
