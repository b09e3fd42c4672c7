#include "workbook/Workbook.h"

#include "workbook/biff8/XlsWorkbook.h"
#include "workbook/xlsx/XlsxWorkbook.h"

#include <QFile>

namespace workbook {

std::unique_ptr<Workbook> Workbook::open(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi deschis: "
                            + f.errorString().toStdString());
    QByteArray head = f.read(8);
    f.close();
    if (head.startsWith("PK\x03\x04"))
        return std::make_unique<xlsx::XlsxWorkbook>(path);
    return std::make_unique<biff8::XlsWorkbook>(path);
}

} // namespace workbook
