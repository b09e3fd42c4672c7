#include "bench/backup/DemoDataFolder.h"

#include "data/Paths.h"
#include "tools/demo-db/DemoDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <iterator>

namespace benchdata {

void UseProgramFolder(const QString& root, const QStringList& extraFolders)
{
    for (const QString& sub : QStringList{"Data", "Temp", "Sys", "Eng"} + extraFolders)
        QDir(root).mkpath(sub);
    AppPaths& p = paths();
    p = AppPaths();
    p.programFolder = p.exeFolder = root;
    p.dataFolder = p.localDataFolder = root + "/Data";
    p.tempFolder = root + "/Temp";
    p.systemFolder = root + "/Sys";
    p.enginePrivateFolder = root + "/Eng";
}

QByteArray RtfDocument(int targetBytes, quint32 seed)
{
    static const char* words[] = {
        "cerere", "ajutor", "pentru", "\\'eenc\\'e3lzirea", "locuin\\'feei", "cu", "lemne", "c\\'e3rbuni",
        "combustibili", "petrolieri", "beneficiar", "domiciliat", "\\'een", "localitatea", "strada", "nr.",
        "venitul", "net", "lunar", "pe", "membru", "de", "familie", "conform", "Legii", "nr.", "226/2021",
        "privind", "consumatorul", "vulnerabil", "energie", "dispozi\\'feia", "primarului", "se", "acord\\'e3",
        "suma", "lei", "luna", "noiembrie", "decembrie", "ianuarie", "februarie", "martie", "anexa", "tabel"};
    static const char* names[] = {"Popescu", "Ionescu", "\\'aaerban", "\\'deurcanu", "Munteanu", "Constantin",
                                  "Stoica", "Dumitru", "Marin", "Georgescu", "Ion", "Maria", "Elena", "Vasile"};
    QRandomGenerator rng(seed);
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1048{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman;}"
                     "{\\f1\\fswiss\\fcharset238 Arial;}}\r\n{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                     "{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\f0\\fs24 Normal;}{\\s1\\qc\\b\\f1\\fs28 heading 1;}}\r\n";
    const bool picture = seed % 4 == 0;
    while (rtf.size() < targetBytes) {
        switch (rng.bounded(picture ? 4 : 3)) {
        case 0: { // paragraph
            rtf += "\\pard\\plain\\s0\\qj\\fi720\\sl360\\slmult1\\f0\\fs24 ";
            const int n = 40 + rng.bounded(80);
            for (int i = 0; i < n; ++i) {
                rtf += words[rng.bounded(int(std::size(words)))];
                rtf += i % 17 == 16 ? ".\r\n" : " ";
            }
            rtf += "\\par\r\n";
            break;
        }
        case 1: // table row of a household member
            rtf += "\\trowd\\trgaph70\\trleft-70\\clbrdrt\\brdrs\\brdrw10 \\cellx2000\\clbrdrt\\brdrs\\brdrw10 "
                   "\\cellx5000\\clbrdrt\\brdrs\\brdrw10 \\cellx7000\r\n\\pard\\intbl\\f1\\fs20 ";
            rtf += names[rng.bounded(int(std::size(names)))];
            rtf += ' ';
            rtf += names[rng.bounded(int(std::size(names)))];
            rtf += "\\cell " + QByteArray::number(1000000000000LL + rng.bounded(999999999)) + "\\cell "
                   + QByteArray::number(rng.bounded(5000)) + "." + QByteArray::number(rng.bounded(100))
                   + " lei\\cell\\row\r\n";
            break;
        case 2: // heading with a placeholder-like field
            rtf += "\\pard\\plain\\s1\\qc\\b\\f1\\fs28 ANEXA NR. " + QByteArray::number(rng.bounded(20))
                   + " - [NUME] [CNP]\\b0\\par\r\n";
            break;
        default: { // picture data: a gradient with noise, in hex lines of 128 digits
            rtf += "{\\*\\shppict{\\pict\\pngblip\\picw400\\pich300\\picwgoal6000\\pichgoal4500\r\n";
            for (int line = 0; line < 200; ++line) {
                QByteArray hex;
                for (int i = 0; i < 64; ++i)
                    hex += QByteArray::number((line + i + rng.bounded(8)) & 0xFF, 16).rightJustified(2, '0');
                rtf += hex + "\r\n";
            }
            rtf += "}}\r\n";
        }
        }
    }
    return rtf + "}\r\n";
}

qint64 MakeDemoDataFolder(const QString& folder)
{
    QDir().mkpath(folder);
    demodb::generate({folder.toStdString(), 7, 5000, 5});
    for (int i = 0; i < 40; ++i) {
        QFile doc(QDir(folder).filePath(QStringLiteral("C%1.rtf").arg(1000 + i)));
        doc.open(QIODevice::WriteOnly);
        doc.write(RtfDocument(150000, quint32(i)));
    }
    qint64 total = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        total += f.size();
    return total;
}

} // namespace benchdata
