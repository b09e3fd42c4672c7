#include "workbook/biff8/Formula.h"

#include "workbook/Bytes.h"

namespace workbook::biff8::formula {

namespace {

qsizetype tokenSize(ByteView v, qsizetype at)
{
    uint8_t t = v.u8(at);
    if (t < 0x20) {
        switch (t) {
        case 0x01: case 0x02: return 5;
        case 0x17: {
            uint8_t cch = v.u8(at + 1);
            uint8_t flags = v.u8(at + 2);
            return 3 + qsizetype(cch) * ((flags & 1) ? 2 : 1);
        }
        case 0x19: {
            uint8_t flags = v.u8(at + 1);
            if (flags & 0x04)
                return 4 + 2 * (qsizetype(v.u16(at + 2)) + 1);
            return 4;
        }
        case 0x18:
            // Natural-language label tokens (ptgElf...) and ptgSxName: 6 bytes.
            switch (v.u8(at + 1)) {
            case 0x01: case 0x02: case 0x03: case 0x06: case 0x07: case 0x0A: case 0x0B: case 0x0D:
            case 0x0F: case 0x10: case 0x1D:
                return 6;
            default:
                throw FormatError("formula contine un element necunoscut (0x18 0x"
                                  + QByteArray::number(v.u8(at + 1), 16).toStdString() + ")");
            }
        case 0x1C: case 0x1D: return 2;
        case 0x1E: return 3;
        case 0x1F: return 9;
        default:
            if (t >= 0x03 && t <= 0x16)
                return 1;
            throw FormatError("formula contine un element necunoscut (0x"
                              + QByteArray::number(t, 16).toStdString() + ")");
        }
    }
    switch ((t & 0x1F) | 0x20) {
    case 0x20: return 8;
    case 0x21: return 3;
    case 0x22: return 4;
    case 0x23: return 5;
    case 0x24: return 5;
    case 0x25: return 9;
    case 0x26: case 0x27: case 0x28: return 7;
    case 0x29: return 3;
    case 0x2A: return 5;
    case 0x2B: return 9;
    case 0x2C: return 5;
    case 0x2D: return 9;
    case 0x2E: case 0x2F: return 3;
    case 0x39: return 7;
    case 0x3A: case 0x3C: return 7;
    case 0x3B: case 0x3D: return 11;
    default:
        throw FormatError("formula contine un element necunoscut (0x"
                          + QByteArray::number(t, 16).toStdString() + ")");
    }
}

uint8_t base(uint8_t t) { return t < 0x20 ? t : uint8_t((t & 0x1F) | 0x20); }

void checkRow(int r)
{
    if (r > MaxRow)
        throw WorkbookError("Prea multe randuri: o referinta ar depasi randul 65536 al foii .xls");
}

// Walks the extra data (rgcb) in token order: array constants of ptgArray and
// range lists of ptgMemArea. Calls onRange with the offset of each 8-byte range.
void forEachExtraRange(const QByteArray& rgce, const QByteArray& extra,
                       const std::function<void(qsizetype at)>& onRange)
{
    ByteView x(extra);
    qsizetype pos = 0;
    forEachToken(rgce, [&](uint8_t t, qsizetype) {
        uint8_t b = base(t);
        if (b == 0x20) {
            qsizetype cols = qsizetype(x.u8(pos)) + 1;
            qsizetype rows = qsizetype(x.u16(pos + 1)) + 1;
            pos += 3;
            for (qsizetype i = 0; i < cols * rows; ++i) {
                uint8_t kind = x.u8(pos);
                if (kind == 0x02) {
                    qsizetype cch = x.u16(pos + 1);
                    uint8_t fl = x.u8(pos + 3);
                    pos += 4 + cch * ((fl & 1) ? 2 : 1);
                    x.need(0, pos);
                } else {
                    pos += 9;
                    x.need(0, pos);
                }
            }
        } else if (b == 0x26) {
            qsizetype n = x.u16(pos);
            pos += 2;
            for (qsizetype i = 0; i < n; ++i) {
                x.need(pos, 8);
                onRange(pos);
                pos += 8;
            }
        }
    });
}

} // namespace

void forEachToken(const QByteArray& rgce, const std::function<void(uint8_t, qsizetype)>& visit)
{
    ByteView v(rgce);
    qsizetype at = 0;
    while (at < v.size()) {
        qsizetype n = tokenSize(v, at);
        v.need(at, n);
        visit(v.u8(at), at);
        at += n;
    }
}

void shiftRows(QByteArray& rgce, QByteArray& extra, const RowShift& s, const Scope& scope)
{
    if (s.count == 0)
        return;
    ByteView v(rgce);
    std::vector<std::pair<qsizetype, uint16_t>> edits;
    auto moveRef = [&](qsizetype rowAt) {
        int r = s.moveRow(v.u16(rowAt));
        checkRow(r);
        edits.emplace_back(rowAt, uint16_t(r));
    };
    auto moveArea = [&](qsizetype r1At, qsizetype r2At) {
        int r1 = v.u16(r1At), r2 = v.u16(r2At);
        if (r1 == 0 && r2 == MaxRow)
            return;   // whole columns stay
        s.moveArea(r1, r2);
        checkRow(r2);
        edits.emplace_back(r1At, uint16_t(r1));
        edits.emplace_back(r2At, uint16_t(r2));
    };
    bool anyMem = false;
    forEachToken(rgce, [&](uint8_t t, qsizetype at) {
        switch (base(t)) {
        case 0x01: if (scope.localRefs) moveRef(at + 1); break;
        case 0x24: if (scope.localRefs) moveRef(at + 1); break;
        case 0x25: if (scope.localRefs) moveArea(at + 1, at + 3); break;
        case 0x26: anyMem = true; break;
        case 0x3A: if (scope.covers3d && scope.covers3d(v.u16(at + 1))) moveRef(at + 3); break;
        case 0x3B: if (scope.covers3d && scope.covers3d(v.u16(at + 1))) moveArea(at + 3, at + 5); break;
        default: break;
        }
    });
    for (auto [at, val] : edits)
        setU16(rgce, at, val);
    if (anyMem && scope.localRefs) {
        ByteView xv(extra);
        std::vector<std::pair<qsizetype, uint16_t>> xe;
        forEachExtraRange(rgce, extra, [&](qsizetype at) {
            int r1 = xv.u16(at), r2 = xv.u16(at + 2);
            s.moveArea(r1, r2);
            checkRow(r2);
            xe.emplace_back(at, uint16_t(r1));
            xe.emplace_back(at + 2, uint16_t(r2));
        });
        for (auto [at, val] : xe)
            setU16(extra, at, val);
    }
}

void offsetRows(QByteArray& rgce, int d)
{
    if (d == 0)
        return;
    ByteView v(rgce);
    std::vector<std::pair<qsizetype, uint16_t>> edits;
    auto rel = [&](qsizetype rowAt, qsizetype colAt) {
        if (v.u16(colAt) & 0x8000) {
            int r = v.u16(rowAt) + d;
            checkRow(r);
            if (r < 0)
                throw WorkbookError("Referinta in afara foii la copierea unui rand");
            edits.emplace_back(rowAt, uint16_t(r));
        }
    };
    forEachToken(rgce, [&](uint8_t t, qsizetype at) {
        switch (base(t)) {
        case 0x24: rel(at + 1, at + 3); break;
        case 0x25: rel(at + 1, at + 5); rel(at + 3, at + 7); break;
        case 0x3A: rel(at + 3, at + 5); break;
        case 0x3B: rel(at + 3, at + 7); rel(at + 5, at + 9); break;
        default: break;
        }
    });
    for (auto [at, val] : edits)
        setU16(rgce, at, val);
}

QByteArray unshare(const QByteArray& rgce, int row, int col)
{
    QByteArray out = rgce;
    ByteView v(rgce);
    auto fix = [&](qsizetype rowAt, qsizetype colAt) {
        uint16_t c = v.u16(colAt);
        int r = v.u16(rowAt);
        if (c & 0x8000)
            r = (row + int(int16_t(uint16_t(r)))) & 0xFFFF;
        int cc = c & 0x3FFF;
        if (c & 0x4000)
            cc = (col + int(int8_t(uint8_t(c & 0xFF)))) & 0xFF;
        setU16(out, rowAt, uint16_t(r));
        setU16(out, colAt, uint16_t((c & 0xC000) | cc));
    };
    forEachToken(rgce, [&](uint8_t t, qsizetype at) {
        uint8_t b = base(t);
        if (b == 0x2C) {
            out[at] = char(t - 0x08);   // ptgRefN -> ptgRef, same class
            fix(at + 1, at + 3);
        } else if (b == 0x2D) {
            out[at] = char(t - 0x08);   // ptgAreaN -> ptgArea
            fix(at + 1, at + 5);
            fix(at + 3, at + 7);
        }
    });
    return out;
}

void killDeadRefs(QByteArray& rgce, const std::function<bool(uint16_t)>& dead)
{
    ByteView v(rgce);
    std::vector<qsizetype> at3d;
    forEachToken(rgce, [&](uint8_t t, qsizetype at) {
        uint8_t b = base(t);
        if ((b == 0x3A || b == 0x3B) && dead(v.u16(at + 1)))
            at3d.push_back(at);
    });
    for (qsizetype at : at3d)
        rgce[at] = char(uint8_t(rgce[at]) + 2);   // ptgRef3d -> ptgRefErr3d, ptgArea3d -> ptgAreaErr3d
}

void remapNames(QByteArray& rgce, const std::function<uint16_t(uint16_t)>& map)
{
    ByteView v(rgce);
    QByteArray out;
    qsizetype last = 0;
    bool changed = false;
    forEachToken(rgce, [&](uint8_t t, qsizetype at) {
        if (base(t) != 0x23)
            return;
        uint16_t to = map(v.u16(at + 1));
        out.append(rgce.constData() + last, at - last);
        if (to == 0) {
            // ptgErr #REF! (0x17) in place of the 5-byte name reference.
            putU8(out, 0x1C);
            putU8(out, 0x17);
        } else {
            out.append(rgce.constData() + at, 5);
            setU16(out, out.size() - 4, to);
        }
        last = at + 5;
        changed = true;
    });
    if (!changed)
        return;
    out.append(rgce.constData() + last, rgce.size() - last);
    rgce = out;
}

} // namespace workbook::biff8::formula
