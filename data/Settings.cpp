#include "data/Settings.h"

#include "data/Cp1250.h"
#include "data/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <stdexcept>
#include <cstdlib>

QString formatFixed(qint64 value)
{
    const bool negative = value < 0;
    const quint64 abs = negative ? quint64(0) - quint64(value) : quint64(value);
    QString text = QString::number(abs / quint64(kFixedOne));
    quint64 frac = abs % quint64(kFixedOne);
    if (frac) {
        QString digits = QString::number(frac).rightJustified(4, '0');
        while (digits.endsWith('0'))
            digits.chop(1);
        text += '.' + digits;
    }
    return negative ? '-' + text : text;
}

qint64 parseFixed(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 9.0e14)
        return 0;
    return std::llround(v * double(kFixedOne));
}

QString formatCount(qint64 value)
{
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u'.');
    return value < 0 ? '-' + digits : digits;
}

QString formatAmount(qint64 value) { return formatFixed(value).replace(u'.', u','); }

qint64 parseAmount(const QString& text) { return parseFixed(QString(text).replace(u',', u'.')); }

QString readIniText(const QString& file, const QString& section, const QString& key)
{
    return fromCp1250(ini::read(file, section, key).value_or(QByteArray()));
}

void writeIniText(const QString& file, const QString& section, const QString& key, const QString& text)
{
    ini::write(file, section, key, toCp1250(text));
}

qint64 readIniNumber(const QString& file, const QString& section, const QString& key)
{
    return parseFixed(readIniText(file, section, key));
}

void writeIniNumber(const QString& file, const QString& section, const QString& key, qint64 value)
{
    writeIniText(file, section, key, formatFixed(value));
}

QString ReadSetting(const QString& section, const QString& key) { return readIniText(settingsFile(), section, key); }
void WriteSetting(const QString& section, const QString& key, const QString& text) { writeIniText(settingsFile(), section, key, text); }
qint64 ReadSettingNumber(const QString& section, const QString& key) { return readIniNumber(settingsFile(), section, key); }
void WriteSettingNumber(const QString& section, const QString& key, qint64 value) { writeIniNumber(settingsFile(), section, key, value); }

QByteArray ReadSettingBytes(const QString& section, const QString& key)
{
    return ini::read(settingsFile(), section, key).value_or(QByteArray());
}

void WriteSettingBytes(const QString& section, const QString& key, const QByteArray& value)
{
    ini::write(settingsFile(), section, key, value);
}

QString ReadMachineSetting(const QString& key) { return readIniText(machineSettingsFile(), QStringLiteral("92"), key); }
void WriteMachineSetting(const QString& key, const QString& text) { writeIniText(machineSettingsFile(), QStringLiteral("92"), key, text); }

QString ReadLocalSetting(const QString& section, const QString& key) { return readIniText(localSettingsFile(), section, key); }
void WriteLocalSetting(const QString& section, const QString& key, const QString& text) { writeIniText(localSettingsFile(), section, key, text); }

namespace {
qint64 counterValue(const std::optional<QByteArray>& raw)
{
    const qint64 v = raw ? parseFixed(fromCp1250(*raw)) / kFixedOne : 0;
    return v == 0 ? 1 : v;
}
} // namespace

qint64 NextKey(const QString& name, qint64 count)
{
    if (count < 1)
        throw std::invalid_argument("NextKey: count must be at least 1");
    qint64 taken = 0;
    ini::update(settingsFile(), QStringLiteral("INDEX"), name, [&](const std::optional<QByteArray>& raw) {
        taken = counterValue(raw);
        return QByteArray::number(taken + count);
    });
    return taken;
}

qint64 PeekKey(const QString& name)
{
    return counterValue(ini::read(settingsFile(), QStringLiteral("INDEX"), name));
}

void SetKey(const QString& name, qint64 value)
{
    ini::write(settingsFile(), QStringLiteral("INDEX"), name, QByteArray::number(value));
}

QString DefaultSaveFolder()
{
    const QString current = ReadMachineSetting(QStringLiteral("CALESALVARI"));
    if (!current.trimmed().isEmpty())
        return current;
#ifdef Q_OS_WIN
    const QStringList candidates{"D:/Salvari_Date", "E:/Salvari_Date", "F:/Salvari_Date", "G:/Salvari_Date"};
#else
    const QStringList candidates{QDir::homePath() + "/Salvari_Date"};
#endif
    for (const QString& c : candidates) {
        if (QFileInfo(c).isDir() || QDir().mkpath(c)) {
            const QString folder = QDir::toNativeSeparators(c);
            WriteMachineSetting(QStringLiteral("CALESALVARI"), folder);
            return folder;
        }
    }
    return QStringLiteral("-");
}
