#include "engine/ResultSet.h"

#include "engine/sql/Lexer.h"
#include "engine/sql/ResultSetData.h"
#include "engine/sql/Translator.h"

#include <cmath>
#include <cstdlib>

namespace engine {

namespace {

double cellNumber(const ResultCell& c)
{
    switch (c.kind) {
    case ResultCell::Kind::Integer: return static_cast<double>(c.integer);
    case ResultCell::Kind::Real: return c.real;
    case ResultCell::Kind::Text: return std::strtod(c.text.c_str(), nullptr);
    default: return 0;
    }
}

std::string cellText(const ResultCell& c, const ResultColumn& col)
{
    switch (c.kind) {
    case ResultCell::Kind::Null: return {};
    case ResultCell::Kind::Integer: return std::to_string(c.integer);
    case ResultCell::Kind::Real: return sql::formatNumber(c.real, col.decimals);
    case ResultCell::Kind::Text: {
        if (col.type == ColumnType::Date) {
            Date d = sql::parseAnyDate(c.text);
            if (d.isValid())
                return d.toText();
        }
        size_t b = c.text.find_first_not_of(' ');
        if (b == std::string::npos)
            return {};
        size_t e = c.text.find_last_not_of(' ');
        return c.text.substr(b, e - b + 1);
    }
    }
    return {};
}

sql::FilterValue filterValue(const ResultCell& c, const ResultColumn& col)
{
    sql::FilterValue v;
    if (c.kind == ResultCell::Kind::Null)
        return v;
    if (col.type == ColumnType::Date) {
        Date d = sql::parseAnyDate(c.text);
        if (d.isValid()) {
            v.kind = sql::FilterValue::Kind::Date;
            v.number = static_cast<double>(d.dayNumber());
            return v;
        }
    }
    if (c.kind == ResultCell::Kind::Text) {
        v.kind = sql::FilterValue::Kind::Text;
        v.text = c.text;
    } else {
        v.kind = sql::FilterValue::Kind::Number;
        v.number = cellNumber(c);
    }
    return v;
}

} // namespace

int ResultSet::Impl::column(std::string_view name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (sql::equalsIgnoreCase(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int ResultSet::Impl::requireColumn(std::string_view name) const
{
    int c = column(name);
    if (c < 0)
        throw Error("Coloana \"" + std::string(name) + "\" nu exista in rezultat");
    return c;
}

int ResultSet::Impl::requirePosition(int column) const
{
    if (column < 0 || column >= static_cast<int>(columns.size()))
        throw Error("Rezultatul nu are coloana " + std::to_string(column + 1));
    return column;
}

const ResultCell* ResultSet::Impl::cell(std::string_view name) const
{
    int c = requireColumn(name);
    if (pos >= visible.size())
        return nullptr;
    return &rows[visible[pos]][c];
}

void ResultSet::Impl::refilter()
{
    visible.clear();
    visible.reserve(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        if (filtered && filter && !filter->matches([&](int c) { return filterValue(row[c], columns[c]); }))
            continue;
        if (filtered && textTest && testColumn >= 0 && !textTest(cellText(row[testColumn], columns[testColumn])))
            continue;
        visible.push_back(r);
    }
    pos = 0;
}

ResultSet::ResultSet(std::unique_ptr<Impl> impl) : m_impl(std::move(impl))
{
    m_impl->refilter();
}
ResultSet::~ResultSet() = default;
ResultSet::ResultSet(ResultSet&&) noexcept = default;

bool ResultSet::isEmpty() const { return m_impl->visible.empty(); }
void ResultSet::first() { m_impl->pos = 0; }
void ResultSet::next()
{
    if (m_impl->pos < m_impl->visible.size())
        ++m_impl->pos;
}
bool ResultSet::eof() const { return m_impl->pos >= m_impl->visible.size(); }
int ResultSet::recordCount() const { return static_cast<int>(m_impl->visible.size()); }
int ResultSet::position() const { return static_cast<int>(m_impl->pos); }

std::vector<std::string> ResultSet::columnNames() const
{
    std::vector<std::string> names;
    for (const auto& c : m_impl->columns)
        names.push_back(c.name);
    return names;
}

ColumnType ResultSet::columnType(std::string_view column) const
{
    return m_impl->columns[m_impl->requireColumn(column)].type;
}
int ResultSet::columnWidth(std::string_view column) const
{
    return m_impl->columns[m_impl->requireColumn(column)].width;
}
int ResultSet::columnDecimals(std::string_view column) const
{
    int d = m_impl->columns[m_impl->requireColumn(column)].decimals;
    return d < 0 ? 0 : d;
}

bool ResultSet::isNull(std::string_view column) const
{
    const ResultCell* c = m_impl->cell(column);
    return !c || c->kind == ResultCell::Kind::Null;
}

std::string ResultSet::text(std::string_view column) const
{
    const ResultCell* c = m_impl->cell(column);
    return c ? cellText(*c, m_impl->columns[m_impl->requireColumn(column)]) : std::string();
}

double ResultSet::number(std::string_view column) const
{
    const ResultCell* c = m_impl->cell(column);
    return c ? cellNumber(*c) : 0;
}

long long ResultSet::integer(std::string_view column) const
{
    const ResultCell* c = m_impl->cell(column);
    if (!c)
        return 0;
    if (c->kind == ResultCell::Kind::Integer)
        return c->integer;
    return std::llround(cellNumber(*c));
}

std::optional<Date> ResultSet::date(std::string_view column) const
{
    const ResultCell* c = m_impl->cell(column);
    if (!c || c->kind != ResultCell::Kind::Text)
        return std::nullopt;
    Date d = sql::parseAnyDate(c->text);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

int ResultSet::columnCount() const { return static_cast<int>(m_impl->columns.size()); }

ColumnType ResultSet::columnTypeAt(int column) const
{
    return m_impl->columns.at(static_cast<std::size_t>(m_impl->requirePosition(column))).type;
}

std::string ResultSet::textAt(int column) const
{
    const int c = m_impl->requirePosition(column);
    if (m_impl->pos >= m_impl->visible.size())
        return {};
    return cellText(m_impl->rows[m_impl->visible[m_impl->pos]][c], m_impl->columns[c]);
}

void ResultSet::setFilter(std::string_view expression)
{
    std::string text(expression);
    if (text.find_first_not_of(" \t") == std::string::npos) {
        m_impl->filter.reset();
    } else {
        m_impl->filter = sql::RowFilter::parse(text, [this](std::string_view n) { return m_impl->column(n); });
    }
    m_impl->filterText = text;
    m_impl->textTest = nullptr;
    m_impl->refilter();
}

void ResultSet::setFilter(std::string_view column, std::function<bool(std::string_view text)> test)
{
    m_impl->filter.reset();
    m_impl->filterText.clear();
    m_impl->testColumn = m_impl->column(column);
    m_impl->textTest = std::move(test);
    m_impl->refilter();
}

void ResultSet::setFiltered(bool on)
{
    m_impl->filtered = on;
    m_impl->refilter();
}

bool ResultSet::isFiltered() const { return m_impl->filtered; }

namespace {

bool cellEquals(const ResultCell& c, const ResultColumn& col, std::string_view value)
{
    if (c.kind == ResultCell::Kind::Integer || c.kind == ResultCell::Kind::Real) {
        std::string v(value);
        char* end = nullptr;
        double d = std::strtod(v.c_str(), &end);
        if (end != v.c_str() && *end == '\0')
            return std::fabs(cellNumber(c) - d) < 1e-9;
    }
    std::string want(value);
    while (!want.empty() && want.back() == ' ')
        want.pop_back();
    return cellText(c, col) == want;
}

} // namespace

bool ResultSet::locate(std::string_view column, std::string_view value)
{
    int c = m_impl->requireColumn(column);
    for (size_t i = 0; i < m_impl->visible.size(); ++i) {
        if (cellEquals(m_impl->rows[m_impl->visible[i]][c], m_impl->columns[c], value)) {
            m_impl->pos = i;
            return true;
        }
    }
    return false;
}

bool ResultSet::locate(std::string_view column1, std::string_view value1, std::string_view column2,
                       std::string_view value2)
{
    int c1 = m_impl->requireColumn(column1);
    int c2 = m_impl->requireColumn(column2);
    for (size_t i = 0; i < m_impl->visible.size(); ++i) {
        const auto& row = m_impl->rows[m_impl->visible[i]];
        if (cellEquals(row[c1], m_impl->columns[c1], value1) && cellEquals(row[c2], m_impl->columns[c2], value2)) {
            m_impl->pos = i;
            return true;
        }
    }
    return false;
}

} // namespace engine
