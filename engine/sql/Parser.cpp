#include "engine/sql/Parser.h"

#include "engine/Value.h"

#include <cstdlib>

namespace engine::sql {

namespace {

// Words that end an expression or a table reference and so can never be a
// correlation name or a column alias.
bool isReserved(const Token& t)
{
    static const char* words[] = {"SELECT", "FROM", "WHERE", "GROUP", "ORDER", "HAVING", "UNION", "JOIN",
                                  "INNER", "LEFT", "RIGHT", "FULL", "OUTER", "ON", "AND", "OR", "NOT",
                                  "AS", "BY", "INTO", "VALUES", "SET", "IN", "IS", "LIKE", "BETWEEN",
                                  "NULL", "ASC", "DESC", "ADD", "DROP", "DISTINCT", "ALL", "FOR", "EXISTS",
                                  "CROSS", "NATURAL", "USING"};
    if (t.kind != TokenKind::Identifier)
        return false;
    for (const char* w : words)
        if (t.is(w))
            return true;
    return false;
}

class Parser {
public:
    Parser(const SourceText& src) : m_src(src), m_tokens(tokenize(src)) {}

    Statement statement()
    {
        Statement st;
        if (peek().is("SELECT")) {
            st.kind = StatementKind::Select;
            st.select = selectChain();
        } else if (accept("INSERT")) {
            st.kind = StatementKind::Insert;
            expectWord("INTO");
            st.table = tableName(false);
            if (peek().isPunct('(') && !peekAt(1).is("SELECT")) {
                advance();
                do {
                    const Token& c = expectIdentifier("numele unei coloane");
                    st.columns.push_back(c.text);
                    st.columnOffsets.push_back(c.offset);
                } while (acceptPunct(','));
                expectPunct(')');
            }
            if (accept("VALUES")) {
                do {
                    expectPunct('(');
                    std::vector<ExprPtr> row;
                    do {
                        row.push_back(expr());
                    } while (acceptPunct(','));
                    expectPunct(')');
                    st.values.push_back(std::move(row));
                } while (acceptPunct(','));
            } else if (peek().is("SELECT") || (peek().isPunct('(') && peekAt(1).is("SELECT"))) {
                bool paren = acceptPunct('(');
                st.select = selectChain();
                if (paren)
                    expectPunct(')');
            } else {
                fail("se astepta VALUES sau SELECT");
            }
        } else if (accept("UPDATE")) {
            st.kind = StatementKind::Update;
            st.table = tableName(true);
            expectWord("SET");
            do {
                Assignment a;
                a.offset = peek().offset;
                const Token& first = expectIdentifier("numele unei coloane");
                a.column = first.text;
                if (acceptPunct('.')) {
                    // A qualified target names the updated table's correlation name.
                    if (!st.table.alias.empty() && !equalsIgnoreCase(first.text, st.table.alias))
                        failAt(first, "coloana de modificat trebuie sa fie din tabela modificata");
                    a.column = expectIdentifier("numele unei coloane").text;
                }
                expectOp("=");
                a.value = expr();
                st.sets.push_back(std::move(a));
            } while (acceptPunct(','));
            if (accept("WHERE"))
                st.where = expr();
        } else if (accept("DELETE")) {
            st.kind = StatementKind::Delete;
            expectWord("FROM");
            st.table = tableName(true);
            if (accept("WHERE"))
                st.where = expr();
        } else if (accept("CREATE")) {
            st.kind = StatementKind::CreateTable;
            expectWord("TABLE");
            st.table = tableName(false);
            expectPunct('(');
            do {
                st.addColumns.push_back(columnDef());
            } while (acceptPunct(','));
            expectPunct(')');
        } else if (accept("ALTER")) {
            st.kind = StatementKind::AlterTable;
            expectWord("TABLE");
            st.table = tableName(false);
            do {
                if (accept("ADD")) {
                    accept("COLUMN");
                    st.addColumns.push_back(columnDef());
                } else if (accept("DROP")) {
                    accept("COLUMN");
                    const Token& c = expectIdentifier("numele unei coloane");
                    st.dropColumns.emplace_back(c.text, c.offset);
                } else {
                    fail("se astepta ADD sau DROP");
                }
            } while (acceptPunct(','));
        } else if (accept("DROP")) {
            st.kind = StatementKind::DropTable;
            expectWord("TABLE");
            st.table = tableName(false);
        } else {
            fail("se astepta SELECT, INSERT, UPDATE, DELETE, CREATE TABLE sau ALTER TABLE");
        }
        acceptPunct(';');
        if (peek().kind != TokenKind::End)
            fail("text in plus dupa sfarsitul comenzii");
        return st;
    }

private:
    const Token& peek() const { return m_tokens[m_pos]; }
    const Token& peekAt(size_t n) const { return m_tokens[std::min(m_pos + n, m_tokens.size() - 1)]; }
    const Token& advance()
    {
        const Token& t = m_tokens[m_pos];
        if (m_pos + 1 < m_tokens.size())
            ++m_pos;
        return t;
    }
    bool accept(std::string_view word)
    {
        if (peek().is(word)) {
            advance();
            return true;
        }
        return false;
    }
    bool acceptPunct(char c)
    {
        if (peek().isPunct(c)) {
            advance();
            return true;
        }
        return false;
    }
    bool acceptOp(std::string_view op)
    {
        if (peek().isOp(op)) {
            advance();
            return true;
        }
        return false;
    }
    [[noreturn]] void failAt(const Token& t, const std::string& why)
    {
        std::string shown = t.kind == TokenKind::End ? "sfarsitul comenzii"
                          : t.kind == TokenKind::DoubleQuoted ? "\"" + t.text + "\""
                          : t.kind == TokenKind::SingleQuoted ? "'" + t.text + "'"
                          : "\"" + t.text + "\"";
        throw Error("Eroare de sintaxa la " + shown + " (" + m_src.where(t.offset) + "): " + why);
    }
    [[noreturn]] void fail(const std::string& why) { failAt(peek(), why); }
    void expectWord(std::string_view w)
    {
        if (!accept(w))
            fail("se astepta " + std::string(w));
    }
    void expectPunct(char c)
    {
        if (!acceptPunct(c))
            fail(std::string("se astepta \"") + c + "\"");
    }
    void expectOp(std::string_view op)
    {
        if (!acceptOp(op))
            fail("se astepta \"" + std::string(op) + "\"");
    }
    const Token& expectIdentifier(const char* what)
    {
        if (peek().kind != TokenKind::Identifier)
            fail(std::string("se astepta ") + what);
        return advance();
    }
    int expectInt()
    {
        if (peek().kind != TokenKind::Number)
            fail("se astepta un numar");
        return std::atoi(advance().text.c_str());
    }

    // A table named by its file path in double quotes, or by a bare name.
    TableRef tableName(bool allowAlias)
    {
        TableRef t;
        t.offset = peek().offset;
        if (peek().kind == TokenKind::DoubleQuoted) {
            t.path = advance().text;
            t.quoted = true;
        } else if (peek().kind == TokenKind::Identifier && !isReserved(peek())) {
            t.path = advance().text;
            t.quoted = false;
        } else {
            fail("se astepta numele tabelei (calea fisierului intre ghilimele)");
        }
        if (t.path.empty())
            failAt(m_tokens[m_pos - 1], "numele tabelei este gol");
        if (allowAlias) {
            if (accept("AS"))
                t.alias = expectIdentifier("numele de corelare").text;
            else if (peek().kind == TokenKind::Identifier && !isReserved(peek()))
                t.alias = advance().text;
        }
        return t;
    }

    ColumnDef columnDef()
    {
        ColumnDef d;
        d.offset = peek().offset;
        d.name = expectIdentifier("numele unei coloane").text;
        const Token& type = expectIdentifier("tipul coloanei");
        if (type.is("CHAR") || type.is("VARCHAR") || type.is("CHARACTER")) {
            d.type = 'C';
            expectPunct('(');
            d.width = expectInt();
            expectPunct(')');
        } else if (type.is("DECIMAL") || type.is("NUMERIC")) {
            d.type = 'N';
            expectPunct('(');
            d.width = expectInt();
            if (acceptPunct(','))
                d.decimals = expectInt();
            expectPunct(')');
            // DECIMAL(p,s) is a numeric field p characters wide with s decimals,
            // as the old engine created them.
            if (d.width > 20)
                d.width = 20;
        } else if (type.is("DATE")) {
            d.type = 'D';
            d.width = 8;
        } else if (type.is("FLOAT") || type.is("DOUBLE")) {
            d.type = 'N';
            d.width = 20;
            d.decimals = 4;
        } else if (type.is("INTEGER") || type.is("INT") || type.is("SMALLINT")) {
            d.type = 'N';
            d.width = 11;
        } else if (type.is("BOOLEAN")) {
            d.type = 'L';
            d.width = 1;
        } else {
            failAt(type, "tip de coloana necunoscut");
        }
        return d;
    }

    std::unique_ptr<Select> selectChain()
    {
        auto first = selectCore();
        Select* last = first.get();
        while (accept("UNION")) {
            last->unionAll = accept("ALL");
            last->unionNext = selectCore();
            last = last->unionNext.get();
        }
        if (accept("ORDER")) {
            expectWord("BY");
            do {
                OrderItem o;
                o.expr = expr();
                if (accept("DESC"))
                    o.descending = true;
                else
                    accept("ASC");
                first->orderBy.push_back(std::move(o));
            } while (acceptPunct(','));
        }
        return first;
    }

    std::unique_ptr<Select> selectCore()
    {
        auto s = std::make_unique<Select>();
        s->offset = peek().offset;
        expectWord("SELECT");
        if (accept("DISTINCT"))
            s->distinct = true;
        else
            accept("ALL");
        do {
            SelectItem item;
            item.expr = expr(true);
            if (accept("AS")) {
                if (peek().kind == TokenKind::Identifier || peek().kind == TokenKind::DoubleQuoted)
                    item.alias = advance().text;
                else
                    fail("se astepta un nume dupa AS");
            } else if (peek().kind == TokenKind::Identifier && !isReserved(peek())) {
                item.alias = advance().text;
            }
            s->items.push_back(std::move(item));
        } while (acceptPunct(','));
        if (accept("FROM")) {
            s->from.push_back(tableName(true));
            for (;;) {
                JoinKind kind;
                if (acceptPunct(',')) {
                    kind = JoinKind::Comma;
                } else if (accept("JOIN")) {
                    kind = JoinKind::Inner;
                } else if (accept("INNER")) {
                    expectWord("JOIN");
                    kind = JoinKind::Inner;
                } else if (accept("LEFT")) {
                    accept("OUTER");
                    expectWord("JOIN");
                    kind = JoinKind::Left;
                } else if (accept("RIGHT")) {
                    accept("OUTER");
                    expectWord("JOIN");
                    kind = JoinKind::Right;
                } else if (accept("FULL")) {
                    accept("OUTER");
                    expectWord("JOIN");
                    kind = JoinKind::Full;
                } else {
                    break;
                }
                TableRef t = tableName(true);
                t.join = kind;
                if (kind != JoinKind::Comma) {
                    expectWord("ON");
                    t.on = expr();
                }
                s->from.push_back(std::move(t));
            }
        }
        if (accept("WHERE"))
            s->where = expr();
        if (accept("GROUP")) {
            expectWord("BY");
            do {
                s->groupBy.push_back(expr());
            } while (acceptPunct(','));
        }
        if (accept("HAVING"))
            s->having = expr();
        return s;
    }

    ExprPtr make(ExprKind k, int offset)
    {
        return std::make_unique<Expr>(k, offset);
    }
    ExprPtr finish(ExprPtr e)
    {
        e->endOffset = m_pos > 0 ? m_tokens[m_pos - 1].offset + tokenLength(m_tokens[m_pos - 1]) : 0;
        return e;
    }
    static int tokenLength(const Token& t)
    {
        int n = static_cast<int>(t.text.size());
        if (t.kind == TokenKind::DoubleQuoted || t.kind == TokenKind::SingleQuoted)
            n += 2;
        return n;
    }

    ExprPtr binary(std::string op, ExprPtr a, ExprPtr b)
    {
        auto e = make(ExprKind::Binary, a->offset);
        e->name = std::move(op);
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return finish(std::move(e));
    }

    ExprPtr expr(bool allowStar = false)
    {
        if (allowStar && peek().isOp("*")) {
            auto e = make(ExprKind::Star, advance().offset);
            return finish(std::move(e));
        }
        return orExpr();
    }
    ExprPtr orExpr()
    {
        auto e = andExpr();
        while (accept("OR"))
            e = binary("OR", std::move(e), andExpr());
        return e;
    }
    ExprPtr andExpr()
    {
        auto e = notExpr();
        while (accept("AND"))
            e = binary("AND", std::move(e), notExpr());
        return e;
    }
    ExprPtr notExpr()
    {
        if (peek().is("NOT") && !peekAt(1).is("EXISTS")) {
            int off = advance().offset;
            auto e = make(ExprKind::Unary, off);
            e->name = "NOT";
            e->args.push_back(notExpr());
            return finish(std::move(e));
        }
        return comparison();
    }
    ExprPtr comparison()
    {
        auto left = additive();
        for (;;) {
            const Token& t = peek();
            if (t.kind == TokenKind::Operator
                && (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == "<="
                    || t.text == ">" || t.text == ">=")) {
                std::string op = advance().text == "!=" ? "<>" : t.text;
                left = binary(op, std::move(left), additive());
                continue;
            }
            if (t.is("IS")) {
                advance();
                auto e = make(ExprKind::IsNull, left->offset);
                e->negated = accept("NOT");
                expectWord("NULL");
                e->args.push_back(std::move(left));
                left = finish(std::move(e));
                continue;
            }
            bool negated = false;
            if (t.is("NOT") && (peekAt(1).is("IN") || peekAt(1).is("LIKE") || peekAt(1).is("BETWEEN"))) {
                advance();
                negated = true;
            }
            if (accept("IN")) {
                expectPunct('(');
                ExprPtr e;
                if (peek().is("SELECT")) {
                    e = make(ExprKind::InSelect, left->offset);
                    e->select = selectChain();
                } else {
                    e = make(ExprKind::InList, left->offset);
                    do {
                        e->args.push_back(expr());
                    } while (acceptPunct(','));
                }
                expectPunct(')');
                e->negated = negated;
                e->args.insert(e->args.begin(), std::move(left));
                left = finish(std::move(e));
                continue;
            }
            if (accept("LIKE")) {
                auto e = make(ExprKind::Like, left->offset);
                e->negated = negated;
                e->args.push_back(std::move(left));
                e->args.push_back(additive());
                left = finish(std::move(e));
                continue;
            }
            if (accept("BETWEEN")) {
                auto e = make(ExprKind::Between, left->offset);
                e->negated = negated;
                e->args.push_back(std::move(left));
                e->args.push_back(additive());
                expectWord("AND");
                e->args.push_back(additive());
                left = finish(std::move(e));
                continue;
            }
            if (negated)
                fail("se astepta IN, LIKE sau BETWEEN");
            return left;
        }
    }
    ExprPtr additive()
    {
        auto e = multiplicative();
        for (;;) {
            if (peek().isOp("+") || peek().isOp("-") || peek().isOp("||")) {
                std::string op = advance().text;
                e = binary(op, std::move(e), multiplicative());
            } else {
                return e;
            }
        }
    }
    ExprPtr multiplicative()
    {
        auto e = unary();
        for (;;) {
            if (peek().isOp("*") || peek().isOp("/")) {
                std::string op = advance().text;
                e = binary(op, std::move(e), unary());
            } else {
                return e;
            }
        }
    }
    ExprPtr unary()
    {
        if (peek().isOp("-") || peek().isOp("+")) {
            const Token& t = advance();
            auto e = make(ExprKind::Unary, t.offset);
            e->name = t.text;
            e->args.push_back(unary());
            return finish(std::move(e));
        }
        return primary();
    }

    ExprPtr primary()
    {
        const Token& t = peek();
        switch (t.kind) {
        case TokenKind::Number: {
            auto e = make(ExprKind::Number, t.offset);
            e->text = advance().text;
            return finish(std::move(e));
        }
        case TokenKind::DoubleQuoted:
            if (peekAt(1).isPunct('.') && peekAt(2).kind == TokenKind::Identifier) {
                // "path".COLUMN: a column of a table named by its path.
                auto e = make(ExprKind::Column, t.offset);
                e->qualifier = advance().text;
                advance();
                e->name = advance().text;
                return finish(std::move(e));
            }
            [[fallthrough]];
        case TokenKind::SingleQuoted: {
            auto e = make(ExprKind::String, t.offset);
            e->text = advance().text;
            return finish(std::move(e));
        }
        case TokenKind::Punct:
            if (t.isPunct('(')) {
                int off = advance().offset;
                if (peek().is("SELECT")) {
                    auto e = make(ExprKind::Subquery, off);
                    e->select = selectChain();
                    expectPunct(')');
                    return finish(std::move(e));
                }
                auto inner = expr();
                expectPunct(')');
                return inner;
            }
            fail("se astepta o expresie");
        case TokenKind::Identifier:
            break;
        default:
            fail("se astepta o expresie");
        }
        if (t.is("NULL")) {
            auto e = make(ExprKind::Null, advance().offset);
            return finish(std::move(e));
        }
        if (t.is("CASE") && peekAt(1).is("WHEN"))
            return caseExpr();
        if (isReserved(t) && !t.is("EXISTS") && !(t.is("NOT") && peekAt(1).is("EXISTS")))
            fail("se astepta o expresie");
        if (t.is("EXISTS") || t.is("NOT")) {
            int off = t.offset;
            bool negated = false;
            if (accept("NOT"))
                negated = true;
            expectWord("EXISTS");
            expectPunct('(');
            auto e = make(ExprKind::Exists, off);
            e->negated = negated;
            e->select = selectChain();
            expectPunct(')');
            return finish(std::move(e));
        }
        const Token& name = advance();
        if (peek().isPunct('('))
            return call(name);
        auto e = make(ExprKind::Column, name.offset);
        e->name = name.text;
        if (acceptPunct('.')) {
            e->qualifier = name.text;
            if (acceptOp("*")) {
                e->kind = ExprKind::Star;
                e->name.clear();
            } else {
                e->name = expectIdentifier("numele unei coloane").text;
            }
        }
        return finish(std::move(e));
    }

    // CASE WHEN condition THEN value ... [ELSE value] END: the value of the
    // first true condition, else the ELSE value (NULL without one).
    ExprPtr caseExpr()
    {
        auto e = make(ExprKind::Case, advance().offset);
        while (accept("WHEN")) {
            e->args.push_back(expr());
            expectWord("THEN");
            e->args.push_back(expr());
        }
        if (accept("ELSE"))
            e->args.push_back(expr());
        expectWord("END");
        return finish(std::move(e));
    }

    ExprPtr call(const Token& name)
    {
        expectPunct('(');
        if (name.is("CAST")) {
            auto e = make(ExprKind::Cast, name.offset);
            e->args.push_back(expr());
            expectWord("AS");
            const Token& type = expectIdentifier("un tip");
            e->name = toUpperAscii(type.text);
            if (acceptPunct('(')) {
                e->width = expectInt();
                if (acceptPunct(','))
                    e->decimals = expectInt();
                expectPunct(')');
            }
            if (!(type.is("CHAR") || type.is("VARCHAR") || type.is("CHARACTER") || type.is("FLOAT")
                  || type.is("DOUBLE") || type.is("INTEGER") || type.is("INT") || type.is("SMALLINT")
                  || type.is("DECIMAL") || type.is("NUMERIC") || type.is("DATE")))
                failAt(type, "tip necunoscut in CAST");
            expectPunct(')');
            return finish(std::move(e));
        }
        if (name.is("EXTRACT")) {
            auto e = make(ExprKind::Extract, name.offset);
            const Token& field = expectIdentifier("YEAR, MONTH sau DAY");
            if (!(field.is("YEAR") || field.is("MONTH") || field.is("DAY")))
                failAt(field, "se astepta YEAR, MONTH sau DAY");
            e->name = toUpperAscii(field.text);
            expectWord("FROM");
            e->args.push_back(expr());
            expectPunct(')');
            return finish(std::move(e));
        }
        if (name.is("TRIM")) {
            auto e = make(ExprKind::Trim, name.offset);
            e->name = "BOTH";
            bool hasMode = false;
            if (peek().is("BOTH") || peek().is("LEADING") || peek().is("TRAILING")) {
                e->name = toUpperAscii(advance().text);
                hasMode = true;
            }
            if (hasMode && accept("FROM")) {
                e->args.push_back(expr());
            } else {
                auto first = expr();
                if (accept("FROM")) {
                    e->args.push_back(std::move(first));
                    e->args.push_back(expr());
                } else {
                    if (hasMode)
                        fail("se astepta FROM");
                    e->args.push_back(std::move(first));
                }
            }
            expectPunct(')');
            return finish(std::move(e));
        }
        if (name.is("SUBSTRING")) {
            auto e = make(ExprKind::Substring, name.offset);
            e->args.push_back(expr());
            if (accept("FROM")) {
                e->args.push_back(expr());
                if (accept("FOR"))
                    e->args.push_back(expr());
            } else {
                expectPunct(',');
                e->args.push_back(expr());
                if (acceptPunct(','))
                    e->args.push_back(expr());
            }
            expectPunct(')');
            return finish(std::move(e));
        }
        auto e = make(ExprKind::Function, name.offset);
        e->name = toUpperAscii(name.text);
        if (accept("DISTINCT"))
            e->distinct = true;
        if (!peek().isPunct(')')) {
            do {
                e->args.push_back(expr(e->name == "COUNT"));
            } while (acceptPunct(','));
        }
        expectPunct(')');
        return finish(std::move(e));
    }

    const SourceText& m_src;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

} // namespace

Statement parseStatement(const SourceText& source)
{
    Parser p(source);
    return p.statement();
}

} // namespace engine::sql
