// Working-month form: the list of months the office works with, the choice of
// the working month, adding a month and deleting one with all its data.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

class WorkingMonthWindow : public QDialog {
    Q_OBJECT
public:
    explicit WorkingMonthWindow(QWidget* parent = nullptr);

    // Fills the list from "Luni.lst", selects the working month (nothing when
    // it is not in the list). Open() also shows the form modally.
    void Prepare();
    void Open();

    // "&Adauga luna" with the month text the add-month dialog returned
    // (empty = cancelled).
    void AddMonth(const QString& month);
    // "&Sterge luna" after the add dialog: the two confirmations, then the
    // month's applications and members, the list file and the working month.
    void deleteMonth();
    // "&Memoreaza si inchide".
    void saveAndClose();

    QComboBox* Luna;
    QPushButton* B_Adauga;
    QPushButton* B_Sterge;
    QPushButton* B_Renunta;
    QPushButton* B_Memoreaza;
    QPushButton* B_Import;

private:
    QStringList Months() const;
};
