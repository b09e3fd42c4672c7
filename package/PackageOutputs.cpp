#include "package/PackageOutputs.h"

#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "documents/OutputError.h"
#include "documents/PaymentList.h"
#include "documents/TreasuryReport.h"
#include "package/PackageLayout.h"
#include "register/WorkingMonths.h"
#include "reports/AjpisReport.h"
#include "reports/AnpisExport.h"
#include "reports/CountyReport.h"
#include "reports/F2201Export.h"
#include "reports/SupplierReports.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cmath>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Pachet lunar");

class OutputsWriter {
public:
    OutputsWriter(const PackageRequest& request, const AdminSettings& settings, const QString& folder,
                  const PackageProgress& progress)
        : m_request(request), m_settings(settings), m_root(folder), m_progress(progress)
    {
    }

    QList<PackageFile> writeAll()
    {
        ajpis();
        if (m_settings.judet.trimmed() == QLatin1String("BACAU"))
            county();
        anpis();
        f2201();
        treasury();
        suppliers();
        return m_files;
    }

private:
    void step(const QString& text) const
    {
        if (m_progress)
            m_progress(text.trimmed());
    }
    QString subfolder(const QString& name) const
    {
        const QString path = m_root.filePath(name);
        if (!QDir().mkpath(path))
            throw OutputError(kHeading, "Nu pot crea directorul " + QDir::toNativeSeparators(path) + "!");
        return path;
    }
    void add(const QString& path, const QString& recipient, int rows, std::optional<qint64> cents)
    {
        m_files << PackageFile{m_root.relativeFilePath(path), recipient, rows, cents, 0, {}};
    }
    static qint64 Cents(double amount) { return std::llround(amount * 100); }

    void ajpis()
    {
        struct Progress : AjpisProgress {
            const OutputsWriter* writer;
            void stage(const QString& text, bool) override { writer->step("AJPIS: " + text.trimmed()); }
        } progress;
        progress.writer = this;
        step(QStringLiteral("AJPIS: anexele lunii"));
        const int month = MonthToSerial(m_request.workingMonth);
        const QString folder = subfolder(kPackageAjpis);
        const AjpisOutcome outcome = WriteAjpisReport({m_request.workingMonth, month, month, folder}, m_settings, &progress);
        for (const AjpisFile& f : outcome.files)
            add(QDir(folder).filePath(f.name), QStringLiteral("AJPIS"), f.rows, Cents(f.total));
    }

    // The county variant, named for the month of the payment date.
    void county()
    {
        const QString folder = subfolder(kPackageCounty);
        const PaymentMonth month{CalendarMonths().at(m_request.paymentDate.month() - 1), m_request.paymentDate.year()};
        const CountyOutcome outcome =
            WriteCountyReport(m_request.workingMonth, month, folder, m_settings,
                              [this](const QString& text, bool) { step("AJPIS - BACAU: " + text.trimmed()); });
        for (const CountyAnnexFiles& a : outcome.written) {
            const qint64 cents = std::llround(a.total.toDouble() * 100);
            add(a.workbook, QStringLiteral("AJPIS"), a.rows, cents);
            add(a.csv, QStringLiteral("AJPIS"), a.rows, cents);
        }
    }

    void anpis()
    {
        step(QStringLiteral("ANPIS: fisierul XML"));
        const AnpisOutcome outcome = WriteAnpisXml(m_request.workingMonth, subfolder(kPackageAnpis));
        add(outcome.file, QStringLiteral("ANPIS"), outcome.applications, std::nullopt);
    }

    void f2201()
    {
        step(QStringLiteral("ANAF: formularele F2201"));
        const QList<F2201Person> persons = F2201Persons(m_request.workingMonth);
        if (persons.isEmpty())
            throw OutputError(kHeading, QStringLiteral("Nu aveti nicio persoana pe luna curenta!"));
        const F2201Outcome outcome = WriteF2201Files(persons, subfolder(kPackageAnaf), QDateTime::currentDateTime());
        for (const QString& file : outcome.files)
            add(file, QStringLiteral("ANAF"), CountElements(file, "<persoane "), std::nullopt);
    }

    static int CountElements(const QString& file, const QByteArray& start)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? int(f.readAll().count(start)) : 0;
    }

    void treasury()
    {
        step(QStringLiteral("Trezorerie: fisierul de plata si anexele"));
        const int month = MonthToSerial(m_request.workingMonth);
        const TreasuryResult result = MakeTreasuryReport(
            month, {m_request.paymentDate, m_request.account073, m_request.account074, PaymentSelection{}}, m_root.path());
        for (const TreasuryFile& f : result.files)
            add(f.path, QStringLiteral("Trezorerie"), f.records, f.cents);
        step(QStringLiteral("Trezorerie: statul de plata"));
        const QString period = ReadSetting(QStringLiteral("CONST"), QStringLiteral("PERSTAT"));
        const PaymentListResult list = MakePaymentList(month, {PaymentSelection{}, period});
        const QString target = QDir(result.folder).filePath(kPackagePaymentList);
        QString error;
        if (!MoveFileByCopy(list.file, target, &error))
            throw OutputError(kHeading, "Nu pot scrie " + QDir::toNativeSeparators(target) + ": " + error);
        add(target, QStringLiteral("Trezorerie"), list.sheets[0].rows,
            list.sheets[0].totalCents + list.sheets[0].supplementCents);
    }

    void suppliers()
    {
        step(QStringLiteral("Furnizori: anexele 15 si 16"));
        const QString folder = subfolder(kPackageSuppliers);
        const QList<SupplierReportFile> files = WriteSupplierAnnexes(m_request.workingMonth, folder);
        for (const SupplierReportFile& f : files)
            add(f.path, QStringLiteral("Furnizori"), f.rows, Cents(f.total));
        if (files.isEmpty())
            QDir().rmdir(folder);
    }

    const PackageRequest& m_request;
    const AdminSettings& m_settings;
    const QDir m_root;
    const PackageProgress& m_progress;
    QList<PackageFile> m_files;
};

} // namespace

QList<PackageFile> WriteRecipientOutputs(const PackageRequest& request, const AdminSettings& settings,
                                         const QString& packageFolder, const PackageProgress& progress)
{
    return OutputsWriter(request, settings, packageFolder, progress).writeAll();
}

} // namespace hestavo
