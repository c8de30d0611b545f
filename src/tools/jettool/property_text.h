// A stored property's value as one line of text, for the schema listing.
#pragma once

#include <string>

#include "jet/catalog/properties.h"

namespace jettool {

std::string propertyText(const jet::Property& p);

}  // namespace jettool
