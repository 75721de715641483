#pragma once
// The symbols the scanner delivers to the parser, in their fixed order.

#include <cstdint>

namespace velkor {

enum class SymbolKind : std::uint8_t {
  None,
  ByteConst,    // folded value 0..255
  IntegerConst, // folded value -32768..-1
  WordConst,    // folded value 256..65535
  LongConst,    // any other folded value
  RealConst,
  CharConst,   // a one-character literal, or CHR(c) folded
  StringConst, // a literal of 0 or 2..255 characters
  Unused1,
  Plus,
  Minus,
  Times,
  Div,
  Slash,
  Mod,
  Not,
  And,
  Or,
  Shl,
  Shr,
  Equal,
  NotEqual,
  Greater,
  GreaterEqual,
  Less,
  LessEqual,
  LeftParen,
  RightParen,
  LeftBracket,
  RightBracket,
  Comma,
  Semicolon,
  Period,
  Colon, // ":" and ".." (then RangeFollows is set)
  Becomes,
  Const,
  Type,
  Var,
  Array,
  Record,
  String,
  Function,
  Procedure,
  Program,
  Identifier,
  Begin,
  End,
  Repeat,
  Until,
  While,
  Do,
  For,
  With,
  If,
  Then,
  Else,
  Case,
  Of,
  To,
  Downto,
  Unused2,
  External,
  Global,
  Forward,
  Label,
  Goto,
  Absolute,
  Xor,
  Asm,
  Continue,
  Break,
  Exit,
  In,
  Caret,
};

// True for the four kinds of a folded number.
constexpr bool IsNumberSymbol(SymbolKind k) {
  return k == SymbolKind::ByteConst || k == SymbolKind::IntegerConst ||
         k == SymbolKind::WordConst || k == SymbolKind::LongConst;
}

} // namespace velkor
