#pragma once
// Lines made before they are emitted, with the bytes they occupy and the
// run-time routines they call: a routine's closing code, a CASE table, the
// data of a typed constant. Each line is complete (leading tab included), so
// callers can append them to any line list.
//
//   LineBlock block;
//   block.Add(Op::LdHL, "NAME");             // "\tld hl,NAME", 3 bytes
//   block.AddCall(Routine::PushString);      // "\tcall __PushString", noted for EXTERN
//   block.AddLabel("@@4:");

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/emit/instruction_forms.h"
#include "compiler/emit/runtime_names.h"

namespace velkor {

struct LineBlock {
  std::vector<std::string> lines;
  std::uint32_t size = 0;           // bytes the lines occupy in the image
  std::vector<std::string> externs; // run-time routines the lines call

  // A line of the form table, its bytes added to the size.
  void Add(Op op);
  void Add(Op op, std::string_view operand);
  void Add(Op op, std::string_view first, std::string_view second);
  // "call <routine>", the routine kept for EXTERN.
  void AddCall(Routine routine);
  // A line without a tab and without bytes.
  void AddLabel(std::string label);
  // A data line whose bytes are counted by its caller (a quoted run, DS n).
  void AddData(std::string_view text, std::uint32_t bytes);
};

} // namespace velkor
