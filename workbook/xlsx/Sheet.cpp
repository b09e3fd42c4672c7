#include "workbook/xlsx/Sheet.h"

#include "workbook/WorkbookError.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

namespace workbook::xlsx {

QString XCell::attr(const QString& name) const
{
    for (const auto& a : attrs)
        if (a.first == name) return a.second;
    return QString();
}

CellValue valueOf(const XCell& c, const std::vector<QString>& sharedStrings)
{
    QString t = c.attr(QStringLiteral("t"));
    if (c.hasInline) return CellValue::fromText(c.inlineText);
    if (!c.hasValue) return {};
    if (t == QLatin1String("s")) {
        bool ok = false;
        int i = c.value.toInt(&ok);
        if (!ok || i < 0 || i >= int(sharedStrings.size())) return {};
        return CellValue::fromText(sharedStrings[i]);
    }
    if (t == QLatin1String("str") || t == QLatin1String("inlineStr")) return CellValue::fromText(c.value);
    if (t == QLatin1String("b")) { CellValue v; v.type = CellValue::Type::Bool; v.number = c.value.toInt(); return v; }
    if (t == QLatin1String("e")) { CellValue v; v.type = CellValue::Type::Error; v.text = c.value; return v; }
    bool ok = false;
    double d = c.value.toDouble(&ok);
    return ok ? CellValue::fromNumber(d) : CellValue();
}

void XCell::setAttr(const QString& name, const QString& value)
{
    for (int i = 0; i < attrs.size(); ++i)
        if (attrs[i].first == name) {
            if (value.isEmpty()) attrs.removeAt(i);
            else attrs[i].second = value;
            return;
        }
    if (!value.isEmpty())
        attrs.append({name, value});
}

namespace {

Attributes attributesOf(const QXmlStreamReader& r, std::initializer_list<const char*> skip)
{
    Attributes out;
    for (const QXmlStreamAttribute& a : r.attributes()) {
        QString q = a.qualifiedName().toString();
        bool skipped = false;
        for (const char* s : skip)
            if (q == QLatin1String(s)) skipped = true;
        if (!skipped)
            out.append({q, a.value().toString()});
    }
    return out;
}

QString localName(const QString& q)
{
    int c = q.indexOf(QLatin1Char(':'));
    return c < 0 ? q : q.mid(c + 1);
}

// The group ("si") of a cell's shared formula; nothing when the cell has no
// formula or its formula is not shared.
std::optional<QString> sharedGroupOf(const XCell& c)
{
    if (!c.hasFormula) return std::nullopt;
    QString t, si;
    for (const auto& a : c.formulaAttrs) {
        if (a.first == QLatin1String("t")) t = a.second;
        if (a.first == QLatin1String("si")) si = a.second;
    }
    if (t != QLatin1String("shared")) return std::nullopt;
    return si;
}

// Rewrites the value of attribute `attr` of every element named `element`.
QString rewriteAttributes(const QString& xml, const QString& element, const QString& attr,
                          const std::function<QString(const QString&)>& edit)
{
    static const QRegularExpression tag(QStringLiteral("<([A-Za-z0-9_]+:)?([A-Za-z0-9_]+)\\b[^>]*>"));
    QString out;
    qsizetype last = 0;
    auto it = tag.globalMatch(xml);
    while (it.hasNext()) {
        auto m = it.next();
        if (m.captured(2) != element)
            continue;
        QString t = m.captured(0);
        QRegularExpression a(QStringLiteral("\\b") + QRegularExpression::escape(attr) + QStringLiteral("=\"([^\"]*)\""));
        auto am = a.match(t);
        if (!am.hasMatch())
            continue;
        QString changed = t.left(am.capturedStart(1)) + edit(am.captured(1)) + t.mid(am.capturedEnd(1));
        out += xml.mid(last, m.capturedStart(0) - last);
        out += changed;
        last = m.capturedEnd(0);
    }
    out += xml.mid(last);
    return out;
}

} // namespace

void Sheet::parse(const QByteArray& bytes)
{
    QString xml = QString::fromUtf8(bytes);
    static const QRegularExpression open(QStringLiteral("<([A-Za-z0-9_]+:)?sheetData\\b[^>]*?(/?)>"));
    auto m = open.match(xml);
    if (!m.hasMatch())
        throw FormatError("foaia nu are element sheetData");
    m_before = xml.left(m.capturedStart(0));
    QString prefix = m.captured(1);
    qsizetype dataEnd;
    QString inner;
    if (m.captured(2) == QLatin1String("/")) {
        dataEnd = m.capturedEnd(0);
    } else {
        QString close = QStringLiteral("</") + prefix + QStringLiteral("sheetData>");
        qsizetype c = xml.indexOf(close, m.capturedEnd(0));
        if (c < 0)
            throw FormatError("element sheetData neinchis");
        inner = xml.mid(m.capturedStart(0), c + close.size() - m.capturedStart(0));
        dataEnd = c + close.size();
    }
    m_after = xml.mid(dataEnd);
    if (inner.isEmpty())
        return;

    QXmlStreamReader r(inner);
    r.setNamespaceProcessing(false);
    int nextRow = 0;
    XRow* row = nullptr;
    int rowIndex = -1;
    int nextCol = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        QString name = localName(r.qualifiedName().toString());
        if (name == QLatin1String("row")) {
            QString rv = r.attributes().value(QLatin1String("r")).toString();
            rowIndex = rv.isEmpty() ? nextRow : rv.toInt() - 1;
            if (rowIndex < 0 || rowIndex > MaxRow)
                throw FormatError("numar de rand invalid in foaie");
            nextRow = rowIndex + 1;
            nextCol = 0;
            row = &m_rows[rowIndex];
            row->attrs = attributesOf(r, {"r", "spans"});
        } else if (name == QLatin1String("c") && row) {
            QString ref = r.attributes().value(QLatin1String("r")).toString();
            int cr = rowIndex, cc = nextCol;
            if (!ref.isEmpty() && !parseCellRef(ref, cr, cc))
                throw FormatError("referinta de celula invalida: " + ref.toStdString());
            if (cr != rowIndex)
                throw FormatError("celula " + ref.toStdString() + " in afara randului ei");
            nextCol = cc + 1;
            XCell cell;
            cell.attrs = attributesOf(r, {"r"});
            while (!(r.isEndElement() && localName(r.qualifiedName().toString()) == QLatin1String("c")) && !r.atEnd()) {
                r.readNext();
                if (!r.isStartElement())
                    continue;
                QString child = localName(r.qualifiedName().toString());
                if (child == QLatin1String("f")) {
                    cell.hasFormula = true;
                    cell.formulaAttrs = attributesOf(r, {});
                    cell.formula = r.readElementText();
                } else if (child == QLatin1String("v")) {
                    cell.hasValue = true;
                    cell.value = r.readElementText();
                } else if (child == QLatin1String("is")) {
                    cell.hasInline = true;
                    while (!(r.isEndElement() && localName(r.qualifiedName().toString()) == QLatin1String("is")) && !r.atEnd()) {
                        r.readNext();
                        if (r.isStartElement() && localName(r.qualifiedName().toString()) == QLatin1String("rPh"))
                            r.skipCurrentElement();
                        else if (r.isStartElement() && localName(r.qualifiedName().toString()) == QLatin1String("t"))
                            cell.inlineText += r.readElementText();
                    }
                }
            }
            row->cells[cc] = cell;
        }
    }
    if (r.hasError())
        throw FormatError("XML invalid in foaie: " + r.errorString().toStdString());
}

QByteArray Sheet::serialize() const
{
    QString data;
    QXmlStreamWriter w(&data);
    w.writeStartElement(QStringLiteral("sheetData"));
    for (const auto& [ri, row] : m_rows) {
        if (row.cells.empty() && row.attrs.isEmpty())
            continue;
        w.writeStartElement(QStringLiteral("row"));
        w.writeAttribute(QStringLiteral("r"), QString::number(ri + 1));
        for (const auto& a : row.attrs) w.writeAttribute(a.first, a.second);
        for (const auto& [ci, c] : row.cells) {
            w.writeStartElement(QStringLiteral("c"));
            w.writeAttribute(QStringLiteral("r"), cellRef(ri, ci));
            for (const auto& a : c.attrs) w.writeAttribute(a.first, a.second);
            if (c.hasFormula) {
                w.writeStartElement(QStringLiteral("f"));
                for (const auto& a : c.formulaAttrs) w.writeAttribute(a.first, a.second);
                w.writeCharacters(c.formula);
                w.writeEndElement();
            }
            if (c.hasValue) w.writeTextElement(QStringLiteral("v"), c.value);
            if (c.hasInline) {
                w.writeStartElement(QStringLiteral("is"));
                w.writeStartElement(QStringLiteral("t"));
                w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                // Control characters are not allowed in XML: write them as _xHHHH_.
                QString t;
                for (QChar ch : c.inlineText) {
                    if (ch.unicode() < 0x20 && ch != QLatin1Char('\t') && ch != QLatin1Char('\n') && ch != QLatin1Char('\r'))
                        t += QStringLiteral("_x%1_").arg(ch.unicode(), 4, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("_X"), QLatin1String("_x"));
                    else
                        t += ch;
                }
                w.writeCharacters(t);
                w.writeEndElement();
                w.writeEndElement();
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();

    QString before = m_before;
    int lr = lastRow(), lc = lastColumn();
    QString dim = lr < 0 ? QStringLiteral("A1") : QStringLiteral("A1:") + cellRef(lr, std::max(lc, 0));
    if (lr >= 0) {
        int fr = m_rows.begin()->first;
        int fc = 16383;
        for (const auto& [ri, row] : m_rows)
            if (!row.cells.empty()) fc = std::min(fc, row.cells.begin()->first);
        for (const auto& [ri, row] : m_rows)
            if (!row.cells.empty()) { fr = ri; break; }
        dim = cellRef(fr, fc) + (fr == lr && fc == lc ? QString() : QStringLiteral(":") + cellRef(lr, lc));
    }
    before = rewriteAttributes(before, QStringLiteral("dimension"), QStringLiteral("ref"),
                               [&](const QString&) { return dim; });
    return (before + data + m_after).toUtf8();
}

int Sheet::lastRow() const
{
    for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it)
        if (!it->second.cells.empty()) return it->first;
    return -1;
}

int Sheet::lastColumn() const
{
    int last = -1;
    for (const auto& [ri, row] : m_rows)
        if (!row.cells.empty()) last = std::max(last, row.cells.rbegin()->first);
    return last;
}

void Sheet::unshareFormulas()
{
    struct Master { int row, col; QString text; };
    std::map<QString, Master> masters;
    for (auto& [ri, row] : m_rows)
        for (auto& [ci, c] : row.cells) {
            const auto group = sharedGroupOf(c);
            if (group && !c.formula.isEmpty())
                masters[*group] = {ri, ci, c.formula};
        }
    for (auto& [ri, row] : m_rows)
        for (auto& [ci, c] : row.cells) {
            const auto group = sharedGroupOf(c);
            if (!group) continue;
            auto m = masters.find(*group);
            if (m == masters.end())
                throw FormatError("formula partajata fara formula de baza");
            c.formula = offsetFormula(m->second.text, ri - m->second.row, ci - m->second.col);
            c.formulaAttrs.clear();
        }
}

void Sheet::forEachFormula(const std::function<void(QString&)>& f)
{
    for (auto& [ri, row] : m_rows)
        for (auto& [ci, c] : row.cells)
            if (c.hasFormula) f(c.formula);
}

void Sheet::shiftFormulas(const RowShift& totals, const RowShift& plain, int dataRow,
                          const std::function<bool(const QString&)>& refersToTarget)
{
    for (auto& [ri, row] : m_rows)
        for (auto& [ci, c] : row.cells) {
            if (!c.hasFormula) continue;
            const RowShift& s = ri == dataRow ? plain : totals;
            c.formula = shiftFormula(c.formula, s, refersToTarget);
            for (auto& a : c.formulaAttrs)
                if (a.first == QLatin1String("ref") && refersToTarget(QString()))
                    a.second = shiftRangeList(a.second, s);
        }
}

void Sheet::copyRowBelow(int row, int count)
{
    if (count <= 0) return;
    int last = m_rows.empty() ? row : m_rows.rbegin()->first;
    if (last + count > MaxRow)
        throw WorkbookError("Foaia ar depasi limita de 1048576 randuri a formatului .xlsx");
    std::map<int, XRow> moved;
    for (auto it = m_rows.upper_bound(row); it != m_rows.end();) {
        moved.emplace(it->first + count, std::move(it->second));
        it = m_rows.erase(it);
    }
    auto src = m_rows.find(row);
    if (src != m_rows.end()) {
        for (int i = 1; i <= count; ++i) {
            XRow copy = src->second;
            for (auto& [ci, c] : copy.cells)
                if (c.hasFormula) {
                    c.formula = offsetFormula(c.formula, i, 0);
                    for (auto& a : c.formulaAttrs)
                        if (a.first == QLatin1String("ref")) a.second = offsetFormula(a.second, i, 0);
                }
            m_rows.emplace(row + i, std::move(copy));
        }
    }
    for (auto& [r, rw] : moved)
        m_rows.emplace(r, std::move(rw));
}

void Sheet::shiftRanges(const RowShift& s, int dataRow, int count)
{
    // Merged cells: single-row merges of the data row are repeated on each copy.
    static const QRegularExpression merge(QStringLiteral("<([A-Za-z0-9_]+:)?mergeCell\\b[^>]*\\bref=\"([^\"]*)\"[^>]*/>"));
    QString out;
    qsizetype last = 0;
    int added = 0;
    auto it = merge.globalMatch(m_after);
    while (it.hasNext()) {
        auto m = it.next();
        QString ref = m.captured(2);
        int r1, c1, r2, c2;
        QStringList parts = ref.split(QLatin1Char(':'));
        out += m_after.mid(last, m.capturedStart(0) - last);
        last = m.capturedEnd(0);
        if (parts.size() == 2 && parseCellRef(parts[0], r1, c1) && parseCellRef(parts[1], r2, c2)
            && r1 == dataRow && r2 == dataRow) {
            out += m.captured(0);
            for (int k = 1; k <= count; ++k) {
                out += QStringLiteral("<%1mergeCell ref=\"%2:%3\"/>")
                           .arg(m.captured(1), cellRef(r1 + k, c1), cellRef(r2 + k, c2));
                ++added;
            }
        } else {
            QString t = m.captured(0);
            t.replace(m.capturedStart(2) - m.capturedStart(0), ref.size(), shiftRangeList(ref, s));
            out += t;
        }
    }
    out += m_after.mid(last);
    m_after = out;
    if (added) {
        static const QRegularExpression countAttr(QStringLiteral("(<([A-Za-z0-9_]+:)?mergeCells\\b[^>]*\\bcount=\")(\\d+)\""));
        auto cm = countAttr.match(m_after);
        if (cm.hasMatch())
            m_after.replace(cm.capturedStart(3), cm.capturedLength(3), QString::number(cm.captured(3).toInt() + added));
    }
    auto shiftList = [&s](const QString& v) { return shiftRangeList(v, s); };
    m_after = rewriteAttributes(m_after, QStringLiteral("conditionalFormatting"), QStringLiteral("sqref"), shiftList);
    m_after = rewriteAttributes(m_after, QStringLiteral("dataValidation"), QStringLiteral("sqref"), shiftList);
    m_after = rewriteAttributes(m_after, QStringLiteral("hyperlink"), QStringLiteral("ref"), shiftList);
    m_after = rewriteAttributes(m_after, QStringLiteral("brk"), QStringLiteral("id"), [&s](const QString& v) {
        return QString::number(s.moveRow(v.toInt()));
    });
    // Conditional format formulas are written for the top-left cell of their range.
    static const QRegularExpression cfFormula(QStringLiteral("(<([A-Za-z0-9_]+:)?formula>)([^<]*)(</)"));
    QString o2;
    last = 0;
    auto fi = cfFormula.globalMatch(m_after);
    while (fi.hasNext()) {
        auto m = fi.next();
        o2 += m_after.mid(last, m.capturedStart(3) - last);
        o2 += shiftFormula(m.captured(3), s, [](const QString& sh) { return sh.isEmpty(); });
        last = m.capturedEnd(3);
    }
    o2 += m_after.mid(last);
    m_after = o2;
}

QString Sheet::defaultStyle(int row, int col) const
{
    auto rit = m_rows.find(row);
    if (rit != m_rows.end()) {
        QString s, custom;
        for (const auto& a : rit->second.attrs) {
            if (a.first == QLatin1String("s")) s = a.second;
            if (a.first == QLatin1String("customFormat")) custom = a.second;
        }
        if (!s.isEmpty() && (custom == QLatin1String("1") || custom == QLatin1String("true")))
            return s;
    }
    return columnAttribute(col, "style");
}

QString Sheet::columnAttribute(int col, const char* name) const
{
    static const QRegularExpression colRe(QStringLiteral("<([A-Za-z0-9_]+:)?col\\b([^>]*)/?>"));
    auto it = colRe.globalMatch(m_before);
    while (it.hasNext()) {
        QString attrs = it.next().captured(2);
        auto get = [&attrs](const char* n) {
            QRegularExpression a(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(QLatin1String(n)));
            return a.match(attrs).captured(1);
        };
        int mn = get("min").toInt(), mx = get("max").toInt();
        if (col + 1 >= mn && col + 1 <= mx)
            return get(name);
    }
    return QString();
}

double Sheet::columnWidthChars(int col) const
{
    bool ok = false;
    const double width = columnAttribute(col, "width").toDouble(&ok);
    if (ok)
        return width;
    static const QRegularExpression standard(QStringLiteral("<([A-Za-z0-9_]+:)?sheetFormatPr\\b[^>]*\\bdefaultColWidth=\"([0-9.]+)\""));
    const auto m = standard.match(m_before);
    return m.hasMatch() ? m.captured(2).toDouble() : 8.43;
}

double Sheet::rowHeightPoints(int row) const
{
    auto rit = m_rows.find(row);
    if (rit != m_rows.end())
        for (const auto& a : rit->second.attrs)
            if (a.first == QLatin1String("ht"))
                return a.second.toDouble();
    static const QRegularExpression standard(QStringLiteral("<([A-Za-z0-9_]+:)?sheetFormatPr\\b[^>]*\\bdefaultRowHeight=\"([0-9.]+)\""));
    const auto m = standard.match(m_before);
    return m.hasMatch() ? m.captured(2).toDouble() : 12.75;
}

void Sheet::setRowHeightPoints(int row, double points)
{
    Attributes& attrs = m_rows[row].attrs;
    auto set = [&attrs](const QString& name, const QString& value) {
        for (auto& a : attrs)
            if (a.first == name) {
                a.second = value;
                return;
            }
        attrs.append({name, value});
    };
    set(QStringLiteral("ht"), QString::number(points, 'f', 2));
    set(QStringLiteral("customHeight"), QStringLiteral("1"));
}

void Sheet::setSelected(bool selected)
{
    m_before = rewriteAttributes(m_before, QStringLiteral("sheetView"), QStringLiteral("tabSelected"),
                                 [selected](const QString&) { return selected ? QStringLiteral("1") : QStringLiteral("0"); });
}

} // namespace workbook::xlsx
