// Filter expressions of result sets and table cursors: comparisons of a
// column with a constant (=, <>, <, <=, >, >=), AND, OR, NOT, parentheses;
// text constants in single (or double) quotes, where 'ABC*' matches by
// prefix. Parsed once, evaluated on every row.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace engine::sql {

struct FilterValue {
    enum class Kind { Null, Text, Number, Date } kind = Kind::Null;
    std::string text;   // Text
    double number = 0;  // Number; Date: day number
};

class RowFilter {
public:
    // columnIndex gives -1 for an unknown column. Throws engine::Error naming
    // the token and its position in the expression.
    static std::shared_ptr<const RowFilter> parse(std::string_view expression,
                                                  const std::function<int(std::string_view)>& columnIndex);
    bool matches(const std::function<FilterValue(int column)>& valueOf) const;

    struct Node;
    explicit RowFilter(std::unique_ptr<Node> root);
    ~RowFilter();
private:
    std::unique_ptr<Node> m_root;
};

} // namespace engine::sql
