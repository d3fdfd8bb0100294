#pragma once

#include "displaysettings.h"

#include <QString>

#include <memory>

class Connection;
class ResultSet;

// The classification path of the clicked class: major, middle and minor class names, empty where absent.
struct ClassPath {
    QString major;
    QString middle;
    QString minor;
};

// What the program shares for a whole run. The main window owns it and hands a reference to every window.
class Session final {
public:
    Session();
    Q_DISABLE_COPY_MOVE(Session)
    ~Session();

    Connection* connection() const { return m_connection.get(); }
    // The shared result set: every listing and search replaces it.
    std::unique_ptr<ResultSet>& results() { return m_results; }
    ResultSet* resultSet() const { return m_results.get(); }

    // Makes connection the open database; the shared result set of the previous one is closed first.
    void adoptDatabase(std::unique_ptr<Connection> connection, const QString& path, const QString& name, int kind);
    void closeResults();
    void closeConnection();

    const QString& databasePath() const { return m_databasePath; }
    const QString& databaseName() const { return m_databaseName; }
    int databaseKind() const { return m_databaseKind; }
    bool isSavedEdition() const;

    ClassPath currentClass;
    DisplayFont displayFont;
    MarkerColours markers;

private:
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<ResultSet> m_results;
    QString m_databasePath;
    QString m_databaseName;
    int m_databaseKind = 0;
};
