#include "workbook/CellValue.h"
#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/AnchoredParts.h"
#include "workbook/xlsx/Recalculation.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace workbook::xlsx {

namespace {

QString unescapeXml(QString s)
{
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

QString escapeXml(QString s)
{
    s.replace(QLatin1String("&"), QLatin1String("&amp;"));
    s.replace(QLatin1String("<"), QLatin1String("&lt;"));
    s.replace(QLatin1String(">"), QLatin1String("&gt;"));
    s.replace(QLatin1String("\""), QLatin1String("&quot;"));
    return s;
}

QString attrOf(const QString& tag, const QString& name)
{
    QRegularExpression a(QStringLiteral("(?:^|\\s)") + QRegularExpression::escape(name) + QStringLiteral("=\"([^\"]*)\""));
    auto m = a.match(tag);
    return m.hasMatch() ? unescapeXml(m.captured(1)) : QString();
}

QString setAttrIn(QString tag, const QString& name, const QString& value)
{
    QRegularExpression a(QStringLiteral("(\\s)") + QRegularExpression::escape(name) + QStringLiteral("=\"[^\"]*\""));
    auto m = a.match(tag);
    if (m.hasMatch())
        return tag.replace(m.capturedStart(0), m.capturedLength(0), m.captured(1) + name + QStringLiteral("=\"") + value + QStringLiteral("\""));
    int end = tag.endsWith(QLatin1String("/>")) ? int(tag.size()) - 2 : int(tag.size()) - 1;
    return tag.insert(end, QStringLiteral(" ") + name + QStringLiteral("=\"") + value + QStringLiteral("\""));
}

QString localName(const QStringView q)
{
    int c = int(q.indexOf(QLatin1Char(':')));
    return (c < 0 ? q : q.mid(c + 1)).toString();
}

const QRegularExpression& sheetTag()
{
    static const QRegularExpression re(QStringLiteral("<([A-Za-z0-9_]+:)?sheet\\b[^>]*/>"));
    return re;
}

const QRegularExpression& definedNameRe()
{
    static const QRegularExpression re(
        QStringLiteral("<([A-Za-z0-9_]+:)?definedName\\b([^>]*)>([^<]*)</([A-Za-z0-9_]+:)?definedName>"));
    return re;
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString& path) : m_path(path)
{
    try {
        m_package.read(path);
        if (!m_package.contains(QStringLiteral("xl/workbook.xml")))
            throw FormatError("partea xl/workbook.xml lipseste");
        m_workbookXml = QString::fromUtf8(m_package.part(QStringLiteral("xl/workbook.xml")));
        m_relsXml = QString::fromUtf8(m_package.part(QStringLiteral("xl/_rels/workbook.xml.rels")));
        QMap<QString, QString> targets;
        static const QRegularExpression rel(QStringLiteral("<([A-Za-z0-9_]+:)?Relationship\\b[^>]*/?>"));
        auto ri = rel.globalMatch(m_relsXml);
        while (ri.hasNext()) {
            QString t = ri.next().captured(0);
            targets.insert(attrOf(t, QStringLiteral("Id")), attrOf(t, QStringLiteral("Target")));
        }
        auto si = sheetTag().globalMatch(m_workbookXml);
        while (si.hasNext()) {
            QString t = si.next().captured(0);
            SheetRef s;
            s.name = attrOf(t, QStringLiteral("name"));
            static const QRegularExpression idAttr(QStringLiteral("\\s[A-Za-z0-9_]+:id=\"([^\"]*)\""));
            s.relId = idAttr.match(t).captured(1);
            QString target = targets.value(s.relId);
            if (target.isEmpty())
                throw FormatError("foaia \"" + s.name.toStdString() + "\" nu are parte in pachet");
            s.part = target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            if (!m_package.contains(s.part))
                throw FormatError("partea " + s.part.toStdString() + " lipseste");
            m_refs.push_back(s);
            Sheet sheet;
            sheet.parse(m_package.part(s.part));
            sheet.unshareFormulas();
            m_sheets.push_back(std::move(sheet));
        }
        if (m_refs.empty())
            throw FormatError("registrul nu are nici o foaie");

        if (m_package.contains(QStringLiteral("xl/sharedStrings.xml"))) {
            QXmlStreamReader r(m_package.part(QStringLiteral("xl/sharedStrings.xml")));
            r.setNamespaceProcessing(false);
            QString cur;
            bool inSi = false;
            while (!r.atEnd()) {
                r.readNext();
                if (r.isStartElement()) {
                    QString n = localName(r.qualifiedName());
                    if (n == QLatin1String("si")) { inSi = true; cur.clear(); }
                    else if (n == QLatin1String("rPh")) r.skipCurrentElement();
                    else if (n == QLatin1String("t") && inSi) cur += r.readElementText();
                } else if (r.isEndElement() && localName(r.qualifiedName()) == QLatin1String("si")) {
                    m_sharedStrings.push_back(cur);
                    inSi = false;
                }
            }
            if (r.hasError())
                throw FormatError("sharedStrings.xml invalid: " + r.errorString().toStdString());
        }
        if (m_package.contains(QStringLiteral("xl/styles.xml"))) {
            QXmlStreamReader r(m_package.part(QStringLiteral("xl/styles.xml")));
            r.setNamespaceProcessing(false);
            QMap<int, QString> formats;
            std::vector<double> fontPoints;
            bool inXfs = false, inFonts = false;
            while (!r.atEnd()) {
                r.readNext();
                if (r.isStartElement()) {
                    QString n = localName(r.qualifiedName());
                    if (n == QLatin1String("fonts")) inFonts = true;
                    else if (n == QLatin1String("font") && inFonts) fontPoints.push_back(10);
                    else if (n == QLatin1String("sz") && inFonts && !fontPoints.empty())
                        fontPoints.back() = r.attributes().value(QLatin1String("val")).toDouble();
                    else if (n == QLatin1String("alignment") && inXfs && !m_styleLayouts.empty())
                        m_styleLayouts.back().wraps = r.attributes().value(QLatin1String("wrapText")) == QLatin1String("1")
                            || r.attributes().value(QLatin1String("wrapText")) == QLatin1String("true");
                    else if (n == QLatin1String("numFmt"))
                        formats.insert(r.attributes().value(QLatin1String("numFmtId")).toInt(),
                                       r.attributes().value(QLatin1String("formatCode")).toString());
                    else if (n == QLatin1String("cellXfs")) inXfs = true;
                    else if (n == QLatin1String("xf") && inXfs) {
                        int f = r.attributes().value(QLatin1String("numFmtId")).toInt();
                        bool date = (f >= 14 && f <= 22) || (f >= 45 && f <= 47)
                            || (formats.contains(f) && formatIsDate(formats.value(f)));
                        m_dateStyles.push_back(date);
                        const int font = r.attributes().value(QLatin1String("fontId")).toInt();
                        m_styleLayouts.push_back({false, font < int(fontPoints.size()) && fontPoints[font] > 0
                                                             ? fontPoints[font] : 10.0});
                    }
                } else if (r.isEndElement() && localName(r.qualifiedName()) == QLatin1String("cellXfs")) {
                    inXfs = false;
                } else if (r.isEndElement() && localName(r.qualifiedName()) == QLatin1String("fonts")) {
                    inFonts = false;
                }
            }
        }
        m_active = 0;
    } catch (const WorkbookError&) {
        throw;
    } catch (const std::exception& e) {
        fail(e);
    }
}

void XlsxWorkbook::fail(const std::exception& e) const
{
    throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\" nu este un registru Excel valid: " + e.what());
}

WorkbookCells XlsxWorkbook::cells()
{
    WorkbookCells book{&m_sheets, {}, {}, &m_sharedStrings};
    for (const SheetRef& r : m_refs)
        book.sheetNames.push_back(r.name);
    auto it = definedNameRe().globalMatch(m_workbookXml);
    while (it.hasNext()) {
        auto m = it.next();
        const QString local = attrOf(m.captured(2), QStringLiteral("localSheetId"));
        book.names.push_back({attrOf(m.captured(2), QStringLiteral("name")), local.isEmpty() ? -1 : local.toInt(),
                              unescapeXml(m.captured(3))});
    }
    return book;
}

QString XlsxWorkbook::sheetName(int sheet) const
{
    return sheet >= 0 && sheet < int(m_refs.size()) ? m_refs[sheet].name : QString();
}

void XlsxWorkbook::setActiveSheet(int sheet)
{
    if (sheet >= 0 && sheet < int(m_sheets.size()))
        m_active = sheet;
}

int XlsxWorkbook::lastRow() const { return m_sheets[m_active].lastRow(); }
int XlsxWorkbook::lastColumn() const { return m_sheets[m_active].lastColumn(); }

CellValue XlsxWorkbook::cell(int row, int col) const
{
    const auto& rows = m_sheets[m_active].rows();
    auto rit = rows.find(row);
    if (rit == rows.end()) return {};
    auto cit = rit->second.cells.find(col);
    if (cit == rit->second.cells.end()) return {};
    const XCell& c = cit->second;
    CellValue v = valueOf(c, m_sharedStrings);
    if (v.type != CellValue::Type::Number) return v;
    int s = c.attr(QStringLiteral("s")).toInt();
    v.isDate = s >= 0 && s < int(m_dateStyles.size()) && m_dateStyles[s];
    return v;
}

void XlsxWorkbook::setCell(int row, int col, const CellValue& value)
{
    if (row < 0 || row > MaxRow || col < 0 || col > 16383)
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": celula este in afara limitelor foii .xlsx");
    if (value.type == CellValue::Type::Text && value.text.size() > 32767)
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": textul depaseste 32767 caractere");
    Sheet& sh = m_sheets[m_active];
    XRow& r = sh.rows()[row];
    auto it = r.cells.find(col);
    if (it == r.cells.end()) {
        XCell c;
        QString style = sh.defaultStyle(row, col);
        if (!style.isEmpty()) c.setAttr(QStringLiteral("s"), style);
        it = r.cells.emplace(col, c).first;
    }
    XCell& c = it->second;
    c.hasFormula = false;
    c.formula.clear();
    c.formulaAttrs.clear();
    c.hasValue = false;
    c.hasInline = false;
    c.value.clear();
    c.inlineText.clear();
    c.setAttr(QStringLiteral("t"), QString());
    switch (value.type) {
    case CellValue::Type::Empty: break;
    case CellValue::Type::Text:
        if (!value.text.isEmpty()) {
            c.setAttr(QStringLiteral("t"), QStringLiteral("inlineStr"));
            c.hasInline = true;
            c.inlineText = value.text;
        }
        break;
    case CellValue::Type::Number:
        c.hasValue = true;
        c.value = QString::number(value.number, 'g', 17);
        break;
    case CellValue::Type::Bool:
        c.setAttr(QStringLiteral("t"), QStringLiteral("b"));
        c.hasValue = true;
        c.value = value.number != 0 ? QStringLiteral("1") : QStringLiteral("0");
        break;
    case CellValue::Type::Error:
        c.setAttr(QStringLiteral("t"), QStringLiteral("e"));
        c.hasValue = true;
        c.value = value.text.isEmpty() ? QStringLiteral("#N/A") : value.text;
        break;
    }
}

void XlsxWorkbook::insertRowCopies(int row, int count)
{
    if (count <= 0) return;
    try {
        Sheet& target = m_sheets[m_active];
        int last = target.rows().empty() ? row : std::max(row, target.rows().rbegin()->first);
        if (row < 0 || last + count > MaxRow)
            throw WorkbookError("Foaia \"" + sheetName(m_active).toStdString()
                                + "\" ar depasi limita de 1048576 randuri a formatului .xlsx");
        RowShift totals{row + 1, row, count};
        RowShift plain{row + 1, row + 1, count};
        const QString targetName = m_refs[m_active].name;
        for (int s = 0; s < int(m_sheets.size()); ++s) {
            auto refers = [&, s](const QString& sheet) {
                return sheet.isEmpty() ? s == m_active : sheet.compare(targetName, Qt::CaseInsensitive) == 0;
            };
            m_sheets[s].shiftFormulas(totals, plain, s == m_active ? row : -1, refers);
        }
        // Defined names always name their sheet.
        QString out;
        qsizetype lastAt = 0;
        auto it = definedNameRe().globalMatch(m_workbookXml);
        while (it.hasNext()) {
            auto m = it.next();
            QString f = unescapeXml(m.captured(3));
            QString shifted = shiftFormula(f, totals, [&](const QString& sheet) {
                return sheet.compare(targetName, Qt::CaseInsensitive) == 0;
            });
            out += m_workbookXml.mid(lastAt, m.capturedStart(3) - lastAt) + escapeXml(shifted);
            lastAt = m.capturedEnd(3);
        }
        out += m_workbookXml.mid(lastAt);
        m_workbookXml = out;
        target.shiftRanges(totals, row, count);
        target.copyRowBelow(row, count);
        shiftAnchoredParts(m_package, m_refs[m_active].part, totals);
        m_formulasMoved = true;
    } catch (const WorkbookError& e) {
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": " + e.what());
    } catch (const FormatError& e) {
        fail(e);
    }
}

void XlsxWorkbook::deleteActiveSheet()
{
    if (m_sheets.size() <= 1)
        throw WorkbookError("Fisierul \"" + m_path.toStdString() + "\": singura foaie a registrului nu poate fi stearsa");
    const int k = m_active;
    const SheetRef ref = m_refs[k];
    // workbook.xml: the <sheet> element, names of that sheet, later localSheetId.
    int index = 0;
    auto si = sheetTag().globalMatch(m_workbookXml);
    while (si.hasNext()) {
        auto m = si.next();
        if (index++ == k) {
            m_workbookXml.remove(m.capturedStart(0), m.capturedLength(0));
            break;
        }
    }
    QString out;
    qsizetype lastAt = 0;
    auto it = definedNameRe().globalMatch(m_workbookXml);
    while (it.hasNext()) {
        auto m = it.next();
        out += m_workbookXml.mid(lastAt, m.capturedStart(0) - lastAt);
        lastAt = m.capturedEnd(0);
        QString attrs = m.captured(2);
        QString local = attrOf(attrs, QStringLiteral("localSheetId"));
        if (!local.isEmpty() && local.toInt() == k)
            continue;
        QString element = m.captured(0);
        if (!local.isEmpty() && local.toInt() > k) {
            QString open = element.left(element.indexOf(QLatin1Char('>')) + 1);
            element.replace(0, open.size(), setAttrIn(open, QStringLiteral("localSheetId"), QString::number(local.toInt() - 1)));
        }
        QString text = unescapeXml(m.captured(3));
        QString killed = killSheetRefs(text, ref.name);
        if (killed != text) {
            int s = int(element.indexOf(QLatin1Char('>'))) + 1;
            int e = int(element.lastIndexOf(QLatin1Char('<')));
            element.replace(s, e - s, escapeXml(killed));
        }
        out += element;
    }
    out += m_workbookXml.mid(lastAt);
    m_workbookXml = out;
    // An empty <definedNames/> is not allowed.
    static const QRegularExpression emptyNames(QStringLiteral("<([A-Za-z0-9_]+:)?definedNames>\\s*</([A-Za-z0-9_]+:)?definedNames>"));
    m_workbookXml.remove(emptyNames);

    static const QRegularExpression rel(QStringLiteral("<([A-Za-z0-9_]+:)?Relationship\\b[^>]*/>"));
    auto ri = rel.globalMatch(m_relsXml);
    while (ri.hasNext()) {
        auto m = ri.next();
        if (attrOf(m.captured(0), QStringLiteral("Id")) == ref.relId) {
            m_relsXml.remove(m.capturedStart(0), m.capturedLength(0));
            break;
        }
    }
    m_package.remove(ref.part);
    QString relsPart = ref.part.left(ref.part.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/_rels/")
        + ref.part.mid(ref.part.lastIndexOf(QLatin1Char('/')) + 1) + QStringLiteral(".rels");
    m_package.remove(relsPart);
    QString types = QString::fromUtf8(m_package.part(QStringLiteral("[Content_Types].xml")));
    for (const QString& part : {ref.part, relsPart}) {
        QRegularExpression ov(QStringLiteral("<([A-Za-z0-9_]+:)?Override\\b[^>]*PartName=\"/") + QRegularExpression::escape(part)
                              + QStringLiteral("\"[^>]*/>"));
        types.remove(ov);
    }
    m_package.setPart(QStringLiteral("[Content_Types].xml"), types.toUtf8());

    m_refs.erase(m_refs.begin() + k);
    m_sheets.erase(m_sheets.begin() + k);
    for (Sheet& s : m_sheets)
        s.forEachFormula([&](QString& f) { f = killSheetRefs(f, ref.name); });
    m_formulasMoved = true;
    m_active = std::min(k, int(m_sheets.size()) - 1);
}

Workbook::TextLayout XlsxWorkbook::textLayout(int row, int col) const
{
    const auto& rows = m_sheets[m_active].rows();
    auto rit = rows.find(row);
    if (rit == rows.end() || !rit->second.cells.count(col))
        return {};
    const int style = rit->second.cells.at(col).attr(QStringLiteral("s")).toInt();
    return style < int(m_styleLayouts.size()) ? m_styleLayouts[style] : TextLayout{};
}

double XlsxWorkbook::columnWidthPoints(int col) const
{
    // Characters of the default font's digit (7 pixels at 96 dpi for Calibri
    // 11 and Arial 10), padding included in the stored width.
    return m_sheets[m_active].columnWidthChars(col) * 7 * 0.75;
}

double XlsxWorkbook::rowHeightPoints(int row) const { return m_sheets[m_active].rowHeightPoints(row); }

void XlsxWorkbook::setRowHeightPoints(int row, double points) { m_sheets[m_active].setRowHeightPoints(row, points); }

void XlsxWorkbook::save(const QString& path)
{
    try {
        for (int s = 0; s < int(m_sheets.size()); ++s) {
            m_sheets[s].setSelected(s == m_active);
        }
        // Cached results may be stale once any cell changed: store fresh
        // ones; the spreadsheet program still calculates on load.
        recalculate(cells());
        for (int s = 0; s < int(m_sheets.size()); ++s)
            m_package.setPart(m_refs[s].part, m_sheets[s].serialize());
        QString wb = m_workbookXml;
        static const QRegularExpression view(QStringLiteral("<([A-Za-z0-9_]+:)?workbookView\\b[^>]*>"));
        auto vm = view.match(wb);
        if (vm.hasMatch()) {
            QString t = setAttrIn(vm.captured(0), QStringLiteral("activeTab"), QString::number(m_active));
            if (attrOf(t, QStringLiteral("firstSheet")).toInt() > m_active)
                t = setAttrIn(t, QStringLiteral("firstSheet"), QString::number(m_active));
            wb.replace(vm.capturedStart(0), vm.capturedLength(0), t);
        }
        {
            static const QRegularExpression calc(QStringLiteral("<([A-Za-z0-9_]+:)?calcPr\\b[^>]*>"));
            auto cm = calc.match(wb);
            if (cm.hasMatch()) {
                wb.replace(cm.capturedStart(0), cm.capturedLength(0),
                           setAttrIn(cm.captured(0), QStringLiteral("fullCalcOnLoad"), QStringLiteral("1")));
            } else {
                int at = int(wb.lastIndexOf(QLatin1String("</")));
                static const QRegularExpression after(QStringLiteral("<([A-Za-z0-9_]+:)?(oleSize|customWorkbookViews|pivotCaches|smartTagPr|smartTagTypes|webPublishing|fileRecoveryPr|webPublishObjects|extLst)\\b"));
                auto am = after.match(wb);
                if (am.hasMatch()) at = int(am.capturedStart(0));
                wb.insert(at, QStringLiteral("<calcPr fullCalcOnLoad=\"1\"/>"));
            }
        }
        if (m_formulasMoved) {
            // The calculation chain no longer matches the cells: drop it.
            if (m_package.contains(QStringLiteral("xl/calcChain.xml"))) {
                m_package.remove(QStringLiteral("xl/calcChain.xml"));
                static const QRegularExpression chainRel(QStringLiteral("<([A-Za-z0-9_]+:)?Relationship\\b[^>]*Target=\"[^\"]*calcChain\\.xml\"[^>]*/>"));
                m_relsXml.remove(chainRel);
                QString types = QString::fromUtf8(m_package.part(QStringLiteral("[Content_Types].xml")));
                static const QRegularExpression chainType(QStringLiteral("<([A-Za-z0-9_]+:)?Override\\b[^>]*PartName=\"/xl/calcChain\\.xml\"[^>]*/>"));
                types.remove(chainType);
                m_package.setPart(QStringLiteral("[Content_Types].xml"), types.toUtf8());
            }
        }
        m_package.setPart(QStringLiteral("xl/workbook.xml"), wb.toUtf8());
        m_package.setPart(QStringLiteral("xl/_rels/workbook.xml.rels"), m_relsXml.toUtf8());
        m_package.write(path);
    } catch (const WorkbookError&) {
        throw;
    } catch (const std::exception& e) {
        fail(e);
    }
}

} // namespace workbook::xlsx
