#include "data/Months.h"

#include "data/Cp1250.h"
#include "data/IniFile.h"
#include "data/Paths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

int MonthToSerial(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{4})\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return 0;
    const int month = m.captured(1).toInt();
    const int year = m.captured(2).toInt();
    if (month < 1 || month > 12 || year < 1)
        return 0;
    return month + year * 12 - 1;
}

QString SerialToMonth(int serial)
{
    if (serial < 1)
        return QString();
    return QStringLiteral("%1.%2").arg(serial % 12 + 1, 2, 10, QLatin1Char('0')).arg(serial / 12);
}

QString MonthName(int month)
{
    static const char* const names[] = {"ianuarie", "februarie", "martie", "aprilie", "mai", "iunie",
                                        "iulie", "august", "septembrie", "octombrie", "noiembrie", "decembrie"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromLatin1(names[month - 1]);
}

QString CleanText(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('"'), QLatin1Char(' '));
    static const QRegularExpression spaces(QStringLiteral(" {2,}"));
    s.replace(spaces, QStringLiteral(" "));
    // Trimmed last, so that quotes at either end do not leave a blank behind.
    return s.trimmed();
}

QStringList readLineList(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw SettingsError("Nu pot citi fisierul " + QDir::toNativeSeparators(path).toStdString() + ": "
                            + file.errorString().toStdString());
    QStringList out;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            out << fromCp1250(line);
    }
    return out;
}

void writeLineList(const QString& path, const QStringList& lines)
{
    if (lines.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            throw SettingsError("Nu pot sterge fisierul " + QDir::toNativeSeparators(path).toStdString());
        return;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& l : lines)
            file.write(toCp1250(l) + "\r\n");
        if (file.commit())
            return;
    }
    throw SettingsError("Nu pot scrie fisierul " + QDir::toNativeSeparators(path).toStdString() + ": "
                        + file.errorString().toStdString());
}

QString monthListFile() { return findFileNoCase(paths().dataFolder, QStringLiteral("Luni.lst")); }
QString reasonListFile() { return findFileNoCase(paths().programFolder, QStringLiteral("Motive.lst")); }
QStringList ReadMonthList() { return readLineList(monthListFile()); }
void WriteMonthList(const QStringList& months) { writeLineList(monthListFile(), months); }
QStringList ReadReasonList() { return readLineList(reasonListFile()); }

bool AddReason(const QString& reason)
{
    if (reason.trimmed().isEmpty())
        return false;
    QStringList list = ReadReasonList();
    if (list.contains(reason))
        return false;
    list << reason;
    writeLineList(reasonListFile(), list);
    return true;
}
