#pragma once
// Every instruction and data line the emitter writes, one row per form: its
// text, the bytes it assembles to and the tag it leaves in the peephole
// history. A '#' in the text stands for an operand the emitter fills in (a
// number, a name, a label). The same text may stand in two rows when one use
// must stay invisible to the patterns (PushOperand and PushHL).
//
//   Emit(c, Op::PushOperand);                        // "\tpush hl", 1 byte, tag Push
//   Emit(c, Op::LoadWordVariable, "COUNT", HistorySymbol(id)); // "\tld hl,(COUNT)", 3 bytes
//   FormText(Op::DefineBytePair, "1", "2") == "DB 1,2"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "compiler/emit/emit_history.h"

namespace velkor {

enum class Op : std::uint8_t {
  // Loads into HL, seen by the patterns.
  LoadConstant,
  LoadWordVariable,
  ZeroHigh,
  LoadByteThroughHL,
  InputPortToL,
  ByteResultToL,
  // Pushes and pops.
  PushOperand,
  PushIsEqual,
  PushIsNotEqual,
  PushIsLess,
  PushIsLessOrEqual,
  PushIsGreater,
  PushIsGreaterOrEqual,
  PushHL,
  PopHL,
  PopDE,
  PopDEUntagged,
  PopBC,
  PopBCUntagged,
  PopIY,
  // Calls, jumps and returns.
  Call,
  CallBoolean,
  CallStringPush,
  Jp,
  JpZ,
  JpNZ,
  JpC,
  JpNC,
  JrZ,
  JrZOverJump,
  JpIY,
  Ret,
  // Loads of register pairs and of single registers.
  LdHL,
  LdHLFrom,
  LdDE,
  LdDEFrom,
  LdDEFirstSetEntry,
  LdBC,
  LdBCFrom,
  LdA,
  LdAFrom,
  LdB,
  LdH0,
  LdD0,
  LdB0,
  StoreA,
  StoreHL,
  StoreByteLimit,
  StoreByteLoopVariable,
  StoreWordLimit,
  StoreWordLoopVariable,
  // Register to register.
  LdAL,
  LdAH,
  LdAB,
  LdAC,
  LdHA,
  LdLA,
  LdBA,
  LdCA,
  LdBH,
  LdBL,
  LdCL,
  LdDH,
  LdEL,
  LdHE,
  LdLH,
  // Through the address in HL.
  LdEMem,
  LdDMem,
  LdAMem,
  LdMem,
  LdMemE,
  LdMemD,
  LdMemA,
  IncMem,
  DecMem,
  // Arithmetic and logic.
  ExDEHL,
  ClearCarry,
  IncHL,
  DecHL,
  IncDE,
  IncBC,
  DecBC,
  IncC,
  DecC,
  AddHLHL,
  AddHLDE,
  AddHLBC,
  SbcHLDE,
  SbcHLBC,
  Ldir,
  MltHL,
  XorA,
  OrL,
  OrC,
  CpL,
  CpC,
  SubC,
  Xor80H,
  AndE,
  OrE,
  XorE,
  AndD,
  OrD,
  XorD,
  // Ports.
  InAPort,
  OutA,
  OutL,
  // Data.
  DefineByte,
  DefineBytePair,
  DefineWord,
  DefineWordPair,
};

struct InstructionForm {
  Op op;
  std::string_view text; // '#' marks an operand
  std::uint8_t size;     // bytes of the assembled line
  HistoryTag tag;
};

// Every row, in the order of Op.
std::span<const InstructionForm> InstructionForms();

const InstructionForm& Form(Op op);
inline int FormSize(Op op) {
  return Form(op).size;
}
// The bytes of the line a tag marks; 0 for None and Label.
int TaggedSize(HistoryTag tag);

// The text with its operands filled in, without the leading tab.
std::string FormText(Op op);
std::string FormText(Op op, std::string_view operand);
std::string FormText(Op op, std::string_view first, std::string_view second);

} // namespace velkor
