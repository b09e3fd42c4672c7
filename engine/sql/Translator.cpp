#include "engine/sql/Translator.h"

#include "engine/sql/TextCollation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace engine::sql {

int TableSchema::columnIndex(std::string_view name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (equalsIgnoreCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::string isoDate(const Date& d)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

Date parseAnyDate(std::string_view text)
{
    std::string t(text);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.pop_back();
    size_t b = t.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    t = t.substr(b);
    if (t.size() == 10 && t[4] == '-' && t[7] == '-') {
        Date d;
        d.year = std::atoi(t.substr(0, 4).c_str());
        d.month = std::atoi(t.substr(5, 2).c_str());
        d.day = std::atoi(t.substr(8, 2).c_str());
        for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
            if (t[i] < '0' || t[i] > '9')
                return {};
        return d.isValid() ? d : Date{};
    }
    return Date::fromText(t);
}

std::string formatNumber(double v, int decimals)
{
    if (std::isnan(v) || std::isinf(v))
        return "";
    char buf[64];
    if (decimals < 0) {
        // Enough decimals for money and ratios, without the noise of binary fractions.
        std::snprintf(buf, sizeof buf, "%.10f", v);
    } else {
        const double p = std::pow(10.0, decimals);
        double r = std::round(std::fabs(v) * p + 1e-9) / p;
        if (v < 0)
            r = -r;
        std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
    }
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    if (s == "-0")
        s = "0";
    return s;
}

namespace {

// The text between two quote characters, each quote inside it doubled.
std::string quoted(std::string_view text, char quote)
{
    std::string r(1, quote);
    for (char c : text) {
        if (c == quote)
            r += quote;
        r += c;
    }
    return r + quote;
}

std::string quoteIdent(std::string_view name) { return quoted(name, '"'); }

std::string quoteText(std::string_view text) { return quoted(text, '\''); }

bool isBlank(std::string_view s)
{
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

struct Typed {
    std::string sql;
    ValueType type = ValueType::Null;
    int width = 0;
    int decimals = -1;
};

ValueType typeOfColumn(const storage::Column& c)
{
    switch (c.columnType()) {
    case ColumnType::Numeric: case ColumnType::Float: case ColumnType::Integer:
        return ValueType::Number;
    case ColumnType::Date: return ValueType::Date;
    case ColumnType::Logical: return ValueType::Boolean;
    default: return ValueType::Text;
    }
}

struct Source {
    std::string path;      // as written in the statement
    std::string userAlias;
    std::string stem;      // file name without folder and extension
    std::string sqlAlias;
    const TableSchema* schema = nullptr;
};

struct Scope {
    std::vector<Source> sources;
    const Scope* parent = nullptr;
};

class Translator {
public:
    Translator(const SourceText& src, Catalog& catalog) : m_src(src), m_catalog(catalog) {}

    Translation run(const Statement& st)
    {
        Translation tr;
        switch (st.kind) {
        case StatementKind::Select: {
            tr.sql = selectChain(*st.select, nullptr, &tr.columns);
            break;
        }
        case StatementKind::Insert: insert(st, tr); break;
        case StatementKind::Update: update(st, tr); break;
        case StatementKind::Delete: remove(st, tr); break;
        default: break;
        }
        tr.tables = m_tables;
        return tr;
    }

private:
    std::string where(int offset) const { return m_src.where(offset); }
    std::string slice(const Expr& e) const
    {
        const std::string& t = m_src.text();
        if (e.endOffset > e.offset && e.endOffset <= static_cast<int>(t.size()))
            return t.substr(e.offset, e.endOffset - e.offset);
        return "EXPR";
    }
    [[noreturn]] void fail(const std::string& what, int offset) const
    {
        throw Error(what + " (" + where(offset) + ")");
    }

    const TableSchema& table(const TableRef& ref)
    {
        const TableSchema& schema = m_catalog.table(ref.path, ref.quoted, where(ref.offset));
        if (std::find(m_tables.begin(), m_tables.end(), schema.path) == m_tables.end())
            m_tables.push_back(schema.path);
        return schema;
    }

    static std::string stemOf(const std::string& path)
    {
        size_t slash = path.find_last_of("/\\");
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        size_t dot = name.find_last_of('.');
        return dot == std::string::npos ? name : name.substr(0, dot);
    }

    // A correlation name, or for a table without one its file name without
    // extension or its path as written.
    static bool names(const Source& src, const std::string& qualifier)
    {
        if (!src.userAlias.empty())
            return equalsIgnoreCase(src.userAlias, qualifier);
        return equalsIgnoreCase(src.stem, qualifier) || equalsIgnoreCase(src.path, qualifier);
    }

    Source makeSource(const TableRef& ref)
    {
        Source s;
        s.path = ref.path;
        s.schema = &table(ref);
        s.userAlias = ref.alias;
        s.stem = stemOf(ref.path);
        s.sqlAlias = "s" + std::to_string(++m_aliasCounter);
        return s;
    }

    // ----- columns -----
    Typed column(const Expr& e, const Scope* scope)
    {
        for (const Scope* s = scope; s; s = s->parent) {
            for (const Source& src : s->sources) {
                if (!e.qualifier.empty()) {
                    if (!names(src, e.qualifier))
                        continue;
                    int idx = src.schema->columnIndex(e.name);
                    if (idx < 0)
                        fail("Coloana necunoscuta \"" + e.qualifier + "." + e.name + "\" in tabela \""
                                 + src.schema->path + "\"", e.offset);
                    return columnRef(src, idx);
                }
                int idx = src.schema->columnIndex(e.name);
                if (idx >= 0)
                    return columnRef(src, idx);
            }
        }
        if (!e.qualifier.empty())
            fail("Nume de corelare necunoscut \"" + e.qualifier + "\" la coloana " + e.name, e.offset);
        fail("Coloana necunoscuta \"" + e.name + "\"", e.offset);
    }
    static Typed columnRef(const Source& src, int idx)
    {
        const storage::Column& c = src.schema->columns[idx];
        Typed t;
        t.sql = quoteIdent(src.sqlAlias) + "." + quoteIdent(c.name);
        t.type = typeOfColumn(c);
        t.width = c.width;
        t.decimals = t.type == ValueType::Number ? c.decimals : -1;
        return t;
    }

    // ----- literals taken by the type of the other operand -----
    Typed literalAs(const Expr& e, ValueType hint, const std::string& columnName)
    {
        Typed t;
        if (hint == ValueType::Number) {
            std::string s = e.text;
            if (isBlank(s)) {
                t.sql = "NULL";
                t.type = ValueType::Null;
                return t;
            }
            char* end = nullptr;
            double v = std::strtod(s.c_str(), &end);
            while (end && (*end == ' ' || *end == '\t'))
                ++end;
            if (!end || *end != '\0' || s.find_first_of("xXpP") != std::string::npos)
                fail("Valoare numerica invalida \"" + e.text + "\""
                         + (columnName.empty() ? "" : " pentru coloana " + columnName),
                     e.offset);
            t.sql = formatNumber(v);
            t.type = ValueType::Number;
            return t;
        }
        if (hint == ValueType::Date) {
            if (isBlank(e.text)) {
                t.sql = "NULL";
                t.type = ValueType::Null;
                return t;
            }
            Date d = parseAnyDate(e.text);
            if (!d.isValid())
                fail("Data invalida \"" + e.text + "\"" + (columnName.empty() ? "" : " pentru coloana " + columnName),
                     e.offset);
            t.sql = quoteText(isoDate(d));
            t.type = ValueType::Date;
            return t;
        }
        t.sql = quoteText(e.text);
        t.type = ValueType::Text;
        t.width = static_cast<int>(e.text.size());
        return t;
    }

    static std::string columnNameOf(const Expr& e)
    {
        return e.kind == ExprKind::Column ? e.name : std::string();
    }

    // An operand translated with the other side's type: a quoted literal beside
    // a number or a date is read as one.
    Typed operand(const Expr& e, const Scope* scope, const Typed& other, const Expr& otherExpr)
    {
        if (e.kind == ExprKind::String && (other.type == ValueType::Number || other.type == ValueType::Date))
            return literalAs(e, other.type, columnNameOf(otherExpr));
        return expr(e, scope);
    }

    static std::string asText(const Typed& t)
    {
        switch (t.type) {
        case ValueType::Number: return "hv_num(" + t.sql + ")";
        case ValueType::Date: return "hv_date(" + t.sql + ")";
        case ValueType::Null: return "''";
        default: return t.sql;
        }
    }

    Typed expr(const Expr& e, const Scope* scope)
    {
        Typed t;
        switch (e.kind) {
        case ExprKind::Column:
            return column(e, scope);
        case ExprKind::Star:
            fail("\"*\" nu este permis aici", e.offset);
        case ExprKind::Number: {
            t.sql = e.text;
            t.type = ValueType::Number;
            size_t dot = e.text.find('.');
            t.decimals = dot == std::string::npos ? 0 : static_cast<int>(e.text.size() - dot - 1);
            t.width = static_cast<int>(e.text.size());
            return t;
        }
        case ExprKind::String:
            return literalAs(e, ValueType::Text, {});
        case ExprKind::Null:
            t.sql = "NULL";
            return t;
        case ExprKind::Unary: {
            Typed a = expr(*e.args[0], scope);
            if (e.name == "NOT") {
                t.sql = "(NOT " + a.sql + ")";
                t.type = ValueType::Boolean;
            } else {
                t = a;
                t.sql = "(" + e.name + a.sql + ")";
                t.type = ValueType::Number;
            }
            return t;
        }
        case ExprKind::Binary:
            return binary(e, scope);
        case ExprKind::Function:
            return function(e, scope);
        case ExprKind::Cast: {
            Typed a = expr(*e.args[0], scope);
            const std::string& n = e.name;
            if (n == "CHAR" || n == "VARCHAR" || n == "CHARACTER") {
                t.type = ValueType::Text;
                t.width = e.width > 0 ? e.width : 254;
                t.sql = "substr(" + asText(a) + ",1," + std::to_string(t.width) + ")";
                if (a.type == ValueType::Null)
                    t.sql = "NULL";
            } else if (n == "DATE") {
                t.type = ValueType::Date;
                t.sql = "hv_todate(" + a.sql + ")";
            } else {
                t.type = ValueType::Number;
                bool integer = n == "INTEGER" || n == "INT" || n == "SMALLINT";
                t.decimals = integer ? 0 : ((n == "DECIMAL" || n == "NUMERIC") && e.width > 0 ? e.decimals : -1);
                t.width = e.width > 0 ? e.width : 20;
                t.sql = std::string(integer ? "hv_toint(" : "hv_toreal(") + a.sql + ")";
            }
            return t;
        }
        case ExprKind::Extract: {
            Typed a = expr(*e.args[0], scope);
            if (a.type != ValueType::Date && a.type != ValueType::Null)
                fail("EXTRACT cere o data", e.offset);
            const char* part = e.name == "YEAR" ? "1,4" : e.name == "MONTH" ? "6,2" : "9,2";
            t.sql = "CAST(substr(" + a.sql + "," + part + ") AS INTEGER)";
            t.type = ValueType::Number;
            t.decimals = 0;
            t.width = e.name == "YEAR" ? 4 : 2;
            return t;
        }
        case ExprKind::Trim: {
            std::string chars = "' '";
            const Expr* srcExpr = e.args.back().get();
            if (e.args.size() == 2)
                chars = asText(expr(*e.args[0], scope));
            Typed a = expr(*srcExpr, scope);
            const char* fn = e.name == "LEADING" ? "ltrim" : e.name == "TRAILING" ? "rtrim" : "trim";
            t.sql = std::string(fn) + "(" + asText(a) + "," + chars + ")";
            if (a.type == ValueType::Null)
                t.sql = "NULL";
            t.type = ValueType::Text;
            t.width = a.width;
            return t;
        }
        case ExprKind::Substring: {
            Typed a = expr(*e.args[0], scope);
            t.sql = "substr(" + asText(a);
            for (size_t i = 1; i < e.args.size(); ++i)
                t.sql += "," + expr(*e.args[i], scope).sql;
            t.sql += ")";
            t.type = ValueType::Text;
            t.width = a.width;
            return t;
        }
        case ExprKind::IsNull: {
            Typed a = expr(*e.args[0], scope);
            t.sql = "(" + a.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)");
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::Like: {
            Typed a = expr(*e.args[0], scope);
            Typed p = expr(*e.args[1], scope);
            t.sql = "(" + asText(a) + (e.negated ? " NOT LIKE " : " LIKE ") + asText(p) + ")";
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::InList: {
            Typed a = expr(*e.args[0], scope);
            t.sql = "(" + a.sql + (e.negated ? " NOT IN (" : " IN (");
            for (size_t i = 1; i < e.args.size(); ++i) {
                if (i > 1)
                    t.sql += ",";
                t.sql += operand(*e.args[i], scope, a, *e.args[0]).sql;
            }
            t.sql += "))";
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::InSelect: {
            Typed a = expr(*e.args[0], scope);
            std::vector<OutputColumn> cols;
            std::string sub = selectChain(*e.select, scope, &cols);
            if (cols.size() != 1)
                fail("Subcomanda din IN trebuie sa dea o singura coloana", e.select->offset);
            t.sql = "(" + a.sql + (e.negated ? " NOT IN (" : " IN (") + sub + "))";
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::Between: {
            Typed a = expr(*e.args[0], scope);
            Typed lo = operand(*e.args[1], scope, a, *e.args[0]);
            Typed hi = operand(*e.args[2], scope, a, *e.args[0]);
            const std::string subject = a.type == ValueType::Text ? inTextOrder(a.sql) : a.sql;
            t.sql = "(" + subject + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + lo.sql + " AND " + hi.sql + ")";
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::Exists: {
            std::vector<OutputColumn> cols;
            std::string sub = selectChain(*e.select, scope, &cols);
            t.sql = std::string(e.negated ? "(NOT EXISTS (" : "(EXISTS (") + sub + "))";
            t.type = ValueType::Boolean;
            return t;
        }
        case ExprKind::Case:
            return caseExpr(e, scope);
        case ExprKind::Subquery: {
            std::vector<OutputColumn> cols;
            std::string sub = selectChain(*e.select, scope, &cols);
            if (cols.size() != 1)
                fail("Subcomanda trebuie sa dea o singura coloana", e.select->offset);
            t.sql = "(" + sub + ")";
            t.type = cols[0].type;
            t.width = cols[0].width;
            t.decimals = cols[0].decimals;
            return t;
        }
        }
        fail("Expresie nerecunoscuta", e.offset);
    }

    Typed binary(const Expr& e, const Scope* scope)
    {
        const std::string& op = e.name;
        const Expr& le = *e.args[0];
        const Expr& re = *e.args[1];
        Typed t;
        if (op == "AND" || op == "OR") {
            t.sql = "(" + expr(le, scope).sql + " " + op + " " + expr(re, scope).sql + ")";
            t.type = ValueType::Boolean;
            return t;
        }
        Typed l = expr(le, scope);
        Typed r = expr(re, scope);
        const bool cmp = op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=";
        if (cmp) {
            t.type = ValueType::Boolean;
            // The empty literal equals a blank field (which reads as NULL).
            if ((op == "=" || op == "<>") && (le.kind == ExprKind::String || re.kind == ExprKind::String)) {
                const Expr& lit = le.kind == ExprKind::String ? le : re;
                const Typed& other = le.kind == ExprKind::String ? r : l;
                if (isBlank(lit.text) && other.type != ValueType::Number && other.type != ValueType::Date) {
                    t.sql = "(ifnull(" + other.sql + ",'') " + op + " '')";
                    return t;
                }
                if (isBlank(lit.text)) {
                    t.sql = op == "=" ? "(" + other.sql + " IS NULL)" : "(" + other.sql + " IS NOT NULL)";
                    return t;
                }
            }
            if (le.kind == ExprKind::String)
                l = operand(le, scope, r, re);
            if (re.kind == ExprKind::String)
                r = operand(re, scope, l, le);
            const bool range = op != "=" && op != "<>";
            if (range && l.type == ValueType::Text && r.type == ValueType::Text)
                l.sql = inTextOrder(l.sql);
            t.sql = "(" + l.sql + " " + op + " " + r.sql + ")";
            return t;
        }
        if (op == "||" || (op == "+" && (l.type == ValueType::Text || r.type == ValueType::Text))) {
            // Joining text: a NULL operand counts as empty text.
            t.sql = "(ifnull(" + asText(l) + ",'') || ifnull(" + asText(r) + ",''))";
            t.type = ValueType::Text;
            t.width = l.width + r.width;
            return t;
        }
        if (le.kind == ExprKind::String)
            l = literalAs(le, ValueType::Number, {});
        if (re.kind == ExprKind::String)
            r = literalAs(re, ValueType::Number, {});
        t.type = ValueType::Number;
        t.width = std::max(l.width, r.width) + 1;
        const std::string ls = zeroIfBlank(l, le);
        const std::string rs = zeroIfBlank(r, re);
        if (op == "/") {
            t.sql = "hv_div(" + ls + ", " + rs + ", " + quoteText(slice(re) + " (" + where(re.offset) + ")") + ")";
            t.decimals = -1;
        } else {
            t.sql = "(" + ls + " " + op + " " + rs + ")";
            if (op == "*")
                t.decimals = (l.decimals < 0 || r.decimals < 0) ? -1 : l.decimals + r.decimals;
            else
                t.decimals = (l.decimals < 0 || r.decimals < 0) ? -1 : std::max(l.decimals, r.decimals);
        }
        return t;
    }

    // CASE: its type, width and decimals are those of its values taken
    // together; values of different types are refused.
    Typed caseExpr(const Expr& e, const Scope* scope)
    {
        Typed t;
        t.sql = "CASE";
        const std::size_t pairs = e.args.size() / 2;
        bool typed = false;
        auto addValue = [&](const Expr& valueExpr) {
            Typed v = expr(valueExpr, scope);
            if (v.type != ValueType::Null) {
                if (typed && t.type != v.type)
                    fail("Valorile din CASE trebuie sa fie de acelasi tip", valueExpr.offset);
                t.decimals = !typed ? v.decimals : (t.decimals < 0 || v.decimals < 0) ? -1 : std::max(t.decimals, v.decimals);
                t.type = v.type;
                t.width = std::max(t.width, v.width);
                typed = true;
            }
            return v.sql;
        };
        for (std::size_t i = 0; i < pairs; ++i) {
            const std::string condition = expr(*e.args[2 * i], scope).sql;
            t.sql += " WHEN " + condition + " THEN " + addValue(*e.args[2 * i + 1]);
        }
        if (e.args.size() % 2 == 1)
            t.sql += " ELSE " + addValue(*e.args.back());
        t.sql = "(" + t.sql + " END)";
        return t;
    }

    // An operand of arithmetic: a blank number (NULL) counts as 0, as in the
    // table files' own tools, so one blank amount does not blank a sum.
    static std::string zeroIfBlank(const Typed& t, const Expr& e)
    {
        if (e.kind == ExprKind::Number || e.kind == ExprKind::Null || t.type == ValueType::Date
            || t.type == ValueType::Text)
            return t.sql;
        return "ifnull(" + t.sql + ",0)";
    }

    // Text compared or sorted in the Romanian alphabet's order.
    static std::string inTextOrder(const std::string& sql) { return sql + " COLLATE " + kTextCollation; }

    Typed function(const Expr& e, const Scope* scope)
    {
        Typed t;
        const std::string& n = e.name;
        if (n == "COUNT") {
            if (e.args.size() == 1 && e.args[0]->kind == ExprKind::Star)
                t.sql = "count(*)";
            else if (e.args.size() == 1)
                t.sql = std::string("count(") + (e.distinct ? "DISTINCT " : "") + expr(*e.args[0], scope).sql + ")";
            else
                fail("COUNT cere un argument", e.offset);
            t.type = ValueType::Number;
            t.decimals = 0;
            t.width = 10;
            return t;
        }
        if (n == "MAX" || n == "MIN" || n == "SUM" || n == "AVG") {
            if (e.args.size() != 1)
                fail(n + " cere un argument", e.offset);
            Typed a = expr(*e.args[0], scope);
            t.sql = (n == "MAX" ? "max(" : n == "MIN" ? "min(" : n == "SUM" ? "sum(" : "avg(")
                  + std::string(e.distinct ? "DISTINCT " : "") + a.sql + ")";
            t.type = a.type;
            t.width = a.width;
            t.decimals = a.decimals;
            if (n == "SUM" || n == "AVG") {
                if (a.type != ValueType::Number && a.type != ValueType::Null)
                    fail(n + " cere o valoare numerica", e.offset);
                t.type = ValueType::Number;
                t.width = std::min(20, a.width + 5);
                if (n == "AVG")
                    t.decimals = -1;
            }
            return t;
        }
        if (n == "UPPER" || n == "LOWER") {
            if (e.args.size() != 1)
                fail(n + " cere un argument", e.offset);
            Typed a = expr(*e.args[0], scope);
            t.sql = (n == "UPPER" ? "upper(" : "lower(") + asText(a) + ")";
            if (a.type == ValueType::Null)
                t.sql = "NULL";
            t.type = ValueType::Text;
            t.width = a.width;
            return t;
        }
        fail("Functie necunoscuta \"" + n + "\"", e.offset);
    }

    // Result columns of one SELECT (stars expanded) and their SQL.
    // textTargets: for INSERT ... SELECT, which result columns go into text
    // columns (a date is stored there as "dd.MM.yyyy").
    std::string selectCore(const Select& s, const Scope* parent, std::vector<OutputColumn>* cols, Scope& scope,
                           const std::vector<bool>* textTargets = nullptr)
    {
        scope.parent = parent;
        for (const TableRef& ref : s.from)
            scope.sources.push_back(makeSource(ref));
        std::string sql = s.distinct ? "SELECT DISTINCT " : "SELECT ";
        bool firstItem = true;
        auto addItem = [&](const std::string& itemSql, OutputColumn col) {
            if (!firstItem)
                sql += ", ";
            firstItem = false;
            const std::size_t index = cols->size();
            const bool intoText = textTargets && index < textTargets->size() && (*textTargets)[index];
            sql += (intoText ? dateAsText({itemSql, col.type}).sql : itemSql) + " AS " + quoteIdent(col.name);
            cols->push_back(std::move(col));
        };
        for (const SelectItem& item : s.items) {
            const Expr& e = *item.expr;
            if (e.kind == ExprKind::Star) {
                bool any = false;
                for (const Source& src : scope.sources) {
                    if (!e.qualifier.empty() && !names(src, e.qualifier))
                        continue;
                    any = true;
                    for (size_t i = 0; i < src.schema->columns.size(); ++i) {
                        Typed c = columnRef(src, static_cast<int>(i));
                        addItem(c.sql, {src.schema->columns[i].name, c.type, c.width, c.decimals});
                    }
                }
                if (!any)
                    fail(e.qualifier.empty() ? std::string("SELECT * fara tabela")
                                             : "Nume de corelare necunoscut \"" + e.qualifier + "\"",
                         e.offset);
                continue;
            }
            Typed t = expr(e, &scope);
            OutputColumn col;
            col.name = !item.alias.empty() ? item.alias : e.kind == ExprKind::Column ? e.name : slice(e);
            col.type = t.type;
            col.width = t.width;
            col.decimals = t.decimals;
            addItem(t.sql, col);
        }
        if (!scope.sources.empty()) {
            sql += " FROM ";
            for (size_t i = 0; i < scope.sources.size(); ++i) {
                const TableRef& ref = s.from[i];
                const Source& src = scope.sources[i];
                std::string name = quoteIdent(src.schema->sqlName) + " AS " + quoteIdent(src.sqlAlias);
                switch (ref.join) {
                case JoinKind::First: sql += name; break;
                case JoinKind::Comma: sql += ", " + name; break;
                case JoinKind::Inner: sql += " JOIN " + name; break;
                case JoinKind::Left: sql += " LEFT JOIN " + name; break;
                case JoinKind::Right: sql += " RIGHT JOIN " + name; break;
                case JoinKind::Full: sql += " FULL JOIN " + name; break;
                }
                if (ref.on)
                    sql += " ON " + expr(*ref.on, &scope).sql;
            }
        }
        if (s.where)
            sql += " WHERE " + expr(*s.where, &scope).sql;
        if (!s.groupBy.empty()) {
            sql += " GROUP BY ";
            for (size_t i = 0; i < s.groupBy.size(); ++i)
                sql += (i ? ", " : "") + expr(*s.groupBy[i], &scope).sql;
        }
        if (s.having)
            sql += " HAVING " + expr(*s.having, &scope).sql;
        return sql;
    }

    std::string selectChain(const Select& s, const Scope* parent, std::vector<OutputColumn>* cols,
                            const std::vector<bool>* textTargets = nullptr)
    {
        Scope firstScope;
        std::string sql = selectCore(s, parent, cols, firstScope, textTargets);
        for (const Select* next = &s; next->unionNext; next = next->unionNext.get()) {
            std::vector<OutputColumn> other;
            Scope scope;
            std::string part = selectCore(*next->unionNext, parent, &other, scope, textTargets);
            if (other.size() != cols->size())
                fail("Comenzile din UNION au numar diferit de coloane", next->unionNext->offset);
            sql += next->unionAll ? " UNION ALL " : " UNION ";
            sql += part;
        }
        if (!s.orderBy.empty()) {
            const bool chain = s.unionNext != nullptr;
            sql += " ORDER BY ";
            for (size_t i = 0; i < s.orderBy.size(); ++i) {
                const Expr& e = *s.orderBy[i].expr;
                std::string term;
                int pos = -1;
                if (e.kind == ExprKind::Column && e.qualifier.empty()) {
                    for (size_t c = 0; c < cols->size(); ++c)
                        if (equalsIgnoreCase((*cols)[c].name, e.name)) {
                            pos = static_cast<int>(c);
                            break;
                        }
                }
                ValueType type = ValueType::Null;
                if (e.kind == ExprKind::Number) {
                    pos = resultPosition(e, cols->size());
                    term = std::to_string(pos + 1);
                    type = (*cols)[pos].type;
                } else if (pos >= 0 && (chain || !isPlainColumn(s, e.name))) {
                    term = std::to_string(pos + 1);
                    type = (*cols)[pos].type;
                } else if (chain) {
                    fail("ORDER BY dupa UNION trebuie sa numeasca o coloana a rezultatului", e.offset);
                } else {
                    Typed ordered = expr(e, &firstScope);
                    term = ordered.sql;
                    type = ordered.type;
                }
                if (type == ValueType::Text)
                    term = inTextOrder(term);
                sql += (i ? ", " : "") + term + (s.orderBy[i].descending ? " DESC" : "");
            }
        }
        return sql;
    }

    // The 0-based result column an ORDER BY number names (1 = the first).
    int resultPosition(const Expr& e, std::size_t columns) const
    {
        char* end = nullptr;
        const long n = std::strtol(e.text.c_str(), &end, 10);
        if (*end != '\0' || n < 1 || static_cast<std::size_t>(n) > columns)
            fail("Termenul " + e.text + " din ORDER BY nu este o coloana a rezultatului (sunt " + std::to_string(columns)
                     + " coloane)",
                 e.offset);
        return static_cast<int>(n - 1);
    }

    // True when the select list shows this name as a bare column (no alias),
    // so that ordering by the column itself is the same.
    static bool isPlainColumn(const Select& s, const std::string& name)
    {
        for (const SelectItem& item : s.items)
            if (equalsIgnoreCase(item.alias, name))
                return false;
        return true;
    }

    // ----- changes -----
    Scope targetScope(const TableRef& ref, const TableSchema& schema)
    {
        Scope scope;
        Source s;
        s.path = ref.path;
        s.schema = &schema;
        s.userAlias = ref.alias;
        s.stem = stemOf(ref.path);
        s.sqlAlias = "s" + std::to_string(++m_aliasCounter);
        scope.sources.push_back(s);
        return scope;
    }

    Typed valueFor(const Expr& e, const Scope* scope, const storage::Column& target)
    {
        const ValueType type = typeOfColumn(target);
        if (e.kind == ExprKind::String) {
            if (isBlank(e.text)) {
                Typed t;
                t.sql = "NULL";
                return t;
            }
            return literalAs(e, type == ValueType::Text ? ValueType::Text : type, target.name);
        }
        Typed t = expr(e, scope);
        if (type == ValueType::Text)
            t = dateAsText(t);
        return t;
    }

    // A date stored into a text column is written as "dd.MM.yyyy", as CAST
    // and "+" give it.
    static Typed dateAsText(Typed t)
    {
        if (t.type == ValueType::Date) {
            t.sql = asText(t);
            t.type = ValueType::Text;
        }
        return t;
    }

    void insert(const Statement& st, Translation& tr)
    {
        const TableSchema& schema = table(st.table);
        tr.target = &schema;
        std::vector<int> targets;
        if (st.columns.empty()) {
            for (size_t i = 0; i < schema.columns.size(); ++i)
                targets.push_back(static_cast<int>(i));
        } else {
            for (size_t i = 0; i < st.columns.size(); ++i) {
                int idx = schema.columnIndex(st.columns[i]);
                if (idx < 0)
                    fail("Coloana necunoscuta \"" + st.columns[i] + "\" in tabela \"" + schema.path + "\"",
                         st.columnOffsets[i]);
                targets.push_back(idx);
            }
        }
        std::string sql = "INSERT INTO " + quoteIdent(schema.sqlName) + " (";
        for (size_t i = 0; i < targets.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(schema.columns[targets[i]].name);
        sql += ") ";
        if (st.select) {
            std::vector<OutputColumn> cols;
            std::vector<bool> textTargets;
            for (int target : targets)
                textTargets.push_back(typeOfColumn(schema.columns[target]) == ValueType::Text);
            std::string sub = selectChain(*st.select, nullptr, &cols, &textTargets);
            if (cols.size() != targets.size())
                fail("INSERT: " + std::to_string(cols.size()) + " valori pentru " + std::to_string(targets.size())
                         + " coloane ale tabelei \"" + schema.path + "\"",
                     st.select->offset);
            sql += sub;
        } else {
            sql += "VALUES ";
            for (size_t r = 0; r < st.values.size(); ++r) {
                const auto& row = st.values[r];
                if (row.size() != targets.size())
                    fail("INSERT: " + std::to_string(row.size()) + " valori pentru " + std::to_string(targets.size())
                             + " coloane ale tabelei \"" + schema.path + "\"",
                         row.empty() ? st.table.offset : row[0]->offset);
                sql += r ? ", (" : "(";
                for (size_t i = 0; i < row.size(); ++i)
                    sql += (i ? ", " : "") + valueFor(*row[i], nullptr, schema.columns[targets[i]]).sql;
                sql += ")";
            }
        }
        tr.sql = sql;
    }

    void update(const Statement& st, Translation& tr)
    {
        const TableSchema& schema = table(st.table);
        tr.target = &schema;
        Scope scope = targetScope(st.table, schema);
        std::string sql = "UPDATE " + quoteIdent(schema.sqlName) + " AS " + quoteIdent(scope.sources[0].sqlAlias) + " SET ";
        for (size_t i = 0; i < st.sets.size(); ++i) {
            const Assignment& a = st.sets[i];
            int idx = schema.columnIndex(a.column);
            if (idx < 0)
                fail("Coloana necunoscuta \"" + a.column + "\" in tabela \"" + schema.path + "\"", a.offset);
            sql += (i ? ", " : "") + quoteIdent(schema.columns[idx].name) + " = "
                 + valueFor(*a.value, &scope, schema.columns[idx]).sql;
        }
        if (st.where)
            sql += " WHERE " + expr(*st.where, &scope).sql;
        tr.sql = sql;
    }

    void remove(const Statement& st, Translation& tr)
    {
        const TableSchema& schema = table(st.table);
        tr.target = &schema;
        Scope scope = targetScope(st.table, schema);
        std::string sql = "DELETE FROM " + quoteIdent(schema.sqlName) + " AS " + quoteIdent(scope.sources[0].sqlAlias);
        if (st.where)
            sql += " WHERE " + expr(*st.where, &scope).sql;
        tr.sql = sql;
    }

    const SourceText& m_src;
    Catalog& m_catalog;
    int m_aliasCounter = 0;
    std::vector<std::string> m_tables;
};

} // namespace

Translation translate(const Statement& statement, const SourceText& source, Catalog& catalog)
{
    Translator t(source, catalog);
    return t.run(statement);
}

} // namespace engine::sql
