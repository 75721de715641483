// Any bytes as a Pascal source (plain, or encoded when the first byte is
// odd) are scanned to a compile error or to their end: never a crash, a hang
// or a read out of bounds.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_list.h"
#include "compiler/compilation.h"
#include "compiler/compile_error.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  if (size == 0) return 0;
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui);
  c.MainSourceName = "FUZZ.Pas";
  c.ProgramName = "FUZZ";
  const bool encoded = (data[0] & 1) != 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  c.MainFile.name = c.MainSourceName;
  c.MainFile.path = c.MainSourceName;
  c.MainFile.encoded = encoded;
  if (encoded) {
    c.MainFile.records = std::make_unique<EncodedLineReader>(std::move(bytes));
  } else {
    c.MainFile.bytes = std::move(bytes);
  }
  try {
    EnterPredefinedIdentifiers(c);
    c.Display[0] = 1;
    OpenLevel(c, static_cast<std::uint16_t>(NewBlock(c)));
    const int k = EnterIdentifier(c, "K", kKindConstant, 1);
    c.Identifiers[static_cast<std::size_t>(k)].type = kTypeByte;
    c.Identifiers[static_cast<std::size_t>(k)].value = 4;
    const int v = EnterIdentifier(c, "V", kKindVariable, 1);
    c.Identifiers[static_cast<std::size_t>(v)].type = kTypeWord;
    c.Identifiers[static_cast<std::size_t>(v)].size = 2;
    c.FoldChrOrd = (data[0] & 2) != 0;
    for (int i = 0; i < 20000; ++i)
      NextSymbol(c);
  } catch (const ECompileError&) {
  }
  return 0;
}
