#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class UserDialogs;

// purpose 1: the root of a folder hierarchy for the tree editor; 2: where a saved edition is made; other values
// ask without a prompt. Returns the chosen path, or nullopt when the user cancels.
[[nodiscard]] std::optional<QString> ChooseFolder(UserDialogs& dialogs, qint16 purpose);

// The text after the last path separator; the whole text when there is none. Trailing separators are ignored.
QString LastPathPart(const QString& path);

// Lists a folder's immediate subfolders as full paths; nullopt when the folder cannot be listed.
using FolderLister = std::function<std::optional<QStringList>(const QString& path)>;
// Subfolders in name order, case ignored, hidden ones left out.
[[nodiscard]] std::optional<QStringList> listSubfolders(const QString& path);

// A class made from a folder, with those made from its subfolders.
struct FolderClass {
    QString name;
    QList<FolderClass> children;
};

// Told after each subfolder of the chosen folder; returning false cancels the walk.
using FolderProgress = std::function<bool(int done, int total, const QString& current)>;

// The major class for the folder at path with its subfolders as middle and theirs as minor classes; deeper
// folders are not taken, and subfolders that cannot be listed keep no classes below them. nullopt when cancelled.
[[nodiscard]] std::optional<FolderClass> BuildFromFolder(const QString& path, const FolderLister& lister,
                                                         const FolderProgress& progress = {});
