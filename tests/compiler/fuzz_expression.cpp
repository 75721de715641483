// Any bytes as a sequence of expressions over variables of every type:
// each ends in code or a compile error, never a crash or a hang.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_list.h"
#include "compiler/compilation.h"
#include "compiler/compile_error.h"
#include "compiler/expression.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

namespace {

using namespace velkor;

void Declare(Compilation& c, const char* name, std::uint8_t type, std::uint16_t size,
             std::uint16_t reference = 0, bool byAddress = false, bool pointer = false) {
  const int id = EnterIdentifier(c, name, kKindVariable, c.CurrentLevel);
  IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  e.type = type;
  e.size = size;
  e.reference = reference;
  e.byAddress = byAddress;
  e.pointer = pointer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  MessageList messages;
  CompileSettings settings;
  settings.Z180 = (data[0] & 1) != 0;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui, settings);
  c.MainSourceName = "FUZZ.Pas";
  c.ProgramName = "FUZZ";
  c.MainFile.name = c.MainSourceName;
  c.MainFile.path = c.MainSourceName;
  c.MainFile.bytes.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    EnterPredefinedIdentifiers(c);
    c.Display[0] = 1;
    OpenLevel(c, static_cast<std::uint16_t>(NewBlock(c)));
    c.FactorCommonCode = (data[0] & 2) != 0;
    Declare(c, "B", kTypeByte, 1);
    Declare(c, "W", kTypeWord, 2);
    Declare(c, "I", kTypeInteger, 2);
    Declare(c, "L", kTypeLongint, 4);
    Declare(c, "F", kTypeBoolean, 1);
    Declare(c, "H", kTypeChar, 1);
    Declare(c, "P", kTypeWord, 2, 0, true);
    const int s = NewArrayDescriptor(c, kTypeInteger, 0, 20);
    SetArrayElement(c, s, kTypeChar, 0, 1, false);
    Declare(c, "S", kTypeArray, 21, static_cast<std::uint16_t>(s));
    const int a = NewArrayDescriptor(c, kTypeInteger, 1, 9);
    SetArrayElement(c, a, kTypeInteger, 0, 2, false);
    Declare(c, "A", kTypeArray, 18, static_cast<std::uint16_t>(a));
    const int m = NewArrayDescriptor(c, kTypeInteger, 0, 3);
    SetArrayElement(c, m, kTypeArray, static_cast<std::uint16_t>(a), 18, false);
    Declare(c, "M", kTypeArray, 72, static_cast<std::uint16_t>(m));
    const int record = NewBlock(c);
    OpenLevel(c, static_cast<std::uint16_t>(record));
    Declare(c, "X", kTypeByte, 1);
    Declare(c, "Y", kTypeLongint, 4);
    c.Identifiers.back().offset = 1;
    c.Identifiers[c.Identifiers.size() - 1].field = true;
    c.Identifiers[c.Identifiers.size() - 2].field = true;
    CloseLevel(c);
    c.Blocks[static_cast<std::size_t>(record)].variableSize = 5;
    Declare(c, "R", kTypeRecord, 5, static_cast<std::uint16_t>(record));
    Declare(c, "Q", kTypeRecord, 2, static_cast<std::uint16_t>(record), false, true);
    c.OutputLines = {"\tCODE"};
    NextSymbol(c);
    for (int i = 0; i < 1000; ++i) {
      Expression(c);
      NextSymbol(c); // whatever ended the expression
    }
  } catch (const ECompileError&) {
  }
  return 0;
}
