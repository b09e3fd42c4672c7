#include "register/DocumentRows.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "documents/RtfTemplate.h"
#include "documents/TemplateStore.h"
#include "engine/ResultSet.h"
#include "register/AdminSettings.h"
#include "register/DocumentRefusal.h"

#include <QFileInfo>

namespace hestavo {

QString RowText(const engine::ResultSet& rs, const char* column) { return QString::fromStdString(rs.text(column)); }

QString RowDate(const engine::ResultSet& rs, const char* column)
{
    const auto d = rs.date(column);
    return d && d->isValid() ? QString::fromStdString(d->toText()) : QString();
}

QString RowWhole(const engine::ResultSet& rs, const char* column) { return QString::number(qint64(rs.number(column))); }

FormOfAddress AddressFor(const QString& cnp)
{
    const QChar digit = cnp.trimmed().isEmpty() ? QChar() : cnp.trimmed().at(0);
    if (QStringLiteral("1357").contains(digit) && !digit.isNull())
        return {QStringLiteral("domnul"), QStringLiteral("domnului")};
    if (QStringLiteral("2468").contains(digit) && !digit.isNull())
        return {QStringLiteral("doamna"), QStringLiteral("doamnei")};
    return {QStringLiteral("domnul/doamna"), QStringLiteral("domnului/doamnei")};
}

QString Salutation(const QString& cnp) { return AddressFor(cnp).dative; }

PageTags UnitKindTags(int tiploc)
{
    const UnitKindNames kind = UnitKind(tiploc);
    return {
        {"[TIPLOCNOM]", kind.nominative.toUpper()},
        {"[TIPLOCGEN]", kind.genitive.toUpper()},
        {"[locnom]", kind.nominative},
        {"[locgen]", kind.genitive},
    };
}

void BeginFromTemplate(documents::RtfTemplate& rtf, const QString& templateFile, const QString& output,
                       const QString& title)
{
    const EditableTemplate* entry = FindEditableTemplate(templateFile);
    const QString model = entry ? EditableTemplatePath(*entry) : templateFile;
    if (!entry || !QFileInfo::exists(model))
        throw DocumentRefusal(title, "Nu exista modelul " + model + "!");
    if (TemplateIsOpen(output))
        throw DocumentRefusal(title, QStringLiteral("Nu pot scrie pe harddisk!"));
    rtf.setRTFSursa(model);
    rtf.setRTFDest(output);
    if (!rtf.BeginDocument())
        throw DocumentRefusal(title, QStringLiteral("Nu pot scrie pe harddisk!"));
}

void WritePages(const QString& templateFile, const QString& output, const std::vector<PageTags>& pages,
                const QString& title)
{
    documents::RtfTemplate rtf;
    BeginFromTemplate(rtf, templateFile, output, title);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        rtf.ClearTags();
        for (const auto& [tag, value] : pages[i])
            rtf.AddTag(tag, value);
        rtf.AppendBody(1);
        if (i + 1 < pages.size())
            rtf.AppendPageBreak();
    }
    rtf.EndDocument();
}

} // namespace hestavo
