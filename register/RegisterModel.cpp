#include "register/RegisterModel.h"

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
#include "engine/ResultSet.h"

#include <algorithm>

namespace {

bool IsMoney(const std::string& field)
{
    return field == "TVENIT" || field == "VENITM" || field == "CUANTUM" || field == "TOTAL" || field.rfind("SUMA", 0) == 0;
}

bool AllDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString NameSearchKey(const QString& text)
{
    QString key = text.toUpper();
    key.replace(QChar(0x0218), QChar(0x015E));   // Ș as Ş
    key.replace(QChar(0x021A), QChar(0x0162));   // Ț as Ţ
    return key;
}

const std::vector<RegisterModel::Column>& RegisterModel::columns()
{
    static const std::vector<Column> list{
        {"NR_CERE", "Nr.", "Cererea", 6},
        {"DATACERE", "Data", "Cererea", 10},
        {"LUNADECLS", "Incepand cu luna", "", 7},
        {"NR_LUNI", "Nr. luni", "", 2},
        {"TITULAR", "Titular", "", 26},
        {"CNP", "CNP", "", 13},
        {"LOCALIT", "Localitatea", "", 16},
        {"ADRESA", "Adresa", "", 26},
        {"NR_REF", "Nr. Referat", "", 6},
        {"NR_DISP", "Nr.", "Dispozitia", 8},
        {"DATADISP", "Data", "Dispozitia", 10},
        {"CUMODIF", "Cu modif.", "Dispozitia", 1},
        {"STATUT", "Statut", "", 9},
        {"NR_MEMBRI", "Nr. membri", "", 2},
        {"TVENIT", "Total venit", "", 9},
        {"VENITM", "Venit mediu", "", 9},
        {"CUANTUM", "Cuantum lunar", "", 7},
        {"CUAJUT", "Cu ajutor", "", 1},
        {"TOTAL", "Total ajutor", "", 8},
        {"SUMAL", "Comb. sol/petr.", "Suplimente", 6},
        {"SUMAG", "Gaze", "Suplimente", 6},
        {"SUMAT", "Termica", "Suplimente", 6},
        {"SUMAE", "Electrica", "Suplimente", 6},
        {"L416", "L416", "Alte ajutoare", 1},
        {"ASF", "ASF", "Alte ajutoare", 1},
        {"STCIV", "Stare civila", "Situatie control", 2},
        {"SITSCOL", "Situatie scolara", "Situatie control", 2},
        {"NRCAM", "Numar camere", "Situatie control", 2},
        {"ASIG", "Asigurare locuinta", "Situatie control", 1},
        {"SITPROF", "Situatie profesionala", "Situatie control", 18},
        {"MODPLATA", "Mod de plata", "", 4},
        {"COPII14", "0-14 ani", "Numar copii", 2},
        {"COPII18", "14-18 ani", "Numar copii", 2},
    };
    return list;
}

RegisterModel::RegisterModel(QObject* parent) : QAbstractTableModel(parent) {}
RegisterModel::~RegisterModel() = default;

void RegisterModel::open(int monthSerial, const QString& orderField)
{
    auto rows = Db().open(sqlLines({QStringLiteral("SELECT *"), "FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                    "WHERE LUNACRT=" + QString::number(monthSerial), "ORDER BY " + orderField}));
    std::vector<std::string> names = rows->columnNames();
    const auto has = [&](const std::string& field) { return std::find(names.begin(), names.end(), field) != names.end(); };
    beginResetModel();
    m_present.clear();
    m_numeric.clear();
    for (const Column& c : columns()) {
        const std::string field = std::string(c.field) == "LUNADECLS" ? "LUNADEC" : c.field;
        m_present.push_back(has(field));
        m_numeric.push_back(m_present.back() && c.field != std::string("LUNADECLS")
                            && rows->columnType(field) == engine::ColumnType::Numeric);
    }
    m_rows = std::move(rows);
    m_order = orderField;
    applySearch();
    endResetModel();
}

void RegisterModel::close()
{
    beginResetModel();
    m_rows.reset();
    endResetModel();
}

void RegisterModel::applySearch()
{
    if (!m_rows)
        return;
    m_rows->setFiltered(!m_search.isEmpty());
    if (m_search.isEmpty())
        return m_rows->setFilter({});
    const bool byCnp = AllDigits(m_search);
    const QString wanted = byCnp ? m_search : NameSearchKey(m_search);
    m_rows->setFilter(byCnp ? "CNP" : "TITULAR", [wanted, byCnp](std::string_view text) {
        const QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
        return (byCnp ? value : NameSearchKey(value)).startsWith(wanted);
    });
}

void RegisterModel::setNameSearch(const QString& text)
{
    beginResetModel();
    m_search = text;
    applySearch();
    endResetModel();
}

bool RegisterModel::moveTo(int row) const
{
    if (!m_rows || row < 0 || row >= m_rows->recordCount())
        return false;
    if (row < m_rows->position() || m_rows->eof())
        m_rows->first();
    while (m_rows->position() < row)
        m_rows->next();
    return true;
}

qint64 RegisterModel::keyAt(int row) const { return moveTo(row) ? m_rows->integer("NRCRT") : -1; }

int RegisterModel::rowOfKey(qint64 key) const
{
    if (!m_rows || !m_rows->locate("NRCRT", std::to_string(key)))
        return -1;
    return m_rows->position();
}

QString RegisterModel::fieldAt(int row, const char* field) const
{
    return moveTo(row) ? QString::fromStdString(m_rows->text(field)) : QString();
}

int RegisterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_rows ? 0 : m_rows->recordCount();
}

int RegisterModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns().size()); }

QVariant RegisterModel::data(const QModelIndex& index, int role) const
{
    const size_t column = size_t(index.column());
    if (!index.isValid() || column >= m_present.size() || !m_present[column])
        return {};
    const std::string field = columns()[column].field;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment((m_numeric[column] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    if (role != Qt::DisplayRole || !moveTo(index.row()))
        return {};
    if (field == "LUNADECLS")
        return SerialToMonth(int(m_rows->integer("LUNADEC")));
    if (IsMoney(field) && !m_rows->isNull(field))
        return QString::number(m_rows->number(field), 'f', 2);
    return QString::fromStdString(m_rows->text(field));
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= int(columns().size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& c = columns()[size_t(section)];
    // The band stands on the first line above its columns' titles.
    return QString::fromLatin1(c.band) + "\n" + QString::fromLatin1(c.title);
}
