#include "engine/storage/DbfTable.h"

namespace engine::storage {

ColumnType Column::columnType() const
{
    switch (type) {
    case 'C': return ColumnType::Char;
    case 'N': return ColumnType::Numeric;
    case 'F': case 'B': case 'O': case 'Y': return ColumnType::Float;
    case 'I': case '+': return ColumnType::Integer;
    case 'D': return ColumnType::Date;
    case 'L': return ColumnType::Logical;
    case 'M': case 'G': case 'P': return ColumnType::Memo;
    default: return ColumnType::Char;
    }
}

} // namespace engine::storage
