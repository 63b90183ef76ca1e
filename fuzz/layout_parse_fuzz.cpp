// SPDX-License-Identifier: MIT
// Layout strings from anywhere: parsing never crashes, and a parsed layout
// keeps the limits it promises and writes records of the length its fields
// call for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec.hpp"
#include "fuzz_check.hpp"
#include "record_io/record_io.hpp"

using record_io::detail::Descriptor;
using record_io::detail::LayoutData;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string why;
  const std::optional<record_io::Layout> layout = LayoutData::parse(text, &why);
  if (!layout) {
    fuzz::require(!why.empty(), "a refused layout without a reason: " + fuzz::shown(text));
    fuzz::require(why.rfind("position ", 0) == 0, "a reason without a position: " + why);
    return 0;
  }
  fuzz::require(layout->text() == text, "the layout does not keep its text");

  const auto descriptors = LayoutData::of(*layout).descriptors();
  fuzz::require(!descriptors.empty(), "a layout with no field: " + fuzz::shown(text));
  fuzz::require(descriptors.size() <= record_io::detail::kMaxDescriptors, "too many fields: " + fuzz::shown(text));
  std::size_t data_fields = 0;
  std::size_t columns = 0;
  for (const Descriptor& d : descriptors) {
    fuzz::require(d.width >= 1, "a field of no column: " + fuzz::shown(text));
    switch (d.kind) {
      case Descriptor::Kind::text:
      case Descriptor::Kind::skip:
        fuzz::require(d.width <= record_io::detail::kMaxTextWidth, "a text or skip field too wide: " + fuzz::shown(text));
        break;
      case Descriptor::Kind::integer:
      case Descriptor::Kind::real:
        fuzz::require(d.width <= record_io::detail::kMaxNumericWidth, "a numeric field too wide: " + fuzz::shown(text));
        fuzz::require(d.decimals <= d.width, "more decimals than columns: " + fuzz::shown(text));
        break;
    }
    if (d.kind != Descriptor::Kind::real)
      fuzz::require(d.decimals == 0, "decimals on a field that is not real: " + fuzz::shown(text));
    if (d.kind != Descriptor::Kind::skip) ++data_fields;
    columns += d.width;
  }
  fuzz::require(data_fields == LayoutData::of(*layout).fields().size(), "wrong count of data fields: " + fuzz::shown(text));
  fuzz::require(columns <= record_io::detail::kMaxLayoutColumns, "too many columns: " + fuzz::shown(text));

  // Writing every data field: the record ends with the last data field, the
  // skip fields after it are not written.
  std::vector<record_io::OutItem> items;
  std::size_t expected_length = 0;
  std::size_t running = 0;
  for (const Descriptor& d : descriptors) {
    running += d.width;
    switch (d.kind) {
      case Descriptor::Kind::text:
        items.emplace_back(std::string_view("text"));
        break;
      case Descriptor::Kind::integer:
        items.emplace_back(std::int32_t{-12345});
        break;
      case Descriptor::Kind::real:
        items.emplace_back(-1.25f);
        break;
      case Descriptor::Kind::skip:
        continue;
    }
    expected_length = running;
  }
  std::string record;
  record_io::detail::encode_fixed(record, *layout, items);
  fuzz::require(record.size() == expected_length, "record of " + std::to_string(record.size()) +
                                                      " columns for layout " + fuzz::shown(text) + ", expected " +
                                                      std::to_string(expected_length));
  // With no items nothing is written, not even the skip fields before the first data field.
  record.clear();
  record_io::detail::encode_fixed(record, *layout, {});
  fuzz::require(record.empty(), "a record written with no item: " + fuzz::shown(text));
  return 0;
}
