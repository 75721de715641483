// Arbitrary .SYM text, and then address entry and disassembly over the
// symbols it gave: a message or a table, never a crash.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "simulator/core/disasm.h"
#include "simulator/session/address.h"
#include "simulator/session/symbols.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kavrin::SymbolTable table;
  const kavrin::SymbolFileResult result = kavrin::ParseSymbolText(text, "FUZZ.SYM", table);
  if (!result.ok && result.message.empty()) __builtin_trap();
  if (result.ok) {
    // Use the input as an address text and as code that names the symbols.
    (void)kavrin::ResolveAddress(text.substr(0, 16), table);
    auto read = [data, size](std::uint32_t a) { return size ? data[a % size] : std::uint8_t{0}; };
    for (std::uint32_t at = 0; at < size && at < 64;)
      at += static_cast<std::uint32_t>(
          kavrin::Disassemble(read, at, 80, kavrin::AddressSpace::Logical, &table).length);
  }
  return 0;
}
