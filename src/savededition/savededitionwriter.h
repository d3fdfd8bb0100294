#pragma once

#include "common/result.h"

#include <QString>

#include <functional>
#include <memory>

class Connection;
class ResultSet;

// Writes a saved edition: a new collection file holding the listed scraps with their bodies and pictures, and the
// whole of the source's settings, classes, favourites and marks, marked read-only (kind -2). The file is written
// under a temporary name beside its final one and takes that name only when every step succeeded, so a failed
// copy never leaves a file that opens as an edition with scraps missing.
class SavedEditionWriter final {
public:
    // Called as listed scraps are copied: how many so far, of how many.
    using Progress = std::function<void(int done, int total)>;

    SavedEditionWriter();
    ~SavedEditionWriter();

    // Makes the empty edition for targetPath. Fails when a file of that name exists or the folder cannot be written.
    Done create(const QString& targetPath);
    // Copies into the edition create() made and gives it its final name. Fails when any step failed; nothing is
    // then left behind.
    Done copy(Connection& source, const ResultSet& listed, const Progress& progress);

private:
    void discard();

    QString m_target;
    QString m_partial;
    std::unique_ptr<Connection> m_edition;
};
