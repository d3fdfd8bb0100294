#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Connection;

// A folder of its own for each test, with collections made by the program's own creation code.
class TestFolder {
public:
    TestFolder();
    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

    // A new scrap database named name (".mdb" included); returns its path.
    QString newCollection(const QString& name = QStringLiteral("Zettora.mdb")) const;
    // A file with the given bytes.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // Byte-for-byte content of a file.
    static QByteArray read(const QString& path);

private:
    QTemporaryDir m_dir;
};

// Rows written straight into a collection, for tests of windows that read them.
struct TestScrap {
    QString level = QStringLiteral("普通");
    QString title;
    QString date = QStringLiteral("2024-01-01");
    QString major, middle, minor;
    QString keyword;
    qint64 skID = 0;
    qint64 pfID = 0;
    QString backC = QStringLiteral("-2147483629");
    int levNo = 1;
    qint64 docNo = 0;
};
// Scrap "記事N" with document and body number N, filed under the three class names.
TestScrap numberedScrap(qint64 docNo, int levNo, const QStringList& classPath);
void addScrap(Connection& connection, const TestScrap& scrap);
void addClass(Connection& connection, int ndP, const QString& name, int ndMEMO);
void addBody(Connection& connection, qint64 pfID, const QString& text);
void addMark(Connection& connection, qint64 pfID, bool selUnder, int startP, int selLen);
void addFavourite(Connection& connection, int ndWEB, int ndID, const QString& name, const QString& address);

// A plain picture of the given size encoded in format ("JPG", "PNG", "BMP").
QByteArray encodedPicture(const QSize& size, const char* format);

// Runs one statement with no values on a file, for setting up odd cases (a dropped table, a changed kind).
void alterCollection(const QString& path, const QString& sql);
// One integer from the first row of a statement, or -99999 when there is no row.
qint64 scalar(Connection& connection, const QString& sql);
