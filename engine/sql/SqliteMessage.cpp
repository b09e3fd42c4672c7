#include "engine/sql/SqliteMessage.h"

#include <cctype>
#include <regex>

namespace engine::sql {

namespace {

struct KnownMessage {
    std::regex pattern;   // group 1, when present: the token the message is about
    const char* text;     // Romanian; "%1" is replaced by group 1, "%2" by group 2
};

const std::vector<KnownMessage>& knownMessages()
{
    static const std::vector<KnownMessage> known = [] {
        const auto re = [](const char* p) { return std::regex(p, std::regex::icase); };
        return std::vector<KnownMessage>{
            {re(R"re(^misuse of aggregate(?: function)?:? (\w+)\(\)$)re"), "Functia de agregare %1 este folosita gresit"},
            {re(R"re(^aggregate functions are not allowed in the (GROUP) BY clause$)re"),
             "Functiile de agregare nu sunt permise in GROUP BY"},
            {re(R"re(^sub-select returns (\d+) columns - expected (\d+)$)re"),
             "Subcomanda da %1 coloane in loc de %2"},
            {re(R"re(^wrong number of arguments to function (\w+)\(\)$)re"),
             "Numar gresit de argumente pentru functia %1"},
            {re(R"re(^(\d+)\w\w (ORDER|GROUP) BY term out of range - should be between 1 and (\d+)$)re"),
             "Termenul %1 din %2 BY nu este o coloana a rezultatului"},
            {re(R"re(^(\d+)\w\w (ORDER) BY term does not match any column in the result set$)re"),
             "Termenul %1 din ORDER BY nu este o coloana a rezultatului"},
            {re(R"re(^a GROUP BY clause is required before (HAVING)$)re"), "HAVING cere GROUP BY"},
            {re(R"re(^near "([^"]*)": syntax error$)re"), "Eroare de sintaxa la \"%1\""},
            {re(R"re(^no such column: (?:\w+\.)?(\S+)$)re"), "Coloana necunoscuta \"%1\""},
            {re(R"re(^ambiguous column name: (?:\w+\.)?(\S+)$)re"), "Coloana ambigua \"%1\""},
            {re(R"re(^no such function: (\w+)$)re"), "Functie necunoscuta \"%1\""},
            {re(R"re(^too many terms in compound (SELECT)$)re"), "Prea multe comenzi unite prin UNION"},
            {re(R"re(^too many columns in result set$)re"), "Prea multe coloane in rezultat"},
            {re(R"re(^(?:Expression tree is too large|parser stack overflow).*$)re"), "Comanda este prea complexa"},
            {re(R"re(^(integer overflow)$)re"), "Depasire de capacitate la un calcul cu numere intregi"},
        };
    }();
    return known;
}

bool isWordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Offset of the first occurrence of token as a whole word in the statement,
// ignoring case; -1 when it is not there.
int findToken(const std::string& text, const std::string& token)
{
    if (token.empty())
        return -1;
    const std::string upperText = toUpperAscii(text);
    const std::string upperToken = toUpperAscii(token);
    for (std::size_t p = upperText.find(upperToken); p != std::string::npos; p = upperText.find(upperToken, p + 1)) {
        const bool startOk = p == 0 || !isWordChar(upperText[p - 1]) || !isWordChar(upperToken.front());
        const std::size_t end = p + upperToken.size();
        const bool endOk = end >= upperText.size() || !isWordChar(upperText[end]) || !isWordChar(upperToken.back());
        if (startOk && endOk)
            return static_cast<int>(p);
    }
    return -1;
}

// The Romanian text with the groups put in; names of functions in capitals,
// as the statements write them.
std::string replaced(std::string text, const std::smatch& m)
{
    const bool function = text.find("unctia") != std::string::npos;
    for (int g = 1; g <= 2; ++g) {
        const std::string mark = "%" + std::to_string(g);
        std::string value = g < static_cast<int>(m.size()) ? m[g].str() : std::string();
        if (function)
            value = toUpperAscii(value);
        for (std::size_t p = text.find(mark); p != std::string::npos; p = text.find(mark, p + value.size()))
            text.replace(p, mark.size(), value);
    }
    return text;
}

std::string tableList(const std::vector<std::string>& tables)
{
    std::string s;
    for (const std::string& t : tables)
        s += (s.empty() ? "" : ", ") + ("\"" + t + "\"");
    return s;
}

} // namespace

std::string engineMessage(const std::string& message, const SourceText& statement, const std::vector<std::string>& tables)
{
    for (const KnownMessage& k : knownMessages()) {
        std::smatch m;
        if (!std::regex_match(message, m, k.pattern))
            continue;
        std::string out = replaced(k.text, m);
        // The token the message names, or else the keyword it is about.
        std::string token = m.size() > 1 ? m[1].str() : std::string();
        if (!token.empty() && std::isdigit(static_cast<unsigned char>(token[0])) && m.size() > 2)
            token = m[2].str();
        const int offset = findToken(statement.text(), token);
        if (offset >= 0)
            out += " (" + statement.where(offset) + ")";
        if (!tables.empty())
            out += (tables.size() == 1 ? "; tabela " : "; tabelele ") + tableList(tables);
        return out;
    }
    return message; // raised by the engine itself: already names what failed
}

} // namespace engine::sql
