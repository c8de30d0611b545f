#include "engine/sql_names.h"

namespace engine {

std::string quoteServerName(std::string_view name, std::string_view quote) {
    if (quote.empty() || quote == " ") {
        return std::string(name);
    }
    std::string quoted(quote);
    for (std::size_t at = 0; at < name.size();) {
        if (name.substr(at, quote.size()) == quote) {
            quoted.append(quote).append(quote);
            at += quote.size();
        } else {
            quoted += name[at++];
        }
    }
    quoted.append(quote);
    return quoted;
}

std::u16string bracketAccessName(std::u16string_view name) {
    return u"[" + std::u16string(name) + u"]";
}

}  // namespace engine
