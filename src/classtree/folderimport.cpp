#include "folderimport.h"

#include "common/textcut.h"
#include "common/userdialogs.h"

#include <QDir>

namespace {

// Class names are stored in 127 characters at most; a longer folder name keeps its beginning.
constexpr int kClassNameWidth = 127;

bool isSeparator(QChar c)
{
    return c == u'/' || c == QDir::separator();
}

QString className(const QString& path)
{
    return leftWhole(LastPathPart(path), kClassNameWidth);
}

} // namespace

std::optional<QString> ChooseFolder(UserDialogs& dialogs, qint16 purpose)
{
    QString prompt;
    if (purpose == 1)
        prompt = QStringLiteral("分類階層のルートフォルダを指定してください。");
    else if (purpose == 2)
        prompt = QStringLiteral("作成場所を指定してください。");
    const std::optional<QString> chosen = dialogs.chooseFolder(prompt);
    if (!chosen)
        return std::nullopt;
    return QDir::toNativeSeparators(*chosen);
}

QString LastPathPart(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && isSeparator(path[end - 1]))
        --end;
    if (end == 0)
        return path;
    qsizetype start = end;
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    return path.mid(start, end - start);
}

std::optional<QStringList> listSubfolders(const QString& path)
{
    const QDir dir(path);
    if (!dir.exists() || !dir.isReadable())
        return std::nullopt;
    QStringList paths;
    // Name order, as the folder chooser shows them, whatever order the file system keeps.
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries)
        paths << QDir::toNativeSeparators(entry.absoluteFilePath());
    return paths;
}

std::optional<FolderClass> BuildFromFolder(const QString& path, const FolderLister& lister,
                                           const FolderProgress& progress)
{
    FolderClass major{className(path), {}};
    const std::optional<QStringList> middles = lister(path + QDir::separator());
    if (!middles)
        return major;
    int done = 0;
    for (const QString& middlePath : *middles) {
        if (progress && !progress(done, int(middles->size()), middlePath))
            return std::nullopt;
        FolderClass middle{className(middlePath), {}};
        if (const std::optional<QStringList> minors = lister(middlePath)) {
            for (const QString& minorPath : *minors)
                middle.children.append({className(minorPath), {}});
        }
        major.children.append(middle);
        ++done;
    }
    if (progress)
        progress(done, int(middles->size()), QString());
    return major;
}
