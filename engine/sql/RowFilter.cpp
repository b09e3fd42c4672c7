#include "engine/sql/RowFilter.h"

#include "engine/sql/TextCollation.h"

#include "engine/Value.h"
#include "engine/sql/Lexer.h"

#include <cstdlib>
#include <vector>

namespace engine::sql {

struct RowFilter::Node {
    enum class Op { And, Or, Not, Compare } op = Op::Compare;
    std::unique_ptr<Node> a, b;
    int column = -1;
    std::string cmp;        // = <> < <= > >=
    std::string constant;   // as written, quotes removed
    bool quoted = false;
};

RowFilter::RowFilter(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
RowFilter::~RowFilter() = default;

namespace {

using Node = RowFilter::Node;

class FilterParser {
public:
    FilterParser(std::string_view text, const std::function<int(std::string_view)>& columnIndex)
        : m_src(std::string(text)), m_columnIndex(columnIndex)
    {
        m_tokens = tokenize(m_src);
    }

    std::unique_ptr<Node> parse()
    {
        auto n = orExpr();
        if (peek().kind != TokenKind::End)
            fail("text in plus");
        return n;
    }

private:
    const Token& peek() const { return m_tokens[m_pos]; }
    const Token& advance() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    [[noreturn]] void fail(const std::string& why)
    {
        const Token& t = peek();
        std::string shown = t.kind == TokenKind::End ? "sfarsitul filtrului" : "\"" + t.text + "\"";
        throw Error("Filtru invalid \"" + m_src.text() + "\": " + why + " la " + shown + " (pozitia "
                    + std::to_string(t.offset + 1) + ")");
    }
    std::unique_ptr<Node> orExpr()
    {
        auto n = andExpr();
        while (peek().is("OR")) {
            advance();
            auto p = std::make_unique<Node>();
            p->op = Node::Op::Or;
            p->a = std::move(n);
            p->b = andExpr();
            n = std::move(p);
        }
        return n;
    }
    std::unique_ptr<Node> andExpr()
    {
        auto n = notExpr();
        while (peek().is("AND")) {
            advance();
            auto p = std::make_unique<Node>();
            p->op = Node::Op::And;
            p->a = std::move(n);
            p->b = notExpr();
            n = std::move(p);
        }
        return n;
    }
    std::unique_ptr<Node> notExpr()
    {
        if (peek().is("NOT")) {
            advance();
            auto p = std::make_unique<Node>();
            p->op = Node::Op::Not;
            p->a = notExpr();
            return p;
        }
        if (peek().isPunct('(')) {
            advance();
            auto n = orExpr();
            if (!peek().isPunct(')'))
                fail("se astepta \")\"");
            advance();
            return n;
        }
        auto n = std::make_unique<Node>();
        if (peek().kind != TokenKind::Identifier)
            fail("se astepta numele unei coloane");
        const Token& col = advance();
        n->column = m_columnIndex(col.text);
        if (n->column < 0) {
            --m_pos;
            fail("coloana necunoscuta");
        }
        const Token& op = peek();
        if (op.kind != TokenKind::Operator
            || !(op.text == "=" || op.text == "<>" || op.text == "!=" || op.text == "<" || op.text == "<="
                 || op.text == ">" || op.text == ">="))
            fail("se astepta un operator de comparatie");
        n->cmp = advance().text == "!=" ? "<>" : op.text;
        bool negative = false;
        if (peek().isOp("-")) {
            advance();
            negative = true;
        }
        const Token& c = peek();
        if (c.kind == TokenKind::Number) {
            n->constant = (negative ? "-" : "") + advance().text;
        } else if (!negative && (c.kind == TokenKind::SingleQuoted || c.kind == TokenKind::DoubleQuoted)) {
            n->constant = advance().text;
            n->quoted = true;
        } else {
            fail("se astepta o constanta");
        }
        return n;
    }

    SourceText m_src;
    const std::function<int(std::string_view)>& m_columnIndex;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

std::string rtrim(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return std::string(s.substr(0, n));
}

template <typename T>
bool compare(const T& a, const T& b, const std::string& op)
{
    if (op == "=") return a == b;
    if (op == "<>") return a != b;
    if (op == "<") return a < b;
    if (op == "<=") return a <= b;
    if (op == ">") return a > b;
    return a >= b;
}

bool evalCompare(const Node& n, const FilterValue& v)
{
    const bool blankConstant = n.constant.find_first_not_of(' ') == std::string::npos;
    if (v.kind == FilterValue::Kind::Null) {
        // A blank field equals the empty constant and nothing else.
        if (blankConstant && n.quoted)
            return n.cmp == "=" || n.cmp == "<=" || n.cmp == ">=";
        return false;
    }
    if (v.kind == FilterValue::Kind::Number || v.kind == FilterValue::Kind::Date) {
        double c = 0;
        if (v.kind == FilterValue::Kind::Date && n.quoted) {
            Date d = Date::fromText(n.constant);
            if (!d.isValid())
                return false;
            c = static_cast<double>(d.dayNumber());
        } else {
            char* end = nullptr;
            c = std::strtod(n.constant.c_str(), &end);
            if (blankConstant || !end || *end != '\0')
                return n.cmp == "<>";
        }
        return compare(v.number, c, n.cmp);
    }
    const std::string value = rtrim(v.text);
    if (n.quoted && !n.constant.empty() && n.constant.back() == '*' && (n.cmp == "=" || n.cmp == "<>")) {
        const std::string prefix = n.constant.substr(0, n.constant.size() - 1);
        const bool match = value.compare(0, prefix.size(), prefix) == 0;
        return n.cmp == "=" ? match : !match;
    }
    // Text in the same order as ORDER BY gives it (equal only when equal byte for byte).
    return compare(compareText(value, rtrim(n.constant)), 0, n.cmp);
}

bool eval(const Node& n, const std::function<FilterValue(int)>& valueOf)
{
    switch (n.op) {
    case Node::Op::And: return eval(*n.a, valueOf) && eval(*n.b, valueOf);
    case Node::Op::Or: return eval(*n.a, valueOf) || eval(*n.b, valueOf);
    case Node::Op::Not: return !eval(*n.a, valueOf);
    case Node::Op::Compare: return evalCompare(n, valueOf(n.column));
    }
    return false;
}

} // namespace

std::shared_ptr<const RowFilter> RowFilter::parse(std::string_view expression,
                                                  const std::function<int(std::string_view)>& columnIndex)
{
    FilterParser p(expression, columnIndex);
    return std::make_shared<RowFilter>(p.parse());
}

bool RowFilter::matches(const std::function<FilterValue(int column)>& valueOf) const
{
    return eval(*m_root, valueOf);
}

} // namespace engine::sql
