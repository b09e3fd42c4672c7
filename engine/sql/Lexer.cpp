#include "engine/sql/Lexer.h"

#include "engine/Value.h"

#include <cctype>

namespace engine::sql {

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string toUpperAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool Token::is(std::string_view keyword) const
{
    return kind == TokenKind::Identifier && equalsIgnoreCase(text, keyword);
}

SourceText::SourceText(std::string text) : m_text(std::move(text)) {}

std::string SourceText::where(int offset) const
{
    int line = 1, col = 1;
    for (int i = 0; i < offset && i < static_cast<int>(m_text.size()); ++i) {
        if (m_text[i] == '\n') {
            ++line;
            col = 1;
        } else {
            ++col;
        }
    }
    return "linia " + std::to_string(line) + ", coloana " + std::to_string(col);
}

namespace {

bool isIdentStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool isIdentChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

} // namespace

std::vector<Token> tokenize(const SourceText& source)
{
    const std::string& s = source.text();
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        Token t;
        t.offset = static_cast<int>(i);
        if (c == '"' || c == '\'') {
            size_t j = i + 1;
            std::string text;
            bool closed = false;
            while (j < s.size()) {
                if (s[j] == static_cast<char>(c)) {
                    // Inside single quotes a doubled quote stands for one.
                    if (c == '\'' && j + 1 < s.size() && s[j + 1] == '\'') {
                        text += '\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                text += s[j++];
            }
            if (!closed)
                throw Error("Text neterminat (lipseste ghilimeaua de inchidere) la " + source.where(t.offset));
            t.kind = c == '"' ? TokenKind::DoubleQuoted : TokenKind::SingleQuoted;
            t.text = std::move(text);
            i = j + 1;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t j = i;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                ++j;
            if (j < s.size() && s[j] == '.') {
                ++j;
                while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                    ++j;
            }
            if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                size_t k = j + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-'))
                    ++k;
                if (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) {
                    j = k;
                    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                        ++j;
                }
            }
            if (j < s.size() && isIdentStart(static_cast<unsigned char>(s[j])))
                throw Error("Numar invalid \"" + s.substr(i, j - i + 1) + "\" la " + source.where(t.offset));
            t.kind = TokenKind::Number;
            t.text = s.substr(i, j - i);
            i = j;
        } else if (isIdentStart(c)) {
            size_t j = i;
            while (j < s.size() && isIdentChar(static_cast<unsigned char>(s[j])))
                ++j;
            t.kind = TokenKind::Identifier;
            t.text = s.substr(i, j - i);
            i = j;
        } else {
            const std::string two = s.substr(i, 2);
            if (two == "<>" || two == "<=" || two == ">=" || two == "!=" || two == "||") {
                t.kind = TokenKind::Operator;
                t.text = two;
                i += 2;
            } else if (c == '=' || c == '<' || c == '>' || c == '+' || c == '-' || c == '*' || c == '/') {
                t.kind = TokenKind::Operator;
                t.text = std::string(1, static_cast<char>(c));
                ++i;
            } else if (c == '(' || c == ')' || c == ',' || c == '.' || c == ';') {
                t.kind = TokenKind::Punct;
                t.text = std::string(1, static_cast<char>(c));
                ++i;
            } else {
                throw Error("Caracter neasteptat '" + std::string(1, static_cast<char>(c)) + "' la "
                            + source.where(t.offset));
            }
        }
        out.push_back(std::move(t));
    }
    Token end;
    end.kind = TokenKind::End;
    end.offset = static_cast<int>(s.size());
    out.push_back(end);
    return out;
}

} // namespace engine::sql
