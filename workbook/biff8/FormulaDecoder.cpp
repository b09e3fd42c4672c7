#include "workbook/biff8/FormulaDecoder.h"

#include "workbook/Bytes.h"
#include "workbook/biff8/Formula.h"
#include "workbook/biff8/RecordReader.h"

#include <map>

namespace workbook::biff8 {

namespace {

using calc::Expression;
using calc::ExpressionPtr;

struct Failed {};

struct FunctionInfo { const char* name; int fixedArgs; };

// The worksheet functions by their BIFF index, with their argument count
// when called through ptgFunc (fixed arguments).
const std::map<uint16_t, FunctionInfo>& functions()
{
    static const std::map<uint16_t, FunctionInfo> table = {
        {0, {"COUNT", -1}}, {1, {"IF", -1}}, {4, {"SUM", -1}}, {5, {"AVERAGE", -1}}, {6, {"MIN", -1}},
        {7, {"MAX", -1}}, {24, {"ABS", 1}}, {25, {"INT", 1}}, {27, {"ROUND", 2}}, {34, {"TRUE", 0}},
        {35, {"FALSE", 0}}, {36, {"AND", -1}}, {37, {"OR", -1}}, {38, {"NOT", 1}}, {128, {"ISNUMBER", 1}},
        {169, {"COUNTA", -1}},
        {212, {"ROUNDUP", 2}}, {213, {"ROUNDDOWN", 2}}, {345, {"SUMIF", -1}}, {346, {"COUNTIF", 2}},
    };
    return table;
}

const char* binaryOperator(uint8_t t)
{
    static const char* const ops[] = {"+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>"};
    return t >= 0x03 && t <= 0x0E ? ops[t - 0x03] : nullptr;
}

CellValue errorConstant(uint8_t code)
{
    switch (code) {
    case 0x00: return calc::errorValue("#NULL!");
    case 0x07: return calc::errorValue("#DIV/0!");
    case 0x0F: return calc::errorValue("#VALUE!");
    case 0x17: return calc::errorValue("#REF!");
    case 0x1D: return calc::errorValue("#NAME?");
    case 0x24: return calc::errorValue("#NUM!");
    default: return calc::errorValue("#N/A");
    }
}

class Decoder {
public:
    Decoder(const QByteArray& rgce, const DecodeContext& ctx) : m_rgce(rgce), m_v(rgce), m_ctx(ctx) {}

    ExpressionPtr run()
    {
        formula::forEachToken(m_rgce, [this](uint8_t t, qsizetype at) { token(t, at); });
        if (m_stack.size() != 1) throw Failed();
        return m_stack.back();
    }

private:
    ExpressionPtr pop()
    {
        if (m_stack.empty()) throw Failed();
        ExpressionPtr e = m_stack.back();
        m_stack.pop_back();
        return e;
    }
    void push(ExpressionPtr e) { m_stack.push_back(std::move(e)); }

    void call(uint16_t index, int argc)
    {
        auto it = functions().find(index);
        if (it == functions().end() || argc < 0 || argc > int(m_stack.size())) throw Failed();
        std::vector<ExpressionPtr> args(m_stack.end() - argc, m_stack.end());
        m_stack.resize(m_stack.size() - argc);
        push(Expression::function(QString::fromLatin1(it->second.name), std::move(args)));
    }

    int sheetOf(uint16_t ixti) const
    {
        const int s = m_ctx.sheetOfXti ? m_ctx.sheetOfXti(ixti) : -1;
        if (s < 0) throw Failed();
        return s;
    }

    void token(uint8_t t, qsizetype at)
    {
        if (const char* op = binaryOperator(t)) {
            ExpressionPtr right = pop();
            ExpressionPtr left = pop();
            push(Expression::binary(QString::fromLatin1(op), left, right));
            return;
        }
        const uint8_t base = t < 0x20 ? t : uint8_t((t & 0x1F) | 0x20);
        switch (base) {
        case 0x12: break;                                                   // unary plus
        case 0x13: push(Expression::unary(QStringLiteral("-"), pop())); break;
        case 0x14: push(Expression::unary(QStringLiteral("%"), pop())); break;
        case 0x15: break;                                                   // parentheses
        case 0x16: push(Expression::missing()); break;
        case 0x17: {
            ContinuedReader r({m_v.sub(at + 1, m_v.size() - at - 1)});
            push(Expression::constantOf(CellValue::fromText(r.unicodeString(true))));
            break;
        }
        case 0x19: {
            const uint8_t flags = m_v.u8(at + 1);
            if (flags & 0x10) call(4, 1);                                   // SUM of one argument
            break;                                                          // IF/CHOOSE jumps, spaces, volatile
        }
        case 0x1C: push(Expression::constantOf(errorConstant(m_v.u8(at + 1)))); break;
        case 0x1D: {
            CellValue b;
            b.type = CellValue::Type::Bool;
            b.number = m_v.u8(at + 1) ? 1 : 0;
            push(Expression::constantOf(b));
            break;
        }
        case 0x1E: push(Expression::constantOf(CellValue::fromNumber(m_v.u16(at + 1)))); break;
        case 0x1F: push(Expression::constantOf(CellValue::fromNumber(m_v.f64(at + 1)))); break;
        case 0x21: {
            auto it = functions().find(m_v.u16(at + 1));
            if (it == functions().end() || it->second.fixedArgs < 0) throw Failed();
            call(it->first, it->second.fixedArgs);
            break;
        }
        case 0x22: call(m_v.u16(at + 2) & 0x7FFF, m_v.u8(at + 1) & 0x7F); break;
        case 0x23: {
            ExpressionPtr e = m_ctx.name ? m_ctx.name(m_v.u16(at + 1)) : nullptr;
            if (!e) throw Failed();
            push(e);
            break;
        }
        case 0x24: push(Expression::reference(m_ctx.sheet, m_v.u16(at + 1), m_v.u16(at + 3) & 0x3FFF)); break;
        case 0x25:
            push(Expression::area(m_ctx.sheet, m_v.u16(at + 1), m_v.u16(at + 5) & 0x3FFF, m_v.u16(at + 3),
                                  m_v.u16(at + 7) & 0x3FFF));
            break;
        case 0x26: case 0x27: case 0x28: case 0x29: break;                 // the subexpression follows
        case 0x2A: case 0x2B: case 0x3C: case 0x3D:
            push(Expression::constantOf(calc::errorValue("#REF!")));
            break;
        case 0x3A:
            push(Expression::reference(sheetOf(m_v.u16(at + 1)), m_v.u16(at + 3), m_v.u16(at + 5) & 0x3FFF));
            break;
        case 0x3B:
            push(Expression::area(sheetOf(m_v.u16(at + 1)), m_v.u16(at + 3), m_v.u16(at + 7) & 0x3FFF,
                                  m_v.u16(at + 5), m_v.u16(at + 9) & 0x3FFF));
            break;
        default:
            throw Failed();   // arrays, shared or table parts, external names, reference operators
        }
    }

    const QByteArray& m_rgce;
    ByteView m_v;
    const DecodeContext& m_ctx;
    std::vector<ExpressionPtr> m_stack;
};

} // namespace

calc::ExpressionPtr decodeFormula(const QByteArray& rgce, const DecodeContext& context)
{
    try {
        return Decoder(rgce, context).run();
    } catch (const Failed&) {
        return nullptr;
    } catch (const FormatError&) {
        return nullptr;
    }
}

} // namespace workbook::biff8
