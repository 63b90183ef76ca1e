// SPDX-License-Identifier: MIT
#include "hostile_input.hpp"

namespace toolkit_test::hardening {

std::string binary_garbage() {
  // An ELF header, then every byte value in a scrambled order, four times.
  std::string bytes(
      "\x7f"
      "ELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03\x00\x3e\x00",
      20);
  for (unsigned i = 0; i < 1024; ++i) bytes.push_back(static_cast<char>((i * 167u + 13u) & 0xffu));
  return bytes;
}

std::vector<std::string> records_of(std::string_view text) {
  std::vector<std::string> records;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view record = text.substr(0, end);
    if (end != std::string_view::npos && !record.empty() && record.back() == '\r') record.remove_suffix(1);
    records.emplace_back(record);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return records;
}

}  // namespace toolkit_test::hardening
