// The English names of the S.M.A.R.T. attributes, as the report's attribute
// column prints them.
#pragma once

#include <QString>

namespace cendrix {

// Every name is blank-filled to this width, so that the columns after it line up.
inline constexpr int kSmartNameWidth = 26;

// The name of attribute `id` (1..255), blanks included; identifiers without
// a name, and any outside 1..255, give the shorter "unknown" text.
QString SmartAttributeName(int id);

}  // namespace cendrix
