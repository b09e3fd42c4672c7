// Commands of the remote backup service: the same operations as the window
// "Copie / Recupereaza date la Distanta", for scheduled copies. The account is
// taken from HESTAVO_REMOTE_EMAIL and HESTAVO_REMOTE_PASSWORD, else from the
// credentials remembered on this computer ("Memoreaza-mi datele"), so that
// the password never appears on a command line.
#include "tools/hestavo-cli/CliCommand.h"
#include "tools/hestavo-cli/CliDataFolder.h"

#include "backup/Archive.h"
#include "backup/RemoteBackup.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <memory>

using namespace cli;
using namespace backup;

namespace {

std::unique_ptr<RemoteBackupClient> client(CliContext& context)
{
    PrepareDataFolder(context);
    RemoteAccount account;
    account.email = qEnvironmentVariable("HESTAVO_REMOTE_EMAIL");
    account.password = qEnvironmentVariable("HESTAVO_REMOTE_PASSWORD");
    if (account.email.isEmpty())
        account.email = DecodeDigits(ReadLocalSetting(QStringLiteral("CONST"), QStringLiteral("EM")));
    if (account.password.isEmpty())
        account.password = DecodeDigits(ReadLocalSetting(QStringLiteral("CONST"), QStringLiteral("PS")));
    if (account.email.isEmpty() || account.password.isEmpty())
        throw CliFailure(QStringLiteral("Lipsesc adresa de email si parola contului de salvari la distanta."));
    account.town = ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA"));
    account.county = ReadSetting(QStringLiteral("SETARI"), QStringLiteral("JUDET"));
    auto c = std::make_unique<RemoteBackupClient>(RemoteSettings::fromMachineSettings(), account);
    c->progress = [&context](const QString& text, qint64, qint64) { context.progress(text); };
    return c;
}

// Prints the server's messages; throws with the error text of a failed request.
RemoteReply checked(RemoteReply reply)
{
    if (!reply.ok())
        throw CliFailure("Transmitere date: " + reply.error);
    if (reply.wrongPassword())
        throw CliFailure(QStringLiteral("Parola este incorecta!"));
    for (const QString& m : reply.messages())
        PrintLine("mesaj: " + m);
    return reply;
}

void printAccount(const RemoteReply& reply)
{
    PrintLine("confirmat: " + QString(reply.needsCode() ? "NU" : "DA"));
    PrintLine("creat: " + reply.reply.value("/DATAIN"));
    PrintLine("expira: " + reply.reply.value("/DATAEXP"));
}

void runInfo(CliContext& context, const QStringList&) { printAccount(checked(client(context)->info())); }

void runCode(CliContext& context, const QStringList& arguments)
{
    bool ok = false;
    const int code = arguments.value(0).toInt(&ok);
    if (!ok || arguments.value(0).size() >= 7)
        throw CliFailure(QStringLiteral("Cod incorect!"));
    const RemoteReply reply = checked(client(context)->checkCode(code));
    if (reply.needsCode())
        throw CliFailure(QStringLiteral("Codul introdus este incorect!"));
    printAccount(reply);
}

void runSend(CliContext& context, const QStringList& arguments)
{
    const auto c = client(context);
    QString archive = arguments.value(0);
    QString made;
    if (archive.isEmpty()) {
        // Without an archive: a copy of the data folder, as the window makes it.
        QString why;
        const QString snapshot = SnapshotDataFolder(&why);
        if (snapshot.isEmpty())
            throw CliFailure("Salvarea nu s-a facut! " + why);
        made = FreshTempFile(QStringLiteral("Srv"), QStringLiteral(".L21"));
        ClearTableIndexFlags(snapshot);
        WriteArchive(snapshot, made);
        DeleteFolderTree(snapshot);
        archive = made;
    } else if (!QFileInfo(archive).isFile()) {
        throw CliFailure("Nu exista fisierul " + archive);
    }
    const RemoteReply reply = c->sendArchive(archive, arguments.mid(1).join(u' '));
    if (!made.isEmpty())
        QFile::remove(made);
    const QString id = checked(reply).reply.value("/OK");
    if (id.isEmpty())
        throw CliFailure(QStringLiteral("Salvarea nu s-a facut! Serverul nu a confirmat salvarea."));
    PrintLine("salvare: " + id);
}

void runList(CliContext& context, const QStringList&)
{
    const RemoteReply reply = checked(client(context)->list());
    auto rows = Db().open(sqlLines({QStringLiteral("SELECT IDSTOC, DATAORA, OBS"), "FROM " + quotedPath(reply.files[0])}));
    for (; !rows->eof(); rows->next()) {
        const QDateTime when =
            QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(qint64(rows->number("DATAORA") * 86400000.0 + 0.5));
        PrintLine(QString::fromStdString(rows->text("IDSTOC")) + "\t" + when.toString("dd.MM.yyyy HH:mm:ss") + "\t"
                  + QString::fromStdString(rows->text("OBS")));
    }
    QFile::remove(reply.files[0]);
}

void runFetch(CliContext& context, const QStringList& arguments)
{
    const QString target = arguments.value(1);
    const RemoteReply reply = checked(client(context)->fetch(arguments.value(0)));
    QFile::remove(target);
    if (!QFile::rename(reply.files[0], target) && !QFile::copy(reply.files[0], target))
        throw CliFailure("Nu pot scrie fisierul " + QDir::toNativeSeparators(target));
    QFile::remove(reply.files[0]);
    PrintLine("fisier: " + QDir::toNativeSeparators(target));
}

void runDelete(CliContext& context, const QStringList& arguments)
{
    PrintLine("sters: " + checked(client(context)->remove(arguments.value(0))).reply.value("/OK"));
}

void withArguments(const CliCommand& command, int minimum, int maximum,
                   void (*run)(CliContext&, const QStringList&), CliContext& context, const QStringList& arguments)
{
    ExpectArguments(command, arguments, minimum, maximum);
    run(context, arguments);
}

CliCommand command(const char* name, const char* usage, const char* summary, int minimum, int maximum,
                   void (*run)(CliContext&, const QStringList&))
{
    CliCommand c{QString::fromLatin1(name), QString::fromLatin1(usage), QString::fromLatin1(summary), {}};
    c.run = [c, minimum, maximum, run](CliContext& context, const QStringList& arguments) {
        withArguments(c, minimum, maximum, run, context, arguments);
    };
    return c;
}

const CliRegistration info{command("remote info", "", "contul de salvari la distanta", 0, 0, runInfo)};
const CliRegistration code{command("remote code", "COD", "confirma contul cu codul primit pe email", 1, 1, runCode)};
const CliRegistration send{command("remote send", "[ARHIVA.L21 [OBSERVATII...]]",
                                   "trimite o salvare (fara arhiva: datele curente)", 0, 100, runSend)};
const CliRegistration list{command("remote list", "", "salvarile pastrate pe server", 0, 0, runList)};
const CliRegistration fetch{command("remote fetch", "ID FISIER", "descarca o salvare", 2, 2, runFetch)};
const CliRegistration remove{command("remote delete", "ID", "sterge o salvare de pe server", 1, 1, runDelete)};

} // namespace
