// Messages of SQLite about a translated statement, put into the engine's own
// form: Romanian, naming the token of the statement the message is about and
// its place (line, column), and the table files the statement uses. Messages
// that the engine itself raised inside SQLite (the virtual tables, the SQL
// functions) are already in that form and pass unchanged.
#pragma once

#include "engine/sql/Lexer.h"

#include <string>
#include <vector>

namespace engine::sql {

std::string engineMessage(const std::string& sqliteMessage, const SourceText& statement,
                          const std::vector<std::string>& tables);

} // namespace engine::sql
