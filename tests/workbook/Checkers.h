// Independent readers for the files the workbook engine writes: python3-xlrd
// for .xls (cached values, formats, merged cells, with its warnings treated as
// failures) and LibreOffice headless for every format (converted to CSV, which
// makes LibreOffice recalculate formulas).
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QMap>

namespace checkers {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

inline Run run(const QString& program, const QStringList& args, int timeoutMs = 240000)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = "timeout";
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// xlrd's view of a workbook: {"log": "...", "sheets": [{"name", "cells": [[ [ctype, value, xf], ...], ...],
// "merged": [[r1, r2, c1, c2], ...]}], "names": {...}}; "error" when xlrd refused the file.
inline QJsonObject xlrd(const QString& path)
{
    static const char* script = R"PY(
import sys, json, io, xlrd
buf = io.StringIO()
try:
    b = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=buf, verbosity=1)
except Exception as e:
    print(json.dumps({"error": str(e)})); sys.exit(0)
out = {"log": buf.getvalue(), "sheets": [], "datemode": b.datemode, "names": {}}
for n in b.name_obj_list:
    try:
        out["names"][n.name] = [str(a) for a in n.area2d(clipped=False)[1:]] if n.result and n.result.kind == xlrd.oREF else str(n.formula_text)
    except Exception as e:
        out["names"][n.name] = "?"
for s in b.sheets():
    out["sheets"].append({"name": s.name,
        "cells": [[[c.ctype, c.value, c.xf_index] for c in s.row(r)] for r in range(s.nrows)],
        "merged": [list(m) for m in s.merged_cells],
        "heights": {str(r): s.rowinfo_map[r].height for r in s.rowinfo_map}})
print(json.dumps(out))
)PY";
    Run r = run(QStringLiteral(HESTAVO_PYTHON), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    QJsonObject o = QJsonDocument::fromJson(r.out).object();
    if (o.isEmpty())
        o.insert(QStringLiteral("error"), QString::fromUtf8(r.err));
    return o;
}

// True when xlrd's log holds nothing alarming. xlrd does not read conditional
// formats and says so for every file that has them (LibreOffice's own too).
inline bool xlrdLogClean(const QJsonObject& o)
{
    const QStringList lines = o.value(QStringLiteral("log")).toString().split(QLatin1Char('\n'));
    for (const QString& l : lines) {
        if (l.contains(QLatin1String("WARNING")) && !l.contains(QLatin1String("Ignoring CONDFMT"))
            && !l.contains(QLatin1String("Ignoring CF")))
            return false;
        if (l.contains(QLatin1String("NOTE ***")) || l.contains(QLatin1String("ERROR")))
            return false;
    }
    return true;
}

// Converts with LibreOffice headless; returns the output folder's path or "".
inline QString libreOfficeConvert(const QString& path, const QString& filter, const QString& outDir)
{
    static int counter = 0;
    QString profile = QStringLiteral("file:///tmp/lo-wbtest-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    run(QStringLiteral("soffice"), {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                                    QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir, path});
    QDir(QUrl(profile).toLocalFile()).removeRecursively();
    return outDir;
}

inline QList<QStringList> parseCsv(const QByteArray& bytes)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    QString s = QString::fromUtf8(bytes);
    for (int i = 0; i < s.size(); ++i) {
        QChar c = s[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < s.size() && s[i + 1] == QLatin1Char('"')) { field += c; ++i; }
                else quoted = false;
            } else field += c;
        } else if (c == QLatin1Char('"')) quoted = true;
        else if (c == QLatin1Char(',')) { row << field; field.clear(); }
        else if (c == QLatin1Char('\n')) { row << field; field.clear(); rows << row; row.clear(); }
        else if (c != QLatin1Char('\r')) field += c;
    }
    if (!field.isEmpty() || !row.isEmpty()) { row << field; rows << row; }
    return rows;
}

// Every sheet of a spreadsheet as LibreOffice computes it, by sheet name.
inline QMap<QString, QList<QStringList>> libreOfficeCsv(const QString& path)
{
    QTemporaryDir dir;
    libreOfficeConvert(path, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"),
                       dir.path());
    QMap<QString, QList<QStringList>> out;
    QString stem = QFileInfo(path).completeBaseName();
    for (const QFileInfo& f : QDir(dir.path()).entryInfoList({QStringLiteral("*.csv")})) {
        QFile file(f.absoluteFilePath());
        file.open(QIODevice::ReadOnly);
        QString sheet = f.completeBaseName().mid(stem.size() + 1);
        out.insert(sheet, parseCsv(file.readAll()));
    }
    return out;
}

// Every sheet of several spreadsheets converted in one LibreOffice run, by
// file stem and sheet name: raw values (not as formatted), or the formula
// text of formula cells when `formulas` is set.
inline QMap<QString, QMap<QString, QList<QStringList>>> libreOfficeRawCsv(const QStringList& paths, bool formulas)
{
    QTemporaryDir dir;
    static int counter = 0;
    QString profile = QStringLiteral("file:///tmp/lo-wbtest-raw-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    QStringList args{QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,%1,false,-1")
                         .arg(formulas ? QStringLiteral("true") : QStringLiteral("false")),
                     QStringLiteral("--outdir"), dir.path()};
    run(QStringLiteral("soffice"), args + paths);
    QDir(QUrl(profile).toLocalFile()).removeRecursively();
    QMap<QString, QMap<QString, QList<QStringList>>> out;
    for (const QString& path : paths) {
        const QString stem = QFileInfo(path).completeBaseName();
        for (const QFileInfo& f : QDir(dir.path()).entryInfoList({stem + QStringLiteral("-*.csv")})) {
            QFile file(f.absoluteFilePath());
            file.open(QIODevice::ReadOnly);
            out[stem].insert(f.completeBaseName().mid(stem.size() + 1), parseCsv(file.readAll()));
        }
    }
    return out;
}

inline QString csvCell(const QList<QStringList>& rows, int row, int col)
{
    if (row < 0 || row >= rows.size() || col < 0 || col >= rows[row].size()) return QString();
    return rows[row][col];
}

} // namespace checkers
