// Settings of the database ("Hestavo.set" in the data folder), of the machine
// (section "92" of the machine settings file) and of the installation
// ("Local.set"), the key counters of section "INDEX", and the number text used
// in them. Reads never fail (a missing file or key reads as empty or 0);
// writes throw SettingsError when the file cannot be written.
#pragma once

#include <QByteArray>
#include <QString>

#include "data/IniFile.h"

// Fixed-point numbers: a count of ten-thousandths.
constexpr qint64 kFixedOne = 10000;

// "1.0098", "20", "-0.5": "." as separator, no thousands separator, no
// trailing zeros.
QString formatFixed(qint64 value);
// Decimal text (surrounding blanks allowed) to fixed point, rounded to the
// nearest ten-thousandth; 0 when empty or not a number.
qint64 parseFixed(const QString& text);
// An amount as the clerk reads and types it in a money field: "1234,56",
// the Romanian comma as separator. parseAmount also takes the "." and is
// otherwise parseFixed; the settings and tables keep formatFixed's text.
QString formatAmount(qint64 value);
// A count for the clerk, thousands grouped with ".": "1.375".
QString formatCount(qint64 value);
qint64 parseAmount(const QString& text);

QString ReadSetting(const QString& section, const QString& key);
void WriteSetting(const QString& section, const QString& key, const QString& text);
qint64 ReadSettingNumber(const QString& section, const QString& key);
void WriteSettingNumber(const QString& section, const QString& key, qint64 value);
// The exact bytes of a value (the password digest is a byte string).
QByteArray ReadSettingBytes(const QString& section, const QString& key);
void WriteSettingBytes(const QString& section, const QString& key, const QByteArray& value);

QString ReadMachineSetting(const QString& key);
void WriteMachineSetting(const QString& key, const QString& text);

QString ReadLocalSetting(const QString& section, const QString& key);
void WriteLocalSetting(const QString& section, const QString& key, const QString& text);

// The same on any INI file (the start-up uses the file of the executable's own
// "Data" folder and the machine file's probe section).
QString readIniText(const QString& file, const QString& section, const QString& key);
void writeIniText(const QString& file, const QString& section, const QString& key, const QString& text);
qint64 readIniNumber(const QString& file, const QString& section, const QString& key);
void writeIniNumber(const QString& file, const QString& section, const QString& key, qint64 value);

// Default automatic-save folder: when the machine setting CALESALVARI is
// empty, the first of D:\Salvari_Date .. G:\Salvari_Date that exists or can be
// created (elsewhere than Windows: ~/Salvari_Date) is written there. Returns
// the folder to use in this run, "-" (nothing written) when none works.
QString DefaultSaveFolder();

// Key counters of section "INDEX". NextKey reads the counter (0 or absent
// counts as 1), writes that value + 1 and returns the value read, all under an
// exclusive lock of the settings file, so two workstations sharing a network
// database never receive the same key. With a count, reserves that many
// consecutive keys in one locked step and returns the first of them.
qint64 NextKey(const QString& name, qint64 count = 1);
qint64 PeekKey(const QString& name);
void SetKey(const QString& name, qint64 value);
