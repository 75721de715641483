#include "compiler/emit/frame_routine.h"

namespace velkor {

LineBlock ProcedureEndLines() {
  LineBlock out;
  out.Add(Op::Ret);
  out.AddLabel("");
  return out;
}

LineBlock FunctionEndLines(unsigned exitLabel, const std::string& resultName, ResultClass result) {
  LineBlock out;
  out.AddLabel("@@" + std::to_string(exitLabel) + ":");
  out.Add(Op::PopIY);
  switch (result) {
  case ResultClass::Byte:
    out.Add(Op::LdHLFrom, resultName);
    out.Add(Op::LdH0);
    out.Add(Op::PushHL);
    break;
  case ResultClass::Word:
    out.Add(Op::LdHLFrom, resultName);
    out.Add(Op::PushHL);
    break;
  case ResultClass::Long:
    out.Add(Op::LdHLFrom, resultName + "+2");
    out.Add(Op::PushHL);
    out.Add(Op::LdHLFrom, resultName);
    out.Add(Op::PushHL);
    break;
  case ResultClass::String:
    out.Add(Op::LdHL, resultName);
    out.AddCall(Routine::PushString);
    break;
  case ResultClass::Structured:
    out.Add(Op::LdHL, resultName);
    out.Add(Op::PushHL);
    break;
  }
  out.Add(Op::JpIY);
  return out;
}

} // namespace velkor
