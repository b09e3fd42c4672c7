#include "ui/documents/ReportMonthPicker.h"

#include "ui/common/DialogFields.h"

#include "register/WorkingMonths.h"
#include "ui/common/ProblemHint.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace hestavo;

ReportMonthPicker::ReportMonthPicker(QWidget* parent) : QDialog(parent)
{
    setObjectName("SelLuna");
    setWindowTitle("Alegeti luna");
    KeepTitleWhole(this);
    Sezon = new QComboBox(this);
    Sezon->setObjectName("Sezon");
    Sezon->addItems(HeatingSeasonMonths());
    Sezon->setCurrentIndex(0);
    Luni12 = new QComboBox(this);
    Luni12->setObjectName("Luni12");
    Luni12->addItems(CalendarMonths());
    Luni12->setCurrentIndex(0);
    AnulLabel = new QLabel("Anul", this);
    Anul = new QLineEdit(QString::number(QDate::currentDate().year()), this);
    Anul->setObjectName("Anul");
    Anul->setMaxLength(4);
    Anul->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), Anul));
    auto* chosen = new QPushButton("Am ales", this);
    chosen->setObjectName("B_Ales");
    chosen->setDefault(true);
    auto* cancel = new QPushButton("Renunt", this);
    cancel->setObjectName("B_Renunt");
    cancel->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Plati pentru luna", this));
    row->addWidget(Sezon);
    row->addWidget(Luni12);
    row->addWidget(AnulLabel);
    row->addWidget(Anul);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(chosen);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addLayout(buttons);
    connect(chosen, &QPushButton::clicked, this, &ReportMonthPicker::acceptChoice);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ReportMonthPicker::Prepare(bool showYear, bool twelveMonths)
{
    AnulLabel->setVisible(showYear);
    Anul->setVisible(showYear);
    Sezon->setVisible(!twelveMonths);
    Luni12->setVisible(twelveMonths);
}

void ReportMonthPicker::acceptChoice()
{
    if (Anul->isVisibleTo(this)) {
        bool ok = false;
        const int year = Anul->text().toInt(&ok);
        if (!ok || !IsAcceptedReportYear(year, QDate::currentDate().year())) {
            ShowProblemHint("An incorect!", Anul);
            return;
        }
    }
    accept();
}

QString ReportMonthPicker::SeasonMonthNumber() const
{
    return HeatingSeasonMonthNumber(Sezon->currentIndex());
}

QString ReportMonthPicker::CalendarMonthName() const
{
    return Luni12->currentText();
}

QString ReportMonthPicker::YearText() const
{
    return Anul->text();
}

ReportMonthPicker& SelLuna()
{
    static QPointer<ReportMonthPicker> picker;
    if (!picker) {
        picker = new ReportMonthPicker;
        // One per run: gone with the application.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete picker.data(); });
    }
    return *picker;
}

bool PickReportMonth(bool showYear, bool twelveMonths)
{
    ReportMonthPicker& picker = SelLuna();
    picker.Prepare(showYear, twelveMonths);
    return picker.exec() == QDialog::Accepted;
}
