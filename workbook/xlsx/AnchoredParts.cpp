#include "workbook/xlsx/AnchoredParts.h"

#include <QRegularExpression>

namespace workbook::xlsx {

namespace {

QString attribute(const QString& tag, const char* name)
{
    QRegularExpression re(QStringLiteral("\\s%1=\"([^\"]*)\"").arg(QLatin1String(name)));
    return re.match(tag).captured(1);
}

// Resolves a relationship target against the folder of the part holding it.
QString resolve(const QString& part, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList path = part.split(QLatin1Char('/'));
    path.removeLast();
    for (const QString& seg : target.split(QLatin1Char('/'))) {
        if (seg == QLatin1String("..")) { if (!path.isEmpty()) path.removeLast(); }
        else if (seg != QLatin1String(".")) path.append(seg);
    }
    return path.join(QLatin1Char('/'));
}

// Replaces capture group `group` of every match by edit(captured text).
QString replaceEach(const QString& text, const QRegularExpression& re, int group,
                    const std::function<QString(const QString&)>& edit)
{
    QString out;
    qsizetype last = 0;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        auto m = it.next();
        out += text.mid(last, m.capturedStart(group) - last);
        out += edit(m.captured(group));
        last = m.capturedEnd(group);
    }
    out += text.mid(last);
    return out;
}

QString shiftDrawing(const QString& xml, const RowShift& s)
{
    static const QRegularExpression row(QStringLiteral(
        "<([A-Za-z0-9_]+:)?(from|to)>(?:(?!</([A-Za-z0-9_]+:)?(from|to)>).)*?<([A-Za-z0-9_]+:)?row>(\\d+)<"),
        QRegularExpression::DotMatchesEverythingOption);
    return replaceEach(xml, row, 6, [&s](const QString& r) { return QString::number(std::min(MaxRow, s.moveRow(r.toInt()))); });
}

QString shiftComments(const QString& xml, const RowShift& s)
{
    static const QRegularExpression ref(QStringLiteral("<([A-Za-z0-9_]+:)?comment\\b[^>]*?\\sref=\"([^\"]*)\""));
    return replaceEach(xml, ref, 2, [&s](const QString& r) {
        int row, col;
        if (!parseCellRef(r, row, col)) return r;
        return cellRef(std::min(MaxRow, s.moveRow(row)), col);
    });
}

QString shiftVml(const QString& xml, const RowShift& s)
{
    static const QRegularExpression row(QStringLiteral("<x:Row>\\s*(\\d+)\\s*</x:Row>"));
    QString out = replaceEach(xml, row, 1, [&s](const QString& r) { return QString::number(std::min(MaxRow, s.moveRow(r.toInt()))); });
    // x:Anchor: left column, offset, top row, offset, right column, offset, bottom row, offset.
    static const QRegularExpression anchor(QStringLiteral("<x:Anchor>([^<]*)</x:Anchor>"));
    return replaceEach(out, anchor, 1, [&s](const QString& a) {
        QStringList parts = a.split(QLatin1Char(','));
        if (parts.size() != 8) return a;
        for (int i : {2, 6}) {
            const int r = parts[i].trimmed().toInt();
            parts[i] = QLatin1Char(' ') + QString::number(std::min(MaxRow, s.moveRow(r)));
        }
        parts[0] = parts[0].trimmed();
        return parts.join(QLatin1Char(','));
    });
}

} // namespace

QList<QPair<QString, QString>> relatedParts(const Package& package, const QString& part)
{
    const int slash = int(part.lastIndexOf(QLatin1Char('/')));
    const QString rels = part.left(slash) + QStringLiteral("/_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
    QList<QPair<QString, QString>> out;
    if (!package.contains(rels))
        return out;
    static const QRegularExpression rel(QStringLiteral("<([A-Za-z0-9_]+:)?Relationship\\b[^>]*>"));
    auto it = rel.globalMatch(QString::fromUtf8(package.part(rels)));
    while (it.hasNext()) {
        const QString tag = it.next().captured(0);
        if (attribute(tag, "TargetMode") == QLatin1String("External"))
            continue;
        const QString type = attribute(tag, "Type");
        out.append({type.mid(type.lastIndexOf(QLatin1Char('/')) + 1), resolve(part, attribute(tag, "Target"))});
    }
    return out;
}

void shiftAnchoredParts(Package& package, const QString& sheetPart, const RowShift& shift)
{
    for (const auto& [type, part] : relatedParts(package, sheetPart)) {
        if (!package.contains(part))
            continue;
        const QString xml = QString::fromUtf8(package.part(part));
        QString changed;
        if (type == QLatin1String("drawing")) changed = shiftDrawing(xml, shift);
        else if (type == QLatin1String("comments")) changed = shiftComments(xml, shift);
        else if (type == QLatin1String("vmlDrawing")) changed = shiftVml(xml, shift);
        else continue;
        if (changed != xml)
            package.setPart(part, changed.toUtf8());
    }
}

} // namespace workbook::xlsx
