#include "compiler/emit/frame_routine.h"

#include "compiler/emit/runtime_names.h"

namespace velkor {

LineBlock ProcedureEndLines() {
  return {{"\tret", ""}, 1, {}};
}

LineBlock FunctionEndLines(unsigned exitLabel, const std::string& resultName, ResultClass result) {
  LineBlock out;
  out.lines.push_back("@@" + std::to_string(exitLabel) + ":");
  out.lines.push_back("\tpop iy");
  switch (result) {
  case ResultClass::Byte:
    out.lines.insert(out.lines.end(), {"\tld hl,(" + resultName + ")", "\tld h,0", "\tpush hl"});
    out.size = 6;
    break;
  case ResultClass::Word:
    out.lines.insert(out.lines.end(), {"\tld hl,(" + resultName + ")", "\tpush hl"});
    out.size = 4;
    break;
  case ResultClass::Long:
    out.lines.insert(out.lines.end(), {"\tld hl,(" + resultName + "+2)", "\tpush hl",
                                       "\tld hl,(" + resultName + ")", "\tpush hl"});
    out.size = 8;
    break;
  case ResultClass::String:
    out.lines.insert(out.lines.end(), {"\tld hl," + resultName,
                                       "\tcall " + std::string(RoutineName(Routine::PushString))});
    out.externs.emplace_back(RoutineName(Routine::PushString));
    out.size = 6;
    break;
  case ResultClass::Structured:
    out.lines.insert(out.lines.end(), {"\tld hl," + resultName, "\tpush hl"});
    out.size = 4;
    break;
  }
  out.lines.push_back("\tjp (iy)");
  out.size += 4; // pop iy and jp (iy)
  return out;
}

} // namespace velkor
