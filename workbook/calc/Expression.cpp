#include "workbook/calc/Expression.h"

#include <QStringList>

namespace workbook::calc {

namespace {
std::shared_ptr<Expression> make(Expression::Kind kind)
{
    auto e = std::make_shared<Expression>();
    e->kind = kind;
    return e;
}
} // namespace

ExpressionPtr Expression::constantOf(const CellValue& v)
{
    auto e = make(Kind::Constant);
    e->constant = v;
    return e;
}

ExpressionPtr Expression::reference(int sheet, int row, int col)
{
    auto e = make(Kind::Reference);
    e->sheet = sheet;
    e->row1 = e->row2 = row;
    e->col1 = e->col2 = col;
    return e;
}

ExpressionPtr Expression::area(int sheet, int row1, int col1, int row2, int col2)
{
    auto e = make(Kind::Area);
    e->sheet = sheet;
    e->row1 = std::min(row1, row2);
    e->row2 = std::max(row1, row2);
    e->col1 = std::min(col1, col2);
    e->col2 = std::max(col1, col2);
    return e;
}

ExpressionPtr Expression::missing() { return make(Kind::Missing); }

ExpressionPtr Expression::unary(const QString& op, ExpressionPtr operand)
{
    auto e = make(Kind::Unary);
    e->name = op;
    e->args.push_back(std::move(operand));
    return e;
}

ExpressionPtr Expression::binary(const QString& op, ExpressionPtr left, ExpressionPtr right)
{
    auto e = make(Kind::Binary);
    e->name = op;
    e->args.push_back(std::move(left));
    e->args.push_back(std::move(right));
    return e;
}

ExpressionPtr Expression::function(const QString& name, std::vector<ExpressionPtr> args)
{
    auto e = make(Kind::Function);
    e->name = name;
    e->args = std::move(args);
    return e;
}

bool isKnownFunction(const QString& name)
{
    static const QStringList known = {
        QStringLiteral("SUM"), QStringLiteral("COUNT"), QStringLiteral("COUNTA"), QStringLiteral("MIN"),
        QStringLiteral("MAX"), QStringLiteral("AVERAGE"), QStringLiteral("IF"), QStringLiteral("AND"),
        QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("ROUND"), QStringLiteral("ROUNDUP"),
        QStringLiteral("ROUNDDOWN"), QStringLiteral("INT"), QStringLiteral("ABS"), QStringLiteral("SUMIF"),
        QStringLiteral("COUNTIF"), QStringLiteral("TRUE"), QStringLiteral("FALSE"), QStringLiteral("ISNUMBER")};
    return known.contains(name);
}

CellValue errorValue(const char* name)
{
    CellValue v;
    v.type = CellValue::Type::Error;
    v.text = QString::fromLatin1(name);
    return v;
}

} // namespace workbook::calc
