#include "ui/register/GridExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace {

struct FormatItem {
    const char* caption;
    workbook::GridFormat format;
};

const FormatItem kFormats[] = {
    {"HTML", workbook::GridFormat::Html},      {"Excel", workbook::GridFormat::Excel},
    {"Word", workbook::GridFormat::Word},      {"Text", workbook::GridFormat::Text},
    {"CSV", workbook::GridFormat::Csv},        {"Tab (separat cu TAB)", workbook::GridFormat::Tab},
    {"RTF", workbook::GridFormat::Rtf},        {"DIF", workbook::GridFormat::Dif},
    {"SYLK", workbook::GridFormat::Sylk},
};
constexpr int kFormatCount = int(sizeof(kFormats) / sizeof(kFormats[0]));

} // namespace

GridExportDialog::GridExportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("GridExportDialog");
    setWindowTitle("Export Grila");
    formatList = new QComboBox(this);
    formatList->setObjectName("Format");
    for (const FormatItem& f : kFormats)
        formatList->addItem(QString::fromLatin1(f.caption));
    formatList->addItem("Clipboard");
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("&Exporta", QDialogButtonBox::AcceptRole)->setObjectName("Export");
    buttons->addButton("&Renunt", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
    auto* form = new QFormLayout(this);
    form->addRow("Format", formatList);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool GridExportDialog::toClipboard() const { return formatList->currentIndex() >= kFormatCount; }

workbook::GridFormat GridExportDialog::format() const
{
    return kFormats[qBound(0, formatList->currentIndex(), kFormatCount - 1)].format;
}

QString GridExportDialog::fileFilter() const
{
    const QString ext = workbook::gridFormatExtension(format());
    return formatList->currentText() + " (*" + ext + ")";
}
