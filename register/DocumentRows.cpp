#include "register/DocumentRows.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "documents/RtfTemplate.h"
#include "documents/TemplateStore.h"
#include "engine/ResultSet.h"
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

QString Salutation(const QString& cnp)
{
    return cnp.startsWith('1') || cnp.startsWith('5') ? QStringLiteral("domnului") : QStringLiteral("doamnei");
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
