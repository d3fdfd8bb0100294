#include "listworkbook.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

const QString kCannotWrite = QStringLiteral("一覧表のファイルを作成できませんでした。");
// Beyond this a double no longer holds every integer, so such a number goes into the sheet as its digits.
constexpr qint64 kExactLimit = qint64(1) << 53;
// File names longer than this many bytes are refused by the file system.
constexpr int kNameMax = 255;

Failure failure(const QString& why, const QString& detail)
{
    return {kCannotWrite, why, detail};
}

QString reasonOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空きがありません。");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("保存先のフォルダに書き込みの許可がありません。");
    default:
        return QStringLiteral("保存先のフォルダにファイルを作成できません。");
    }
}

QString reasonOf(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("メモリが足りません。");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("セルに入りきらない長さの文字列があります。");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("ファイルを書き込めませんでした（ディスクの空きがないか、書き込みの許可がありません）。");
    default:
        return QStringLiteral("表計算ファイルの作成でエラーが起きました（コード %1）。").arg(int(error));
    }
}

// The folder, made for the user alone when missing; a link, a file, or a folder of someone else is refused.
Result<int> openOwnFolder(const QString& folder)
{
    const QString refused =
        QStringLiteral("保存先「%1」がフォルダでないか、別の場所へのリンクか、他のユーザーのものです。").arg(folder);
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir().mkpath(QFileInfo(folder).path()) || (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST))
        return failure(QStringLiteral("保存先のフォルダ「%1」を作成できません。").arg(folder),
                       QStringLiteral("mkdir ") + folder + u' ' + QString::fromLocal8Bit(std::strerror(errno)));
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return failure(refused, folder + u' ' + QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid()) {
        ::close(fd);
        return failure(refused, QStringLiteral("not the user's folder: ") + folder);
    }
    // A folder of ours that others may look into is closed to them.
    if ((status.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        return failure(refused, QStringLiteral("cannot make it private: ") + folder);
    }
    return fd;
}

// A new empty file in the folder, created by this call alone: a name taken, or a link planted there, moves on to
// the next name.
Result<QString> createUniqueFile(const QString& folder, const QString& collectionName, const QDateTime& when)
{
    const Result<int> dir = openOwnFolder(folder);
    if (!dir)
        return dir.failure();
    QString base = collectionName.isEmpty() ? QStringLiteral("Zettora") : collectionName;
    base.replace(u'/', u'_');
    base += u'_' + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    while (base.size() > 1 && QFile::encodeName(base).size() > kNameMax - 10)
        base.remove(0, 1);
    int error = 0;
    for (int n = 1; n <= 1000; ++n) {
        const QString name = base + (n == 1 ? QString() : u'-' + QString::number(n)) + QStringLiteral(".xlsx");
        const int fd = ::openat(*dir, QFile::encodeName(name).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::close(*dir);
            return QDir(folder).filePath(name);
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    ::close(*dir);
    return failure(reasonOf(error), QStringLiteral("cannot create a file in ") + folder + u' ' +
                                        QString::fromLocal8Bit(std::strerror(error)));
}

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A date as the list shows it, yyyy/MM/dd; QDate::fromString with a format costs more than the rest of a row.
QDate listedDate(const QString& text)
{
    if (text.size() != 10 || text.at(4) != u'/' || text.at(7) != u'/')
        return {};
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const QChar c = text.at(i);
            if (c < u'0' || c > u'9')
                return {};
            parts[p] = parts[p] * 10 + (c.unicode() - u'0');
        }
    }
    return QDate(parts[0], parts[1], parts[2]);
}

// The text as the sheet must hold it to be read back as it is: an "_x" + four hex digits + "_" of the text itself
// would be read as an escaped character, so its underscore is escaped; NUL (which would end the C string),
// U+FFFE and U+FFFF (which XML cannot hold) are escaped. libxlsxwriter escapes the other control characters itself.
QByteArray sheetText(const QString& text)
{
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == u'_' || c == u'\0' || c == QChar(0xFFFE) || c == QChar(0xFFFF);
    });
    if (plain)
        return text.toUtf8();
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool escapedLater = i + 6 < text.size() && text.at(i + 1) == u'x' && isHex(text.at(i + 2)) &&
                                  isHex(text.at(i + 3)) && isHex(text.at(i + 4)) && isHex(text.at(i + 5)) &&
                                  text.at(i + 6) == u'_';
        if ((c == u'_' && escapedLater) || c == u'\0' || c == QChar(0xFFFE) || c == QChar(0xFFFF))
            escaped += u"_x" + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0') + u'_';
        else
            escaped += c;
    }
    return escaped.toUtf8();
}

lxw_error writeTable(lxw_workbook* workbook, const ListTable& table)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* dateFormat = workbook_add_format(workbook);
    if (!sheet || !dateFormat)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    format_set_num_format(dateFormat, "yyyy/mm/dd");
    const auto writeText = [&](lxw_row_t row, lxw_col_t column, const QString& text) {
        return text.isEmpty() ? LXW_NO_ERROR
                              : worksheet_write_string(sheet, row, column, sheetText(text).constData(), nullptr);
    };
    for (int column = 0; column < table.captions.size(); ++column) {
        if (const lxw_error error = writeText(0, lxw_col_t(column), table.captions.at(column)))
            return error;
    }
    for (int row = 0; row < table.rowCount; ++row) {
        for (int column = 0; column < table.kinds.size(); ++column) {
            const QString text = table.cell(row, column);
            const auto sheetRow = lxw_row_t(row + 1);
            const auto sheetColumn = lxw_col_t(column);
            lxw_error error = LXW_NO_ERROR;
            bool isNumber = false;
            const qint64 number = table.kinds.at(column) == CellKind::Number ? text.toLongLong(&isNumber) : 0;
            // A spreadsheet's dates begin in 1900: an earlier one would show as "#####", so it stays text.
            const QDate date = table.kinds.at(column) == CellKind::Date ? listedDate(text) : QDate();
            if (isNumber && number >= -kExactLimit && number <= kExactLimit) {
                error = worksheet_write_number(sheet, sheetRow, sheetColumn, double(number), nullptr);
            } else if (date.isValid() && date.year() >= 1900) {
                lxw_datetime value{date.year(), date.month(), date.day(), 0, 0, 0};
                error = worksheet_write_datetime(sheet, sheetRow, sheetColumn, &value, dateFormat);
            } else {
                error = writeText(sheetRow, sheetColumn, text);
            }
            if (error)
                return error;
        }
        if (table.progress)
            table.progress(row + 1, table.rowCount);
    }
    return LXW_NO_ERROR;
}

} // namespace

QString listWorkbookFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/spreadsheets");
}

Result<QString> writeListWorkbook(const QString& folder, const QString& collectionName, const QDateTime& when,
                                  const ListTable& table)
{
    Result<QString> created = createUniqueFile(folder, collectionName, when);
    if (!created)
        return created;
    const QString& path = *created;
    // Rows go out one after another and are not kept: memory stays small however long the list.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_error error = workbook ? writeTable(workbook, table) : LXW_ERROR_MEMORY_MALLOC_FAILED;
    if (workbook) {
        const lxw_error closed = workbook_close(workbook);
        if (error == LXW_NO_ERROR)
            error = closed;
    }
    if (error != LXW_NO_ERROR) {
        QFile::remove(path);
        return failure(reasonOf(error), path + u' ' + QString::fromUtf8(lxw_strerror(error)));
    }
    return created;
}
