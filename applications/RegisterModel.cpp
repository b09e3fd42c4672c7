#include "applications/RegisterModel.h"

#include "data/Db.h"
#include "data/Months.h"
#include "engine/Database.h"
#include "engine/ResultSet.h"

namespace {

bool IsMoney(const std::string& field)
{
    return field == "TVENIT" || field == "VENITM" || field == "CUANTUM" || field == "TOTAL" || field.rfind("SUMA", 0) == 0;
}

} // namespace

const std::vector<RegisterModel::Column>& RegisterModel::columns()
{
    static const std::vector<Column> list{
        {"NR_CERE", "Nr.", "Cererea"},
        {"DATACERE", "Data", "Cererea"},
        {"LUNADECLS", "Incepand cu luna", ""},
        {"NR_LUNI", "Nr. luni", ""},
        {"TITULAR", "Titular", ""},
        {"CNP", "CNP", ""},
        {"LOCALIT", "Localitatea", ""},
        {"ADRESA", "Adresa", ""},
        {"NR_REF", "Nr. Referat", ""},
        {"NR_DISP", "Nr.", "Dispozitia"},
        {"DATADISP", "Data", "Dispozitia"},
        {"CUMODIF", "Cu modif.", "Dispozitia"},
        {"STATUT", "Statut", ""},
        {"NR_MEMBRI", "Nr. membri", ""},
        {"TVENIT", "Total venit", ""},
        {"VENITM", "Venit mediu", ""},
        {"CUANTUM", "Cuantum lunar", ""},
        {"CUAJUT", "Cu ajutor", ""},
        {"TOTAL", "Total ajutor", ""},
        {"SUMAL", "Comb. sol/petr.", "Suplimente"},
        {"SUMAG", "Gaze", "Suplimente"},
        {"SUMAT", "Termica", "Suplimente"},
        {"SUMAE", "Electrica", "Suplimente"},
        {"L416", "L416", "Alte ajutoare"},
        {"ASF", "ASF", "Alte ajutoare"},
        {"STCIV", "Stare civila", "Situatie control"},
        {"SITSCOL", "Situatie scolara", "Situatie control"},
        {"NRCAM", "Numar camere", "Situatie control"},
        {"ASIG", "Asigurare locuinta", "Situatie control"},
        {"SITPROF", "Situatie profesionala", "Situatie control"},
        {"MODPLATA", "Mod de plata", ""},
        {"COPII14", "0-14 ani", "Numar copii"},
        {"COPII18", "14-18 ani", "Numar copii"},
    };
    return list;
}

RegisterModel::RegisterModel(QObject* parent) : QAbstractTableModel(parent) {}
RegisterModel::~RegisterModel() = default;

void RegisterModel::open(int monthSerial, const QString& orderField)
{
    auto rows = Db().open(sqlLines({QStringLiteral("SELECT *"), "FROM " + quotedTable(QStringLiteral("Cereri.dbf")),
                                    "WHERE LUNACRT=" + QString::number(monthSerial), "ORDER BY " + orderField}));
    beginResetModel();
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
    if (m_search.isEmpty()) {
        m_rows->setFiltered(false);
        m_rows->setFilter({});
        return;
    }
    QString prefix = m_search;
    prefix.remove(u'\'');   // a quote would end the filter's text constant
    m_rows->setFilter(("TITULAR='" + prefix + "*'").toStdString());
    m_rows->setFiltered(true);
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
    if (!index.isValid() || index.column() >= int(columns().size()))
        return {};
    const std::string field = columns()[size_t(index.column())].field;
    if (role == Qt::TextAlignmentRole) {
        const bool number = field != "LUNADECLS" && m_rows && m_rows->columnType(field) == engine::ColumnType::Numeric;
        return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
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
