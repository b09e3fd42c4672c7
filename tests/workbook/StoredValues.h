// Stored formula results of a saved workbook, read by independent readers
// (xlrd for .xls, the sheet XML for .xlsx) and by the engine, compared cell by
// cell with what LibreOffice computes when it recalculates the same file.
#pragma once

#include "Checkers.h"

#include "workbook/Workbook.h"
#include "workbook/xlsx/FormulaText.h"
#include "workbook/xlsx/Package.h"

#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <cmath>

namespace stored {

using workbook::CellValue;

// A spreadsheet value from LibreOffice's raw CSV matches a stored result.
inline bool sameValue(const QString& lo, const CellValue& v)
{
    if (lo == QLatin1String("TRUE") || lo == QLatin1String("FALSE"))
        return (v.type == CellValue::Type::Bool || v.type == CellValue::Type::Number)
            && (v.number != 0) == (lo == QLatin1String("TRUE"));
    if (lo.startsWith(QLatin1Char('#')))
        return v.type == CellValue::Type::Error && v.text == lo;
    bool ok = false;
    const double d = lo.toDouble(&ok);
    // LibreOffice writes logical results as 1 and 0.
    if (ok && (v.type == CellValue::Type::Number || v.type == CellValue::Type::Bool))
        return std::fabs(d - v.number) <= 1e-9 * std::max(1.0, std::fabs(d));
    return v.type == CellValue::Type::Text && v.text == lo;
}

inline CellValue fromXlrd(const QJsonArray& cell)
{
    static const QMap<int, QString> errors{{0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
                                           {0x1D, "#NAME?"}, {0x24, "#NUM!"}, {0x2A, "#N/A"}};
    CellValue v;
    switch (cell[0].toInt()) {
    case 1: v = CellValue::fromText(cell[1].toString()); break;
    case 2: v = CellValue::fromNumber(cell[1].toDouble()); break;
    case 4: v.type = CellValue::Type::Bool; v.number = cell[1].toDouble(); break;
    case 5: v.type = CellValue::Type::Error; v.text = errors.value(cell[1].toInt(), QStringLiteral("?")); break;
    default: break;
    }
    return v;
}

// The stored results of the formula cells of an .xlsx sheet part, by cell reference.
inline QMap<QString, CellValue> xlsxStoredResults(const QByteArray& xml)
{
    QMap<QString, CellValue> out;
    QXmlStreamReader r(xml);
    QString ref, type, value;
    bool formula = false, hasValue = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("c")) {
            ref = r.attributes().value(QLatin1String("r")).toString();
            type = r.attributes().value(QLatin1String("t")).toString();
            formula = hasValue = false;
        } else if (r.isStartElement() && r.name() == QLatin1String("f")) {
            formula = true;
        } else if (r.isStartElement() && r.name() == QLatin1String("v")) {
            hasValue = true;
            value = r.readElementText();
        } else if (r.isEndElement() && r.name() == QLatin1String("c") && formula) {
            CellValue v;
            if (!hasValue) v = CellValue();
            else if (type == QLatin1String("str")) v = CellValue::fromText(value);
            else if (type == QLatin1String("b")) { v.type = CellValue::Type::Bool; v.number = value.toInt(); }
            else if (type == QLatin1String("e")) { v.type = CellValue::Type::Error; v.text = value; }
            else v = CellValue::fromNumber(value.toDouble());
            out.insert(ref, v);
        }
    }
    return out;
}

inline QString sheetPart(const workbook::xlsx::Package& p, int sheet)
{
    return QString::fromUtf8(p.part(QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet + 1)));
}

using Sheets = QMap<QString, QList<QStringList>>;

// Compares every formula cell of every sheet (LibreOffice's formula text tells
// which cells hold formulas); cells named in `unknown` ("Sheet!B7") must hold
// no result instead. Returns the number of cells compared.
inline int compareWithLibreOffice(const QString& out, const Sheets& values, const Sheets& formulas, const QSet<QString>& unknown)
{
    const bool isXls = out.endsWith(QLatin1String(".xls"));
    const QJsonObject x = isXls ? checkers::xlrd(out) : QJsonObject();
    if (isXls) {
        EXPECT_FALSE(x.contains(QStringLiteral("error")));
        EXPECT_TRUE(checkers::xlrdLogClean(x)) << x[QStringLiteral("log")].toString().toStdString();
    }
    workbook::xlsx::Package package;
    if (!isXls) package.read(out);
    auto reopened = workbook::Workbook::open(out);
    int compared = 0;
    for (int s = 0; s < reopened->sheetCount(); ++s) {
        const QString name = reopened->sheetName(s);
        reopened->setActiveSheet(s);
        const QList<QStringList> f = formulas.value(name);
        const QList<QStringList> v = values.value(name);
        const QJsonArray xlrdSheets = x.value(QStringLiteral("sheets")).toArray();
        const QJsonArray xlrdCells = s < xlrdSheets.size() ? xlrdSheets.at(s).toObject().value(QStringLiteral("cells")).toArray() : QJsonArray();
        const QMap<QString, CellValue> xml = isXls ? QMap<QString, CellValue>() : xlsxStoredResults(sheetPart(package, s).toUtf8());
        for (int r = 0; r < f.size(); ++r)
            for (int c = 0; c < f[r].size(); ++c) {
                if (!f[r][c].startsWith(QLatin1Char('=')))
                    continue;
                const QString where = name + QLatin1Char('!') + workbook::xlsx::cellRef(r, c);
                const QString lo = checkers::csvCell(v, r, c);
                const QJsonArray xlrdRow = r < xlrdCells.size() ? xlrdCells.at(r).toArray() : QJsonArray();
                const CellValue mine = isXls ? fromXlrd(c < xlrdRow.size() ? xlrdRow.at(c).toArray() : QJsonArray())
                                             : xml.value(workbook::xlsx::cellRef(r, c));
                const CellValue engine = reopened->cell(r, c);
                if (unknown.contains(where)) {
                    // No stale result: nothing (.xlsx) or empty text (.xls) until recalculated.
                    EXPECT_TRUE(mine.isEmpty()) << where.toStdString();
                    EXPECT_TRUE(engine.isEmpty()) << where.toStdString();
                    EXPECT_FALSE(lo.isEmpty()) << where.toStdString();
                    continue;
                }
                EXPECT_TRUE(sameValue(lo, mine)) << where.toStdString() << " LibreOffice " << lo.toStdString()
                                                 << " stored " << mine.toText().toStdString();
                EXPECT_TRUE(sameValue(lo, engine)) << where.toStdString() << " engine " << engine.toText().toStdString();
                ++compared;
            }
    }
    return compared;
}

} // namespace stored
