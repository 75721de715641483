#include "compiler/emit/instruction_forms.h"

#include <array>
#include <cassert>
#include <iterator>

namespace velkor {
namespace {

using T = HistoryTag;

constexpr InstructionForm kForms[] = {
    {Op::LoadConstant, "ld hl,#", 3, T::Constant},
    {Op::LoadWordVariable, "ld hl,(#)", 3, T::WordVariable},
    {Op::ZeroHigh, "ld h,0", 2, T::ZeroHigh},
    {Op::LoadByteThroughHL, "ld l,(hl)", 1, T::ByteThroughHL},
    {Op::InputPortToL, "in l,(c)", 2, T::PortInput},
    {Op::ByteResultToL, "ld l,a", 1, T::ByteInL},

    {Op::PushOperand, "push hl", 1, T::Push},
    {Op::PushIsEqual, "push hl", 1, T::Equal},
    {Op::PushIsNotEqual, "push hl", 1, T::NotEqual},
    {Op::PushIsLess, "push hl", 1, T::Less},
    {Op::PushIsLessOrEqual, "push hl", 1, T::LessOrEqual},
    {Op::PushIsGreater, "push hl", 1, T::Greater},
    {Op::PushIsGreaterOrEqual, "push hl", 1, T::GreaterOrEqual},
    {Op::PushHL, "push hl", 1, T::None},
    {Op::PopHL, "pop hl", 1, T::None},
    {Op::PopDE, "pop de", 1, T::PopDE},
    {Op::PopDEUntagged, "pop de", 1, T::None},
    {Op::PopBC, "pop bc", 1, T::PopBC},
    {Op::PopBCUntagged, "pop bc", 1, T::None},
    {Op::PopIY, "pop iy", 2, T::None},

    {Op::Call, "call #", 3, T::None},
    {Op::CallBoolean, "call #", 3, T::BooleanCall},
    {Op::CallStringPush, "call #", 3, T::StringPush},
    {Op::Jp, "jp #", 3, T::None},
    {Op::JpZ, "jp z,#", 3, T::None},
    {Op::JpNZ, "jp nz,#", 3, T::None},
    {Op::JpC, "jp c,#", 3, T::None},
    {Op::JpNC, "jp nc,#", 3, T::None},
    {Op::JrZ, "jr z,#", 2, T::None},
    {Op::JrZOverJump, "jr z,$+5", 2, T::None},
    {Op::JpIY, "jp (iy)", 2, T::None},
    {Op::Ret, "ret", 1, T::None},

    {Op::LdHL, "ld hl,#", 3, T::None},
    {Op::LdHLFrom, "ld hl,(#)", 3, T::None},
    {Op::LdDE, "ld de,#", 3, T::None},
    {Op::LdDEFrom, "ld de,(#)", 4, T::None},
    // DE = the address of the first entry behind "jp __constset" and the count.
    {Op::LdDEFirstSetEntry, "ld de,$+6", 3, T::None},
    {Op::LdBC, "ld bc,#", 3, T::None},
    {Op::LdBCFrom, "ld bc,(#)", 4, T::None},
    {Op::LdA, "ld a,#", 2, T::None},
    {Op::LdAFrom, "ld a,(#)", 3, T::None},
    {Op::LdB, "ld b,#", 2, T::None},
    {Op::LdH0, "ld h,0", 2, T::None},
    {Op::LdD0, "ld d,0", 2, T::None},
    {Op::LdB0, "ld b,0", 2, T::None},
    {Op::StoreA, "ld (#),a", 3, T::None},
    {Op::StoreHL, "ld (#),hl", 3, T::None},
    {Op::StoreByteLimit, "ld (#),a ;\"to\" value", 3, T::None},
    {Op::StoreByteLoopVariable, "ld (#),a ;load loop var", 3, T::None},
    {Op::StoreWordLimit, "ld (#),hl ;\"to\" value", 3, T::None},
    {Op::StoreWordLoopVariable, "ld (#),bc ;load loop var", 4, T::None},

    {Op::LdAL, "ld a,l", 1, T::None},
    {Op::LdAH, "ld a,h", 1, T::None},
    {Op::LdAB, "ld a,b", 1, T::None},
    {Op::LdAC, "ld a,c", 1, T::None},
    {Op::LdHA, "ld h,a", 1, T::None},
    {Op::LdLA, "ld l,a", 1, T::None},
    {Op::LdBA, "ld b,a", 1, T::None},
    {Op::LdCA, "ld c,a", 1, T::None},
    {Op::LdBH, "ld b,h", 1, T::None},
    {Op::LdBL, "ld b,l", 1, T::None},
    {Op::LdCL, "ld c,l", 1, T::None},
    {Op::LdDH, "ld d,h", 1, T::None},
    {Op::LdEL, "ld e,l", 1, T::None},
    {Op::LdHE, "ld h,e", 1, T::None},
    {Op::LdLH, "ld l,h", 1, T::None},

    {Op::LdEMem, "ld e,(hl)", 1, T::None},
    {Op::LdDMem, "ld d,(hl)", 1, T::None},
    {Op::LdAMem, "ld a,(hl)", 1, T::None},
    {Op::LdMem, "ld (hl),#", 2, T::None},
    {Op::LdMemE, "ld (hl),e", 1, T::None},
    {Op::LdMemD, "ld (hl),d", 1, T::None},
    {Op::LdMemA, "ld (hl),a", 1, T::None},
    {Op::IncMem, "inc (hl)", 1, T::None},
    {Op::DecMem, "dec (hl)", 1, T::None},

    {Op::ExDEHL, "ex de,hl", 1, T::None},
    {Op::ClearCarry, "or a", 1, T::None},
    {Op::IncHL, "inc hl", 1, T::None},
    {Op::DecHL, "dec hl", 1, T::None},
    {Op::IncDE, "inc de", 1, T::None},
    {Op::IncBC, "inc bc", 1, T::None},
    {Op::DecBC, "dec bc", 1, T::None},
    {Op::IncC, "inc c", 1, T::None},
    {Op::DecC, "dec c", 1, T::None},
    {Op::AddHLHL, "add hl,hl", 1, T::None},
    {Op::AddHLDE, "add hl,de", 1, T::None},
    {Op::AddHLBC, "add hl,bc", 1, T::None},
    {Op::SbcHLDE, "sbc hl,de", 2, T::None},
    {Op::SbcHLBC, "sbc hl,bc", 2, T::None},
    {Op::Ldir, "ldir", 2, T::None},
    {Op::MltHL, "mlt hl", 2, T::None},
    {Op::XorA, "xor a", 1, T::None},
    {Op::OrL, "or l", 1, T::None},
    {Op::OrC, "or c", 1, T::None},
    {Op::CpL, "cp l", 1, T::None},
    {Op::CpC, "cp c", 1, T::None},
    {Op::SubC, "sub c", 1, T::None},
    {Op::Xor80H, "xor 80H", 2, T::None},
    {Op::AndE, "and e", 1, T::None},
    {Op::OrE, "or e", 1, T::None},
    {Op::XorE, "xor e", 1, T::None},
    {Op::AndD, "and d", 1, T::None},
    {Op::OrD, "or d", 1, T::None},
    {Op::XorD, "xor d", 1, T::None},

    {Op::InAPort, "in a,(c)", 2, T::None},
    {Op::OutA, "out (c),a", 2, T::None},
    {Op::OutL, "out (c),l", 2, T::None},

    {Op::DefineByte, "DB #", 1, T::None},
    {Op::DefineBytePair, "DB #,#", 2, T::None},
    {Op::DefineWord, "DW #", 2, T::None},
    {Op::DefineWordPair, "dw #,#", 4, T::None},
};

constexpr bool FormsInOrder() {
  for (std::size_t i = 0; i < std::size(kForms); ++i)
    if (static_cast<std::size_t>(kForms[i].op) != i) return false;
  return true;
}
static_assert(FormsInOrder(), "kForms must list the forms in the order of Op");
static_assert(std::size(kForms) == static_cast<std::size_t>(Op::DefineWordPair) + 1);

// The size of the lines of each tag, read off the rows once.
constexpr std::array<std::uint8_t, 256> TagSizes() {
  std::array<std::uint8_t, 256> sizes{};
  for (const InstructionForm& f : kForms)
    if (f.tag != T::None) sizes[static_cast<unsigned char>(f.tag)] = f.size;
  return sizes;
}
constexpr std::array<std::uint8_t, 256> kTagSizes = TagSizes();

// The text with its operand marks filled in.
std::string Filled(Op op, std::initializer_list<std::string_view> operands) {
  const std::string_view text = Form(op).text;
  std::string out;
  auto operand = operands.begin();
  for (const char ch : text) {
    if (ch != '#') {
      out += ch;
      continue;
    }
    assert(operand != operands.end() && "a form's operand left out");
    out += *operand++;
  }
  assert(operand == operands.end() && "an operand the form has no place for");
  return out;
}

} // namespace

std::span<const InstructionForm> InstructionForms() {
  return kForms;
}

const InstructionForm& Form(Op op) {
  return kForms[static_cast<std::size_t>(op)];
}

int TaggedSize(HistoryTag tag) {
  return kTagSizes[static_cast<unsigned char>(tag)];
}

std::string FormText(Op op) {
  return Filled(op, {});
}
std::string FormText(Op op, std::string_view operand) {
  return Filled(op, {operand});
}
std::string FormText(Op op, std::string_view first, std::string_view second) {
  return Filled(op, {first, second});
}

} // namespace velkor
