#pragma once

#include <string>

namespace tremolex {

// The decimal separator of the user's locale, as UTF-8 ("." or "," mostly).
std::string localeDecimalSeparator();

}  // namespace tremolex
