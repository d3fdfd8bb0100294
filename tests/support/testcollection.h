#pragma once

#include <QString>
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

// Runs one statement with no values on a file, for setting up odd cases (a dropped table, a changed kind).
void alterCollection(const QString& path, const QString& sql);
// One integer from the first row of a statement, or -99999 when there is no row.
qint64 scalar(Connection& connection, const QString& sql);
