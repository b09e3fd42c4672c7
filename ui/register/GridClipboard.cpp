#include "ui/register/GridClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace hestavo {

void CopyGridToClipboard(const workbook::GridData& grid)
{
    QGuiApplication::clipboard()->setMimeData(workbook::gridToMimeData(grid));
}

} // namespace hestavo
