// Syntax tree of the local-SQL dialect, as built by the Parser and read by the
// Translator. Every node keeps the byte offset of its first token.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace engine::sql {

struct Select;

enum class ExprKind {
    Column,     // [qualifier.]name
    Star,       // * or qualifier.* (select list and COUNT(*))
    Number,     // numeric literal (text as written)
    String,     // text literal (double or single quoted)
    Null,       // NULL
    Unary,      // op: "-", "+", "NOT"
    Binary,     // op: "OR" "AND" "=" "<>" "<" "<=" ">" ">=" "+" "-" "*" "/" "||"
    Function,   // name(args); distinct for aggregates
    Cast,       // CAST(arg AS typeName(width[,decimals]))
    Extract,    // EXTRACT(field FROM arg); field in name
    Trim,       // TRIM([BOTH|LEADING|TRAILING] [chars] FROM arg); name = mode
    Substring,  // SUBSTRING(arg FROM a [FOR b]) or SUBSTRING(arg, a [, b])
    IsNull,     // arg IS [NOT] NULL
    Like,       // arg [NOT] LIKE pattern
    InList,     // arg [NOT] IN (list)
    InSelect,   // arg [NOT] IN (select)
    Between,    // arg [NOT] BETWEEN low AND high
    Exists,     // [NOT] EXISTS (select)
    Subquery,   // (select) giving one value
    Case        // CASE WHEN c1 THEN v1 [WHEN c2 THEN v2 ...] [ELSE e] END: args c1, v1, c2, v2, ... [, e]
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    ExprKind kind;
    int offset = 0;
    int endOffset = 0;          // offset just after the expression's last token
    std::string name;           // column/function name, operator, cast type, extract field, trim mode
    std::string qualifier;      // Column, Star: the correlation name or table name
    std::string text;           // literal text
    std::vector<ExprPtr> args;  // operands; Trim: [chars,] source
    std::unique_ptr<Select> select;
    bool negated = false;
    bool distinct = false;
    int width = 0;              // Cast
    int decimals = 0;           // Cast
    Expr(ExprKind k, int off) : kind(k), offset(off) {}
};

enum class JoinKind { First, Comma, Inner, Left, Right, Full };

struct TableRef {
    std::string path;   // file path (quoted token or bare name)
    bool quoted = true;
    std::string alias;  // correlation name; empty when none
    int offset = 0;
    JoinKind join = JoinKind::First;
    ExprPtr on;
};

struct SelectItem {
    ExprPtr expr;
    std::string alias;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct Select {
    int offset = 0;
    bool distinct = false;
    std::vector<SelectItem> items;
    std::vector<TableRef> from;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::unique_ptr<Select> unionNext; // the next SELECT of a UNION chain
    bool unionAll = false;
    std::vector<OrderItem> orderBy;    // of the whole chain
};

struct ColumnDef {
    std::string name;
    char type = 'C';    // 'C', 'N', 'D', 'L', 'F', 'I'
    int width = 0;
    int decimals = 0;
    int offset = 0;
};

struct Assignment {
    std::string column;
    int offset = 0;
    ExprPtr value;
};

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, AlterTable, DropTable };

struct Statement {
    StatementKind kind = StatementKind::Select;
    std::unique_ptr<Select> select;      // Select; Insert ... SELECT
    TableRef table;                      // Insert, Update, Delete, Create, Alter, Drop
    std::vector<std::string> columns;    // Insert column list
    std::vector<int> columnOffsets;
    std::vector<std::vector<ExprPtr>> values; // Insert ... VALUES rows
    std::vector<Assignment> sets;        // Update
    ExprPtr where;                       // Update, Delete
    std::vector<ColumnDef> addColumns;   // Create, Alter ADD
    std::vector<std::pair<std::string, int>> dropColumns; // Alter DROP
};

} // namespace engine::sql
