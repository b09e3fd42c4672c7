#include "register/VerificationSheet.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "engine/Database.h"
#include "engine/ResultSet.h"
#include "register/ApplicationForms.h"
#include "register/DocumentRefusal.h"
#include "register/DocumentRows.h"

namespace hestavo {

namespace {

const QString kTitle = QStringLiteral("Fisa de verificare");

std::unique_ptr<engine::ResultSet> Application(qint64 application)
{
    auto rs = Db().open(sqlLines({"SELECT * FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                  "WHERE NRCRT=" + QString::number(application)}));
    if (rs->isEmpty())
        throw DocumentRefusal(kTitle, QStringLiteral("\rCererea nu mai exista in registru!"));
    rs->first();
    return rs;
}

QString Day(const QDate& date) { return date.toString(QStringLiteral("dd.MM.yyyy")); }

} // namespace

QString VerificationPeriod(const QDate& from, const QDate& to) { return Day(from) + " - " + Day(to); }

QDate ApplicationDate(qint64 application)
{
    return QDate::fromString(RowDate(*Application(application), "DATACERE"), QStringLiteral("dd.MM.yyyy"));
}

void WriteVerificationSheet(const VerificationSheetInput& input, const AdminSettings& settings, const QDate& today,
                            const QString& output)
{
    PageTags tags;
    {
        const auto rs = Application(input.application);
        // A one-word name is printed as the first names here.
        const NameParts holder = SplitName(RowText(*rs, "TITULAR"), OneWordName::IsGivenName);
        tags = {
            {"[NRC]", RowText(*rs, "NR_CERE")},
            {"[DATAC]", RowDate(*rs, "DATACERE")},
            {"[DATAF]", Day(today)},
            {"[NUMES]", holder.family},
            {"[PRENUMES]", holder.given},
        };
    }
    const NameParts op = SplitName(settings.intocmit, OneWordName::IsGivenName);
    tags.insert(tags.end(), {
        {"[OPERATOR]", settings.intocmit},
        {"[NUMEOP]", op.family},
        {"[PRENUMEOP]", op.given},
        {"[PERIOADA]", VerificationPeriod(input.from, input.to)},
        {"[PRIMARIA]", LocalityGenitive(settings.tiploc) + settings.primaria},
    });
    WritePages(QStringLiteral("FisaV.rtf"), output, {tags}, kTitle);
}

} // namespace hestavo
