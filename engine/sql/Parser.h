// Parses one statement of the local-SQL dialect into a syntax tree.
// Throws engine::Error naming the unexpected token and its line and column.
#pragma once

#include "engine/sql/Ast.h"
#include "engine/sql/Lexer.h"

namespace engine::sql {

Statement parseStatement(const SourceText& source);

} // namespace engine::sql
