#include "register/ApplicationForms.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "data/Paths.h"
#include "documents/RtfTemplate.h"
#include "engine/Database.h"
#include "engine/ResultSet.h"
#include "register/DocumentRefusal.h"

#include <QFile>
#include <QFileInfo>

namespace hestavo {

namespace {

const QString kTitle = QStringLiteral("Cerere/Ancheta");
const QString kDash = QStringLiteral("-");

// The application editor's code lists, in the order of the form's boxes.
const QStringList kSchoolingCodes{"FS", "G", "M", "S"};
const QStringList kCivilCodes{"C", "N", "UC", "DF", "V", "D"};
const QStringList kOccupationCodes{"salariat", "pensionar", "somer", "student", "independent", "lucrator agricol",
                                   "lucrator ocazional", "elev"};

// Rows of the forms' member tables; the rest prints as dashes.
constexpr int kAdultRows = 16;
constexpr int kChildRows = 17;

struct Member {
    QString name, cnp, income;
};

// The application's members of a role, in the table's order or by name.
std::vector<Member> Members(qint64 application, const char* role, bool byName)
{
    std::vector<Member> members;
    QStringList statement{"SELECT * FROM " + quotedTable(QStringLiteral("Oameni.dbf")),
                          "WHERE NRCRT=" + QString::number(application) + " AND CALITATE=\"" + QString::fromLatin1(role)
                              + "\""};
    if (byName)
        statement << QStringLiteral("ORDER BY TITULAR");
    auto rs = Db().open(sqlLines(statement));
    for (rs->first(); !rs->eof(); rs->next())
        members.push_back({RowText(*rs, "TITULAR"), RowText(*rs, "CNP"), RowText(*rs, "VENIT")});
    return members;
}

// "X" in the box whose position is the code's in its list, " " in the others.
void AddBoxes(PageTags& tags, const char* prefix, const QStringList& codes, const QString& code)
{
    for (int i = 0; i < codes.size(); ++i)
        tags.emplace_back(QStringLiteral("[%1%2]").arg(QString::fromLatin1(prefix)).arg(i + 1),
                          codes[i].compare(code, Qt::CaseInsensitive) == 0 ? QStringLiteral("X") : QStringLiteral(" "));
}

QString Mark(bool ticked) { return ticked ? QStringLiteral("X") : QStringLiteral(" "); }

// One member's row: names, CNP and (for adults) income; dashes when absent.
void AddMember(PageTags& tags, const QString& suffix, const Member* m, bool withIncome)
{
    const NameParts name = m ? SplitName(m->name, OneWordName::IsFamilyName) : NameParts{kDash, kDash};
    tags.emplace_back("[NUME" + suffix + "]", name.family);
    tags.emplace_back("[PRENUME" + suffix + "]", name.given);
    tags.emplace_back("[CNP" + suffix + "]", m ? m->cnp : kDash);
    if (withIncome)
        tags.emplace_back("[VENIT" + suffix + "]", m ? m->income : kDash);
}

void AddMemberRows(PageTags& tags, const char* prefix, const std::vector<Member>& members, int rows, bool withIncome)
{
    const int count = std::max(rows, int(members.size()));
    for (int k = 0; k < count; ++k)
        AddMember(tags, QString::fromLatin1(prefix) + QString::number(k + 1),
                  k < int(members.size()) ? &members[std::size_t(k)] : nullptr, withIncome);
}

QString Warning(const char* line)
{
    return "ATENTIE!!\r" + QString::fromLatin1(line);
}

void AddApplicationTags(PageTags& tags, const engine::ResultSet& rs, const AdminSettings& s, const QDate& today)
{
    const NameParts holder = SplitName(RowText(rs, "TITULAR"), OneWordName::IsFamilyName);
    tags.insert(tags.end(), {
        {"[UAT]", s.primaria},
        {"[NR_CERE]", RowText(rs, "NR_CERE")},
        {"[DATAAZI]", today.toString(QStringLiteral("dd.MM.yyyy"))},
        {"[DATACERE]", RowDate(rs, "DATACERE")},
        {"[NUME]", holder.family},
        {"[PRENUME]", holder.given},
        {"[CNP]", RowText(rs, "CNP")},
        {"[ADRESA]", RowText(rs, "ADRESA")},
        {"[LOCALITATEA]", RowText(rs, "LOCALIT")},
        {"[JUDET]", s.judet},
    });
    AddBoxes(tags, "S", kSchoolingCodes, RowText(rs, "SITSCOL"));
    AddBoxes(tags, "C", kCivilCodes, RowText(rs, "STCIV"));
    AddBoxes(tags, "P", kOccupationCodes, RowText(rs, "SITPROF"));
    const bool cheque = RowText(rs, "MODPLATA") == "CEC";
    const QString aid = RowText(rs, "CUAJUT");
    double supplements = 0;
    for (const char* column : {"SUMAL", "SUMAG", "SUMAE", "SUMAT"})
        supplements += rs.number(column);
    tags.insert(tags.end(), {
        {"[TVENIT]", QString::number(rs.number("TVENIT"), 'f', 2)},
        {"[VENITM]", QString::number(rs.number("VENITM"), 'f', 2)},
        {"[M1]", Mark(cheque)},
        {"[M2]", Mark(!cheque)},
        {"[NUMET]", RowText(rs, "TITULAR")},
        {"[AI]", aid.isEmpty() ? QStringLiteral(" ") : aid},
        {"[SU]", Mark(supplements > 0)},
        {"[SL]", Mark(rs.number("SUMAL") > 0)},
        {"[SG]", Mark(rs.number("SUMAG") > 0)},
        {"[SE]", Mark(rs.number("SUMAE") > 0)},
        {"[ST]", Mark(rs.number("SUMAT") > 0)},
    });
    for (const char* column : {"FURNT", "FURNG", "FURNE", "CODCLT", "CODCLG", "CODCLE", "PODG", "PODE"})
        tags.emplace_back("[" + QString::fromLatin1(column) + "]", " " + RowText(rs, column));
    const qint64 children = qint64(rs.number("COPII14")) + qint64(rs.number("COPII18"));
    tags.emplace_back(QStringLiteral("[NR_MEMBRI]"), QString::number(qint64(rs.number("NR_MEMBRI")) - children));
    tags.emplace_back(QStringLiteral("[NR_COPII]"), QString::number(children));
    tags.emplace_back(QStringLiteral("[TITULAR]"), RowText(rs, "TITULAR"));
}

QString TemplateOf(FormKind kind, std::size_t children)
{
    switch (kind) {
    case FormKind::Full:
        return children > 4 ? QStringLiteral("ModCerere10c.rtf") : QStringLiteral("ModCerere.rtf");
    case FormKind::Short:
        return QStringLiteral("ModCerereS.rtf");
    case FormKind::Inquiry:
        break;
    }
    return QStringLiteral("ModelAncheta2.rtf");
}

} // namespace

NameParts SplitName(const QString& full, OneWordName oneWord)
{
    const qsizetype space = full.indexOf(' ');
    if (space < 0)
        return oneWord == OneWordName::IsFamilyName ? NameParts{full, QString()} : NameParts{QString(), full};
    return {full.left(space), full.mid(space + 1)};
}

QString FormFile(FormKind kind, qint64 application)
{
    const char* prefix = kind == FormKind::Full ? "C" : kind == FormKind::Short ? "CS" : "A";
    return paths().dataFolder + "/" + QString::fromLatin1(prefix) + QString::number(application) + ".rtf";
}

FormContent ComposeForm(FormKind kind, qint64 application, const AdminSettings& settings, const QDate& today)
{
    FormContent form;
    {
        auto rs = Db().open(sqlLines({"SELECT * FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                      "WHERE NRCRT=" + QString::number(application)}));
        if (rs->isEmpty())
            throw DocumentRefusal(kTitle, QStringLiteral("\rCererea nu mai exista in registru!"));
        rs->first();
        AddApplicationTags(form.tags, *rs, settings, today);
    }
    form.tags.emplace_back(QStringLiteral("[INTOCMIT]"), settings.intocmit);
    const std::vector<Member> beneficiary = Members(application, "beneficiar", false);
    const std::vector<Member> partner = Members(application, "partener", false);
    const std::vector<Member> adults = Members(application, "adult", true);
    const std::vector<Member> children = Members(application, "copil", true);
    AddMember(form.tags, QStringLiteral("B"), beneficiary.empty() ? nullptr : &beneficiary.front(), true);
    AddMember(form.tags, QStringLiteral("P"), partner.empty() ? nullptr : &partner.front(), true);
    AddMemberRows(form.tags, "A", adults, kAdultRows, true);
    AddMemberRows(form.tags, "C", children, kChildRows, false);
    form.templateFile = TemplateOf(kind, children.size());
    if (adults.size() > 4)
        form.warnings << Warning("Sunt mai mult de patru adulti!\rVerificati adultii de pe formular!");
    if (children.size() > 10)
        form.warnings << Warning("Sunt mai mult de zece copii!\rVerificati copiii de pe formular!");
    if (adults.size() > 4)
        form.warnings << Warning("Sunt mai mult de patru Alte pers.indreptatite!\rVerificati Alte persoane indreptatite!");
    return form;
}

FormOutcome PrepareForm(FormKind kind, qint64 application, const AdminSettings& settings, const QDate& today)
{
    FormOutcome outcome;
    outcome.path = FormFile(kind, application);
    if (QFileInfo::exists(outcome.path))
        return outcome;
    const FormContent form = ComposeForm(kind, application, settings, today);
    const QString partial = outcome.path + ".part";
    documents::RtfTemplate rtf;
    BeginFromTemplate(rtf, form.templateFile, partial, kTitle);
    try {
        for (const auto& [tag, value] : form.tags)
            rtf.AddTag(tag, value);
        rtf.AppendBodyToMarker(QStringLiteral("terminoiu"));
        rtf.EndDocument();
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, outcome.path)) {
        QFile::remove(partial);
        throw DocumentRefusal(kTitle, QStringLiteral("Nu pot scrie pe harddisk!"));
    }
    outcome.written = true;
    outcome.warnings = form.warnings;
    return outcome;
}

} // namespace hestavo
