// The choice before a supplier report: which supplier name in the data denotes
// E-ON Gaz Targu Mures (with the postal code of every locality of the month)
// or CEZ (with the SIRUTA code of the town hall). "&Am ales" refuses an
// incomplete choice with a balloon and keeps the dialog open; a confirmed
// choice writes the codes back to the settings (CODURIP, CONST/SIRUTA).
// Enter moves to the next control, Esc cancels.
#pragma once

#include <QDialog>
#include <QPair>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

class SupplierChoiceDialog : public QDialog {
    Q_OBJECT
public:
    enum class Variant { Eon, Cez };
    SupplierChoiceDialog(Variant variant, const QString& workingMonth, QWidget* parent = nullptr);

    // Fills the supplier list and the codes from the month and the settings.
    void load();
    // load(), then modal; true when the user confirmed a complete choice.
    bool Open();

    QString supplier() const;
    QString siruta() const;
    // The localities of the grid with their codes (trimmed, at most 10 characters).
    QList<QPair<QString, QString>> postalCodes() const;
    // The "&Am ales" command: checks, stores the codes, closes as confirmed.
    void choose();

    QComboBox* FurnE;
    QTableWidget* Grid = nullptr;   // E-ON only: "Localitatea", "Cod postal"
    QLineEdit* Siruta = nullptr;    // CEZ only
    QPushButton* ChooseButton;

private:
    void commitPendingEdit();
    Variant m_variant;
    QString m_month;
};
