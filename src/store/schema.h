#pragma once

#include <vector>

namespace store_schema {

// The seventeen statements that create every table and index of a profile database.
const std::vector<const char*>& CreationStatements();

}  // namespace store_schema
