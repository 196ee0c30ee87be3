#pragma once

#include <string_view>
#include <vector>

namespace store_schema {

// The seventeen statements that create every table and index of a profile database.
const std::vector<const char*>& CreationStatements();

// A table the store reads and the columns its "SELECT *" readers expect, in table order.
struct ExpectedTable {
  std::string_view name;
  std::vector<std::string_view> columns;
};
// Every table of a usable profile database.
const std::vector<ExpectedTable>& ExpectedTables();

}  // namespace store_schema
