#include "listworkbook.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

namespace {

QString errorText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

QString writeListWorkbook(const QString& path, const ListTable& table)
{
    const QByteArray file = QFile::encodeName(path);
    // Rows go out one after another and are not kept: 32,767 rows stay small and quick.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(file.constData(), &options);
    if (!workbook)
        return QStringLiteral("cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy/mm/dd");

    lxw_error error = LXW_NO_ERROR;
    const auto writeText = [&](int row, int column, const QString& text) {
        if (text.isEmpty())
            return;
        error = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), text.toUtf8().constData(), nullptr);
    };
    for (int column = 0; column < table.captions.size() && error == LXW_NO_ERROR; ++column)
        writeText(0, column, table.captions.at(column));
    for (int row = 0; row < table.rowCount && error == LXW_NO_ERROR; ++row) {
        for (int column = 0; column < table.kinds.size() && error == LXW_NO_ERROR; ++column) {
            const QString text = table.cell(row, column);
            const auto sheetRow = lxw_row_t(row + 1);
            const auto sheetColumn = lxw_col_t(column);
            if (table.kinds.at(column) == CellKind::Number) {
                bool isNumber = false;
                const qint64 number = text.toLongLong(&isNumber);
                if (isNumber) {
                    error = worksheet_write_number(sheet, sheetRow, sheetColumn, double(number), nullptr);
                    continue;
                }
            } else if (table.kinds.at(column) == CellKind::Date) {
                const QDate date = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
                if (date.isValid()) {
                    lxw_datetime value{date.year(), date.month(), date.day(), 0, 0, 0};
                    error = worksheet_write_datetime(sheet, sheetRow, sheetColumn, &value, dateFormat);
                    continue;
                }
            }
            writeText(row + 1, column, text);
        }
    }
    const lxw_error closed = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR) {
        QFile::remove(path);
        return errorText(error);
    }
    return {};
}

QString listWorkbookPath(const QString& folder, const QString& collectionName, const QDateTime& when)
{
    QString name = collectionName.isEmpty() ? QStringLiteral("Zettora") : collectionName;
    name.replace(u'/', u'_');
    return QDir(folder).filePath(name + u'_' + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                 QStringLiteral(".xlsx"));
}
