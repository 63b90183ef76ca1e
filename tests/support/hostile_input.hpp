// SPDX-License-Identifier: MIT
// The bad-input catalogue: each program run as a real process over hostile
// working directories (binary garbage, huge lines, empty files, directories
// and a full device in place of files, files cut short, numbers beyond their
// range, words where numbers are due). Every case states the exit status,
// standard error (which names the file, and the line where there is one),
// and what each file holds afterwards; every run must end by itself, without
// a crash, within a few seconds. The cases are run by the shared runner; the
// hostile contents are made here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "case_name.hpp"
#include "program_run.hpp"
#include "run_case.hpp"

namespace toolkit_test::hardening {

// Bytes that are no text: an executable's header followed by bytes of every
// value, line feeds and carriage returns among them.
std::string binary_garbage();
// The records of `text` as the programs split it: at line feeds, a carriage
// return before a line feed dropped, a last line without a line end kept.
std::vector<std::string> records_of(std::string_view text);

constexpr std::size_t kTenMegabytes = 10u << 20;

}  // namespace toolkit_test::hardening
