#pragma once
// The assembler's directives: one handler per directive name.

#include "assembler/asm_lexer.h"

#include <span>
#include <string_view>

namespace velkor::asmsrc {

class Assembly;

struct Statement {
  std::string_view label; // empty when the line has none
  std::string_view mnemonic;
  std::span<const Token> operands;
  std::string_view line;         // the line as written
  std::size_t afterMnemonic = 0; // offset in `line` just after the mnemonic
};

using DirectiveHandler = void (*)(Assembly&, const Statement&);

// The handler of a directive (upper case), or nullptr.
DirectiveHandler FindDirective(std::string_view name);

// Directives that take the line's label themselves instead of defining it.
bool DirectiveOwnsLabel(std::string_view name);

} // namespace velkor::asmsrc
