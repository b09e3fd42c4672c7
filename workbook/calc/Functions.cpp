#include "workbook/calc/Functions.h"

#include "workbook/calc/Criterion.h"

#include <cmath>

namespace workbook::calc {

namespace {

using Type = CellValue::Type;
using Kind = Expression::Kind;

bool isAreaArgument(const Expression& e) { return e.kind == Kind::Reference || e.kind == Kind::Area; }

CellValue boolValue(bool b)
{
    CellValue v;
    v.type = Type::Bool;
    v.number = b ? 1 : 0;
    return v;
}

// Calls onNumber for the numbers of the arguments the way SUM reads them:
// numbers of areas (text, logical values and blanks there are skipped), and
// direct arguments converted. Returns the first error met, or Empty.
CellValue forEachNumber(Evaluator& ev, const Expression& call, const std::function<void(double)>& onNumber)
{
    CellValue error;
    for (const ExpressionPtr& a : call.args) {
        if (isAreaArgument(*a)) {
            ev.forEachValue(ev.operand(*a), [&](const CellValue& v) {
                if (error.type != Type::Empty) return;
                if (v.type == Type::Error) error = v;
                else if (v.type == Type::Number) onNumber(v.number);
            });
        } else {
            const CellValue v = ev.scalar(ev.operand(*a));
            CellValue e;
            auto n = toNumber(v, e);
            if (!n && error.type == Type::Empty) error = e;
            else if (n) onNumber(*n);
        }
        if (error.type != Type::Empty)
            return error;
    }
    return error;
}

CellValue sum(Evaluator& ev, const Expression& call)
{
    // Compensated summation keeps long columns of amounts exact to the cent.
    double total = 0, compensation = 0;
    CellValue error = forEachNumber(ev, call, [&](double d) {
        const double t = total + d;
        compensation += std::fabs(total) >= std::fabs(d) ? (total - t) + d : (d - t) + total;
        total = t;
    });
    return error.type == Type::Error ? error : numberResult(total + compensation);
}

CellValue extreme(Evaluator& ev, const Expression& call, bool max)
{
    std::optional<double> best;
    CellValue error = forEachNumber(ev, call, [&](double d) {
        if (!best || (max ? d > *best : d < *best)) best = d;
    });
    return error.type == Type::Error ? error : CellValue::fromNumber(best.value_or(0));
}

CellValue average(Evaluator& ev, const Expression& call)
{
    double total = 0;
    int count = 0;
    CellValue error = forEachNumber(ev, call, [&](double d) { total += d; ++count; });
    if (error.type == Type::Error) return error;
    return count == 0 ? errorValue("#DIV/0!") : numberResult(total / count);
}

CellValue count(Evaluator& ev, const Expression& call, bool anyValue)
{
    double n = 0;
    for (const ExpressionPtr& a : call.args) {
        if (isAreaArgument(*a)) {
            ev.forEachValue(ev.operand(*a), [&](const CellValue& v) {
                if (anyValue ? v.type != Type::Empty : v.type == Type::Number) ++n;
            });
        } else if (a->kind != Kind::Missing || anyValue) {
            const CellValue v = ev.scalar(ev.operand(*a));
            CellValue e;
            if (anyValue || toNumber(v, e)) ++n;
        }
    }
    return CellValue::fromNumber(n);
}

CellValue logical(Evaluator& ev, const Expression& call, bool all)
{
    std::optional<bool> result;
    CellValue error;
    auto take = [&](bool b) { result = result ? (all ? (*result && b) : (*result || b)) : b; };
    for (const ExpressionPtr& a : call.args) {
        if (isAreaArgument(*a)) {
            ev.forEachValue(ev.operand(*a), [&](const CellValue& v) {
                if (v.type == Type::Error && error.type == Type::Empty) error = v;
                else if (v.type == Type::Number || v.type == Type::Bool) take(v.number != 0);
            });
        } else {
            auto b = toBool(ev.scalar(ev.operand(*a)), error);
            if (b) take(*b);
        }
        if (error.type == Type::Error) return error;
    }
    return result ? boolValue(*result) : errorValue("#VALUE!");
}

CellValue ifFunction(Evaluator& ev, const Expression& call)
{
    if (call.args.size() < 2 || call.args.size() > 3) return errorValue("#VALUE!");
    CellValue error;
    auto cond = toBool(ev.scalar(ev.operand(*call.args[0])), error);
    if (!cond) return error;
    if (!*cond && call.args.size() == 2) return boolValue(false);
    const Expression& chosen = *call.args[*cond ? 1 : 2];
    if (chosen.kind == Kind::Missing) return CellValue::fromNumber(0);
    return ev.scalar(ev.operand(chosen));
}

// Rounding to `digits` decimals; the scaled value is first cut to 15
// significant digits so that 2.675 (stored as 2.67499999...) rounds up.
CellValue rounding(Evaluator& ev, const Expression& call, int mode)
{
    const size_t wanted = mode == 3 ? 1 : 2;
    if (call.args.size() != wanted) return errorValue("#VALUE!");
    CellValue error;
    auto x = toNumber(ev.scalar(ev.operand(*call.args[0])), error);
    if (!x) return error;
    if (mode == 3) return CellValue::fromNumber(std::floor(*x));
    auto d = toNumber(ev.scalar(ev.operand(*call.args[1])), error);
    if (!d) return error;
    const int digits = int(std::trunc(*d));
    const double p = std::pow(10.0, std::abs(digits));
    double scaled = digits >= 0 ? *x * p : *x / p;
    scaled = QString::number(scaled, 'g', 15).toDouble();
    double r = mode == 0 ? std::round(scaled)
        : mode == 1 ? std::copysign(std::ceil(std::fabs(scaled)), scaled) : std::trunc(scaled);
    return numberResult(digits >= 0 ? r / p : r * p);
}

CellValue conditional(Evaluator& ev, const Expression& call, bool summing)
{
    const size_t n = call.args.size();
    if (n < 2 || n > (summing ? 3u : 2u) || !isAreaArgument(*call.args[0])) return errorValue("#VALUE!");
    const Operand range = ev.operand(*call.args[0]);
    const Criterion criterion(ev.scalar(ev.operand(*call.args[1])));
    Operand values = range;
    if (n == 3) {
        if (!isAreaArgument(*call.args[2])) return errorValue("#VALUE!");
        const Operand s = ev.operand(*call.args[2]);
        values.sheet = s.sheet;
        values.row1 = s.row1;
        values.col1 = s.col1;
    }
    double total = 0;
    CellValue error;
    auto take = [&](int r, int c, const CellValue& cell) {
        if (error.type == Type::Error || !criterion.matches(cell)) return;
        if (!summing) { total += 1; return; }
        const CellValue v = ev.valueAt(values.sheet, values.row1 + (r - range.row1), values.col1 + (c - range.col1));
        if (v.type == Type::Error) error = v;
        else if (v.type == Type::Number) total += v.number;
    };
    if (criterion.matches(CellValue())) {
        // A condition that finds blanks reads every cell of the range.
        for (int r = range.row1; r <= range.row2; ++r)
            for (int c = range.col1; c <= range.col2; ++c)
                take(r, c, ev.valueAt(range.sheet, r, c));
    } else {
        ev.forEachStored(range, take);
    }
    if (error.type == Type::Error) return error;
    return numberResult(total);
}

CellValue single(Evaluator& ev, const Expression& call, double (*f)(double))
{
    if (call.args.size() != 1) return errorValue("#VALUE!");
    CellValue error;
    auto x = toNumber(ev.scalar(ev.operand(*call.args[0])), error);
    return x ? numberResult(f(*x)) : error;
}

} // namespace

CellValue callFunction(Evaluator& ev, const Expression& call)
{
    const QString& f = call.name;
    if (f == QLatin1String("SUM")) return sum(ev, call);
    if (f == QLatin1String("COUNT")) return count(ev, call, false);
    if (f == QLatin1String("COUNTA")) return count(ev, call, true);
    if (f == QLatin1String("MIN")) return extreme(ev, call, false);
    if (f == QLatin1String("MAX")) return extreme(ev, call, true);
    if (f == QLatin1String("AVERAGE")) return average(ev, call);
    if (f == QLatin1String("IF")) return ifFunction(ev, call);
    if (f == QLatin1String("AND")) return logical(ev, call, true);
    if (f == QLatin1String("OR")) return logical(ev, call, false);
    if (f == QLatin1String("NOT")) {
        if (call.args.size() != 1) return errorValue("#VALUE!");
        CellValue error;
        auto b = toBool(ev.scalar(ev.operand(*call.args[0])), error);
        return b ? boolValue(!*b) : error;
    }
    if (f == QLatin1String("ROUND")) return rounding(ev, call, 0);
    if (f == QLatin1String("ROUNDUP")) return rounding(ev, call, 1);
    if (f == QLatin1String("ROUNDDOWN")) return rounding(ev, call, 2);
    if (f == QLatin1String("INT")) return rounding(ev, call, 3);
    if (f == QLatin1String("ABS")) return single(ev, call, [](double x) { return std::fabs(x); });
    if (f == QLatin1String("SUMIF")) return conditional(ev, call, true);
    if (f == QLatin1String("COUNTIF")) return conditional(ev, call, false);
    if (f == QLatin1String("ISNUMBER")) {
        // An error or a number written as text is not a number; no error is passed on.
        if (call.args.size() != 1) return errorValue("#VALUE!");
        return boolValue(ev.scalar(ev.operand(*call.args[0])).type == CellValue::Type::Number);
    }
    if (f == QLatin1String("TRUE")) return boolValue(true);
    if (f == QLatin1String("FALSE")) return boolValue(false);
    throw NotUnderstood();
}

} // namespace workbook::calc
