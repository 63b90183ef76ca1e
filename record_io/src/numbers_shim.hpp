// Stand-in for the number scanner while the number module is reshaped.
#pragma once

#include <string>
#include <string_view>

#include "diagnostics.hpp"
#include "numbers.hpp"
#include "record_io/record_io.hpp"

namespace record_io::detail {

struct NumberScan {
  const char* end;
  ParseStatus status;
};

inline NumberScan scan_real(const char* at, const char* end, std::size_t implied, float& value) {
  const char* e = scan_short_real(at, end, implied, value);
  return e != nullptr ? NumberScan{e, ParseStatus::ok} : NumberScan{at, ParseStatus::syntax};
}
inline NumberScan scan_integer(const char* at, const char*, std::int32_t&) { return {at, ParseStatus::syntax}; }

inline std::string conversion_error(ItemKind kind, ParseStatus status, std::string_view found) {
  if (kind == ItemKind::integer) {
    if (status == ParseStatus::out_of_range)
      return "integer " + quote_found(found) + " is out of range (allowed: -2147483648 to 2147483647)";
    return "cannot read " + quote_found(found) + " as an integer";
  }
  if (status == ParseStatus::out_of_range) return "number " + quote_found(found) + " is beyond the range of a real";
  return "cannot read " + quote_found(found) + " as a number";
}

}  // namespace record_io::detail
