// The register's grid model: the rows of the month's list query read straight
// from the engine's result set (no copy into items), its columns with their
// titles and bands, the name search as the result set's filter, and the sort
// order as the query's last line.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <memory>

namespace engine { class ResultSet; }

// The form in which names are compared by the search: upper case, with the
// comma-below Ș and Ț (typed on newer keyboards) as the cedilla Ş and Ţ the
// tables keep.
QString NameSearchKey(const QString& text);

class RegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        const char* field;   // column of Cereri, or LUNADECLS (calculated)
        const char* title;
        const char* band;    // the title's group, "" for none
        int chars;           // characters of the widest usual value
    };
    static const std::vector<Column>& columns();

    explicit RegisterModel(QObject* parent = nullptr);
    ~RegisterModel() override;

    // SELECT * FROM Cereri WHERE LUNACRT=serial ORDER BY orderField, with the
    // name search applied. Throws engine::Error.
    void open(int monthSerial, const QString& orderField);
    void close();
    bool isOpen() const { return m_rows != nullptr; }
    QString orderField() const { return m_order; }

    // The rows whose TITULAR starts with the text, in any case and with Ş/Ţ
    // typed in either form (see NameSearchKey); a text of digits only finds
    // the CNPs it starts. An empty text shows every row.
    void setNameSearch(const QString& text);
    QString nameSearch() const { return m_search; }

    // NRCRT of a row (-1 outside the list) and the row of a key (-1 when not listed).
    qint64 keyAt(int row) const;
    int rowOfKey(qint64 key) const;
    // A field of a row as text (trimmed; numbers general; dates dd.MM.yyyy).
    QString fieldAt(int row, const char* field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool moveTo(int row) const;
    void applySearch();
    std::unique_ptr<engine::ResultSet> m_rows;
    std::vector<bool> m_present;   // per column: the table has it (an older table may lack some)
    std::vector<bool> m_numeric;
    QString m_order = QStringLiteral("TITULAR");
    QString m_search;
};
