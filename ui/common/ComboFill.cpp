#include "ui/common/ComboFill.h"

#include "data/Db.h"

#include <QComboBox>

void FillComboDistinct(QComboBox* list, const QString& quotedTablePath, const QString& column,
                       const QString& condition)
{
    list->addItems(DistinctValues(quotedTablePath, column, condition));
    if (list->count() > 0)
        list->setCurrentIndex(0);
}

void SelectComboText(QComboBox* list, const QString& text)
{
    list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}
