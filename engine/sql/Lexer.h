// Splits a statement of the local-SQL dialect into tokens, keeping the byte
// offset of each so that errors can name the line and column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine::sql {

enum class TokenKind {
    Identifier,   // names and keywords (compared case-insensitively)
    Number,       // 12, 12.5, .5
    DoubleQuoted, // "..." : a table path or a text literal, by position
    SingleQuoted, // '...' : a text literal
    Operator,     // = <> != < <= > >= + - * / ||
    Punct,        // ( ) , . ;
    End
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // without the quotes for quoted tokens
    int offset = 0;    // byte offset of the token's first character
    bool is(std::string_view keyword) const; // identifier equal to keyword, ignoring case
    bool isPunct(char c) const { return kind == TokenKind::Punct && text.size() == 1 && text[0] == c; }
    bool isOp(std::string_view op) const { return kind == TokenKind::Operator && text == op; }
};

// Text of a statement and where its lines start, for messages.
class SourceText {
public:
    explicit SourceText(std::string text);
    const std::string& text() const { return m_text; }
    // "linia L, coloana C" (1-based) of a byte offset.
    std::string where(int offset) const;
private:
    std::string m_text;
};

// Throws engine::Error on an unterminated literal or a character that cannot
// start a token.
std::vector<Token> tokenize(const SourceText& source);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toUpperAscii(std::string_view s);

} // namespace engine::sql
