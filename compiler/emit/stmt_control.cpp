#include "compiler/emit/stmt_control.h"

#include <algorithm>
#include <array>

#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"

namespace velkor {
namespace {

using enum HistoryTag;

struct FusedRelation {
  HistoryTag tag; // of the comparison's push
  // The jumps taken when the relation is false, after "cp l" (A = right, L = left).
  std::array<Op, 2> jumps;
  int jumpCount;
};

// Tried in this order.
constexpr std::array<FusedRelation, 6> kFusedRelations{{
    {Equal, {Op::JpNZ}, 1},
    {NotEqual, {Op::JpZ}, 1},
    {Less, {Op::JpZ, Op::JpC}, 2},
    {LessOrEqual, {Op::JpC}, 1},
    {Greater, {Op::JpNC}, 1},
    {GreaterOrEqual, {Op::JrZOverJump, Op::JpNC}, 2},
}};

void EmitFusedJumps(Compilation& c, const FusedRelation& r, const std::string& label) {
  for (int i = 0; i < r.jumpCount; ++i) {
    const Op jump = r.jumps[static_cast<std::size_t>(i)];
    if (jump == Op::JrZOverJump) {
      Emit(c, jump);
    } else {
      Emit(c, jump, label);
    }
  }
}

bool TryFusedByteComparison(Compilation& c, const std::string& label) {
  const EmitHistory& h = c.History;
  for (const FusedRelation& r : kFusedRelations) {
    if (h.Matches({r.tag, BooleanCall, ZeroHigh, WordVariable, Push, ZeroHigh})) {
      const std::string right = AssemblerName(c, static_cast<int>(h.Value(3) & 0xFFFF));
      DeleteNewestInstructions(c, 6);
      Emit(c, Op::LdAFrom, right);
      Emit(c, Op::CpL);
      EmitFusedJumps(c, r, label);
      return true;
    }
    if (h.Matches({r.tag, BooleanCall, Constant, Push, ZeroHigh}) && h.Value(2) < 256) {
      const std::uint32_t k = h.Value(2);
      DeleteNewestInstructions(c, 5);
      Emit(c, Op::LdA, std::to_string(k));
      Emit(c, Op::CpL);
      EmitFusedJumps(c, r, label);
      return true;
    }
  }
  return false;
}

void AddLoopTemp(Compilation& c, const std::string& name, int size) {
  const bool known = std::any_of(c.LoopTemps.begin(), c.LoopTemps.end(),
                                 [&](const LoopTemp& t) { return t.name == name; });
  if (!known) c.LoopTemps.push_back({name, size});
}

// BC and HL biased by 8000H, so that an unsigned compare orders them as signed.
void FlipSignBits(Compilation& c) {
  Emit(c, Op::LdAH);
  Emit(c, Op::Xor80H);
  Emit(c, Op::LdHA);
  Emit(c, Op::LdAB);
  Emit(c, Op::Xor80H);
  Emit(c, Op::LdBA);
}

void EmitExitJump(Compilation& c, const ForLoop& loop) {
  if (loop.down) {
    Emit(c, Op::JrZOverJump);
    Emit(c, Op::JpNC, loop.exit);
  } else {
    Emit(c, Op::JpC, loop.exit);
  }
}

} // namespace

void EmitConditionalJump(Compilation& c, const std::string& label) {
  if (!TryFusedByteComparison(c, label)) {
    PopHL(c);
    if (c.History.Tag(0) != BooleanCall) {
      Emit(c, Op::LdAH);
      Emit(c, Op::OrL);
    }
    Emit(c, Op::JpZ, label);
  }
  c.PendingPush = 0;
}

void EmitJump(Compilation& c, const std::string& label) {
  Emit(c, Op::Jp, label);
}

ForLoop EmitForHead(Compilation& c, int variable, std::uint8_t variableType, bool down) {
  ForLoop loop;
  loop.variable = variable;
  loop.byteVariable = IsByteType(variableType);
  loop.signedCompare = variableType == kTypeInteger;
  loop.down = down;
  const std::string v = AssemblerName(c, variable);
  loop.temp = v + "_&&&";
  AddLoopTemp(c, loop.temp, loop.byteVariable ? 1 : 2);

  PopHL(c);
  Emit(c, Op::PopBC);
  // The size report has always left out the loop head's two pops.
  LeaveOutOfSizeReport(c, FormSize(Op::PopHL) + FormSize(Op::PopBC));
  TryTwoOperandFold(c, PopBC);
  loop.head = NewLabel(c);
  loop.exit = NewLabel(c);
  if (loop.byteVariable) {
    Emit(c, Op::LdAL);
    Emit(c, Op::StoreByteLimit, loop.temp);
    EmitGeneratedLabel(c, loop.head);
    Emit(c, Op::SubC);
    Emit(c, Op::LdAC);
    Emit(c, Op::StoreByteLoopVariable, v);
    LeaveOutOfSizeReport(c, 1); // the report has always counted these lines as 8 bytes
  } else if (loop.signedCompare) {
    Emit(c, Op::StoreWordLimit, loop.temp);
    EmitGeneratedLabel(c, loop.head);
    Emit(c, Op::StoreWordLoopVariable, v);
    FlipSignBits(c);
    Emit(c, Op::ClearCarry);
    Emit(c, Op::SbcHLBC);
  } else {
    Emit(c, Op::StoreWordLimit, loop.temp);
    EmitGeneratedLabel(c, loop.head);
    Emit(c, Op::ClearCarry);
    Emit(c, Op::SbcHLBC);
    Emit(c, Op::StoreWordLoopVariable, v);
  }
  EmitExitJump(c, loop);
  c.PendingPush = 0;
  return loop;
}

void EmitForStep(Compilation& c, const ForLoop& loop) {
  const std::string v = AssemblerName(c, loop.variable);
  // The variable holds the last value when it equals the "to" value; stepping
  // on would wrap at the type's limit.
  if (loop.byteVariable) {
    Emit(c, Op::LdAFrom, v);
    Emit(c, Op::LdCA);
    Emit(c, Op::LdAFrom, loop.temp);
    Emit(c, Op::CpC);
    Emit(c, Op::JpZ, loop.exit);
    Emit(c, loop.down ? Op::DecC : Op::IncC);
  } else {
    Emit(c, Op::LdHLFrom, loop.temp);
    Emit(c, Op::LdBCFrom, v);
    Emit(c, Op::ClearCarry);
    Emit(c, Op::SbcHLBC);
    Emit(c, Op::JpZ, loop.exit);
    Emit(c, Op::AddHLBC);
    Emit(c, loop.down ? Op::DecBC : Op::IncBC);
  }
  EmitJump(c, loop.head);
  c.PendingPush = 0;
  EmitGeneratedLabel(c, loop.exit);
}

} // namespace velkor
