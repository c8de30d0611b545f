// Table names as they reach SQL. The server's names are quoted with the driver's identifier
// quote, so a name with a blank works and a name with ";" stays a name; the Access statement
// puts the name in brackets. Activity lines keep showing the name unquoted.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// `name` between `quote` characters, each quote inside it doubled ("a""b" for a"b). A source
// without identifier quote (empty, or the blank ODBC reports for none) gets the name bare.
std::string quoteServerName(std::string_view name, std::string_view quote);

// "[name]" for Access SQL. Access names hold no brackets, so nothing inside needs escaping.
std::u16string bracketAccessName(std::u16string_view name);

}  // namespace engine
