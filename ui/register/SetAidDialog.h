// Dialog "Pune/Sterge Ajutor": whether the working month's active
// applications get the heating aid or lose it.
#pragma once

#include <QDialog>

class QRadioButton;

class SetAidDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetAidDialog(QWidget* parent = nullptr);
    bool withAid() const;

    QRadioButton* withAidOption;
    QRadioButton* withoutAidOption;
};
