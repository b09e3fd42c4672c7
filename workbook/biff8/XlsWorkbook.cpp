#include "workbook/biff8/XlsWorkbook.h"

#include "workbook/biff8/Recalculation.h"
#include "workbook/biff8/SharedStrings.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace workbook::biff8 {

namespace {

// The largest .xls read: the whole file is held in memory, and a BIFF8
// workbook (65,536 rows a sheet) of the program's use is a few MB.
constexpr qint64 kLargestFile = qint64(256) << 20;

QByteArray readWholeFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi deschis: "
                            + f.errorString().toStdString());
    if (f.size() > kLargestFile)
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" are " + std::to_string(f.size() >> 20)
                            + " MB, peste limita de " + std::to_string(kLargestFile >> 20) + " MB a unui registru .xls");
    return f.readAll();
}

const char* const ErrorNames[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
QString errorName(uint8_t code)
{
    switch (code) {
    case 0x00: return ErrorNames[0];
    case 0x07: return ErrorNames[1];
    case 0x0F: return ErrorNames[2];
    case 0x17: return ErrorNames[3];
    case 0x1D: return ErrorNames[4];
    case 0x24: return ErrorNames[5];
    case 0x2A: return ErrorNames[6];
    default: return QStringLiteral("#N/A");
    }
}

} // namespace

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi scris: "
                            + f.errorString().toStdString());
}

XlsWorkbook::XlsWorkbook(const QString& path) : m_path(path)
{
    load(readWholeFile(path));
}

XlsWorkbook::XlsWorkbook(const QString& path, const QByteArray& bytes) : m_path(path)
{
    load(bytes);
}

void XlsWorkbook::fail(const std::exception& e) const
{
    throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\" nu este un registru Excel valid: " + e.what());
}

void XlsWorkbook::load(const QByteArray& bytes)
{
    try {
        m_cf = CompoundFile::parse(bytes);
        m_stream = m_cf.findTopLevel(QStringLiteral("Workbook"));
        if (m_stream < 0) {
            if (m_cf.findTopLevel(QStringLiteral("EncryptedPackage")) >= 0)
                throw FormatError("registrul este criptat (protejat cu parola)");
            if (m_cf.findTopLevel(QStringLiteral("Book")) >= 0)
                throw FormatError("format Excel 5.0/95 (BIFF5), salvati-l ca Excel 97-2003");
            throw FormatError("fluxul Workbook lipseste");
        }
        std::vector<Record> records = readRecords(m_cf.entries()[m_stream].data);
        if (records.empty() || records[0].type != rt::Bof)
            throw FormatError("inregistrarea BOF lipseste");
        uint16_t version = ByteView(records[0].data).u16(0);
        if (version != 0x0600)
            throw FormatError("versiune BIFF nesuportata (0x" + QByteArray::number(version, 16).toStdString()
                              + "), salvati-l ca Excel 97-2003");
        size_t i = 0;
        while (i < records.size() && records[i].type != rt::Eof) ++i;
        if (i == records.size())
            throw FormatError("sfarsitul foii globale lipseste (fisier trunchiat)");
        m_globals.parse(std::vector<Record>(records.begin(), records.begin() + i + 1));
        // Sheet substreams, found by the offsets of BOUNDSHEET.
        std::map<qsizetype, size_t> byOffset;
        for (size_t k = 0; k < records.size(); ++k) byOffset[records[k].offset] = k;
        for (const SheetEntry& s : m_globals.sheets()) {
            auto it = byOffset.find(s.offset);
            if (it == byOffset.end() || records[it->second].type != rt::Bof)
                throw FormatError("foaia \"" + s.name.toStdString() + "\" nu incepe unde indica BOUNDSHEET");
            size_t k = it->second;
            int depth = 0;
            size_t end = k;
            for (; end < records.size(); ++end) {
                if (records[end].type == rt::Bof) ++depth;
                if (records[end].type == rt::Eof && --depth == 0) break;
            }
            if (end == records.size())
                throw FormatError("foaia \"" + s.name.toStdString() + "\" este trunchiata");
            Worksheet w;
            w.parse(std::vector<Record>(records.begin() + k, records.begin() + end + 1), m_globals.sst(), m_globals.sstFormatting());
            m_sheets.push_back(std::move(w));
        }
        if (m_sheets.empty())
            throw FormatError("registrul nu are nici o foaie");
    } catch (const WorkbookError&) {
        throw;
    } catch (const std::exception& e) {
        fail(e);
    }
}

QString XlsWorkbook::sheetName(int sheet) const
{
    auto& s = const_cast<Globals&>(m_globals).sheets();
    return sheet >= 0 && sheet < int(s.size()) ? s[sheet].name : QString();
}

void XlsWorkbook::setActiveSheet(int sheet)
{
    if (sheet >= 0 && sheet < int(m_sheets.size()))
        m_active = sheet;
}

CellValue XlsWorkbook::cell(int row, int col) const
{
    const Cell* c = m_sheets[m_active].cell(row, col);
    CellValue v;
    if (!c)
        return v;
    switch (c->kind) {
    case Cell::Blank: break;
    case Cell::Number:
        v = CellValue::fromNumber(c->number);
        v.isDate = m_globals.isDateXf(c->xf);
        break;
    case Cell::Text: v = CellValue::fromText(c->text); break;
    case Cell::BoolErr:
        if (c->boolErrIsError) { v.type = CellValue::Type::Error; v.text = errorName(c->boolErrValue); }
        else { v.type = CellValue::Type::Bool; v.number = c->boolErrValue; }
        break;
    case Cell::Formula: {
        ByteView r(c->cached);
        if (c->cached.size() != 8) break;
        if (r.u16(6) != 0xFFFF) {
            v = CellValue::fromNumber(r.f64(0));
            v.isDate = m_globals.isDateXf(c->xf);
        } else if (r.u8(0) == 0 && !c->stringResult.isEmpty()) {
            try {
                ContinuedReader cr({ByteView(c->stringResult)});
                v = CellValue::fromText(cr.unicodeString());
            } catch (const FormatError&) {
            }
        } else if (r.u8(0) == 3) {
            v = CellValue::fromText(QString());
        } else if (r.u8(0) == 1) {
            v.type = CellValue::Type::Bool; v.number = r.u8(2);
        } else if (r.u8(0) == 2) {
            v.type = CellValue::Type::Error; v.text = errorName(r.u8(2));
        }
        break;
    }
    }
    return v;
}

void XlsWorkbook::setCell(int row, int col, const CellValue& value)
{
    try {
        if (value.type == CellValue::Type::Text && value.text.size() > 32767)
            throw WorkbookError("Textul depaseste 32767 caractere, limita unei celule .xls");
        Cell& c = m_sheets[m_active].cellForWrite(row, col);
        m_changed = true;
        uint16_t xf = c.xf;
        c = Cell();
        c.xf = xf;
        switch (value.type) {
        case CellValue::Type::Empty: c.kind = Cell::Blank; break;
        case CellValue::Type::Text:
            c.kind = value.text.isEmpty() ? Cell::Blank : Cell::Text;
            c.text = value.text;
            break;
        case CellValue::Type::Number: c.kind = Cell::Number; c.number = value.number; break;
        case CellValue::Type::Bool: c.kind = Cell::BoolErr; c.boolErrValue = value.number != 0; break;
        case CellValue::Type::Error: c.kind = Cell::BoolErr; c.boolErrIsError = 1; c.boolErrValue = 0x2A; break;
        }
    } catch (const WorkbookError& e) {
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": " + e.what());
    }
}

void XlsWorkbook::insertRowCopies(int row, int count)
{
    if (count <= 0)
        return;
    try {
        if (row < 0 || row > formula::MaxRow)
            throw WorkbookError("Randul " + std::to_string(row + 1) + " este in afara foii");
        Worksheet& target = m_sheets[m_active];
        int last = target.rows().empty() ? row : std::max(row, target.rows().rbegin()->first);
        if (last + count > formula::MaxRow)
            throw WorkbookError("Foaia \"" + sheetName(m_active).toStdString()
                                + "\" ar depasi limita de 65536 randuri a formatului .xls");
        formula::RowShift totals{row + 1, row, count};
        formula::RowShift plain{row + 1, row + 1, count};
        const int sheetIndex = m_active;
        for (int s = 0; s < int(m_sheets.size()); ++s) {
            formula::Scope scope;
            scope.localRefs = s == sheetIndex;
            scope.covers3d = [this, sheetIndex](uint16_t ixti) { return m_globals.covers(ixti, sheetIndex); };
            m_sheets[s].shiftFormulas(totals, plain, s == sheetIndex ? row : -1, scope);
        }
        formula::Scope nameScope;
        nameScope.localRefs = false;
        nameScope.covers3d = [this, sheetIndex](uint16_t ixti) { return m_globals.covers(ixti, sheetIndex); };
        m_globals.forEachNameFormula([&](QByteArray& rgce, QByteArray& extra) {
            formula::shiftRows(rgce, extra, totals, nameScope);
        });
        m_changed = true;
        target.shiftRanges(totals, row, count);
        target.copyRowBelow(row, count);
    } catch (const WorkbookError& e) {
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": " + e.what());
    } catch (const FormatError& e) {
        fail(e);
    }
}

void XlsWorkbook::deleteActiveSheet()
{
    if (m_sheets.size() <= 1)
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": singura foaie a registrului nu poate fi stearsa");
    try {
        int k = m_active;
        std::vector<bool> dead;
        m_changed = true;
        std::vector<uint16_t> nameMap = m_globals.deleteSheet(k, dead);
        m_sheets.erase(m_sheets.begin() + k);
        auto isDead = [&dead](uint16_t ixti) { return ixti < dead.size() && dead[ixti]; };
        auto mapName = [&nameMap](uint16_t i) -> uint16_t {
            return i >= 1 && i <= nameMap.size() ? nameMap[i - 1] : i;
        };
        bool namesDeleted = std::find(nameMap.begin(), nameMap.end(), 0) != nameMap.end();
        auto fix = [&](QByteArray& rgce, QByteArray&) {
            formula::killDeadRefs(rgce, isDead);
            if (namesDeleted)
                formula::remapNames(rgce, mapName);
        };
        for (Worksheet& w : m_sheets)
            w.forEachFormula(fix);
        m_globals.forEachNameFormula(fix);
        m_active = std::min(k, int(m_sheets.size()) - 1);
    } catch (const FormatError& e) {
        fail(e);
    }
}

QByteArray XlsWorkbook::serialize()
{
    for (int s = 0; s < int(m_sheets.size()); ++s)
        m_sheets[s].setSelected(s == m_active);
    // Changed cells make the cached results stale: store fresh ones.
    if (m_changed)
        recalculate(m_globals, m_sheets);
    SharedStrings sst;
    std::vector<QByteArray> sheetBytes;
    for (const Worksheet& w : m_sheets)
        sheetBytes.push_back(w.serialize(sst));
    // The globals' length does not depend on the offsets: write once to
    // measure, then with the real offsets.
    std::vector<uint32_t> offsets(m_sheets.size(), 0);
    auto sstAt = [&sst](qsizetype at) { return sst.serialize(at); };
    QByteArray globals = m_globals.serialize(offsets, sstAt, m_active);
    uint32_t at = uint32_t(globals.size());
    for (size_t s = 0; s < sheetBytes.size(); ++s) {
        offsets[s] = at;
        at += uint32_t(sheetBytes[s].size());
    }
    QByteArray stream = m_globals.serialize(offsets, sstAt, m_active);
    for (const QByteArray& b : sheetBytes)
        stream.append(b);
    m_cf.entries()[m_stream].data = stream;
    return m_cf.serialize();
}

Workbook::TextLayout XlsWorkbook::textLayout(int row, int col) const
{
    const Cell* c = m_sheets[m_active].cell(row, col);
    if (!c)
        return {};
    return {m_globals.wrapsText(c->xf), m_globals.fontPoints(c->xf)};
}

double XlsWorkbook::columnWidthPoints(int col) const
{
    // Widths count characters of the default font's digit (Arial 10: 7 pixels
    // at 96 dpi), plus the 5 pixels of cell padding Excel adds.
    return (m_sheets[m_active].columnWidthChars(col) * 7 + 5) * 0.75;
}

double XlsWorkbook::rowHeightPoints(int row) const { return m_sheets[m_active].rowHeightTwips(row) / 20.0; }

void XlsWorkbook::setRowHeightPoints(int row, double points)
{
    m_sheets[m_active].setRowHeightTwips(row, int(points * 20 + 0.5));
    m_changed = true;
}

void XlsWorkbook::save(const QString& path)
{
    QByteArray bytes;
    try {
        bytes = serialize();
    } catch (const FormatError& e) {
        fail(e);
    }
    writeFileAtomically(path, bytes);
}

} // namespace workbook::biff8
