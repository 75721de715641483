#include "compiler/emit/stmt_control.h"

#include <algorithm>
#include <array>

#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"

namespace velkor {
namespace {

struct FusedRelation {
  char tag;
  // The jumps taken when the relation is false, after "cp l" (A = right, L = left).
  std::array<const char*, 2> jumps;
};

// Tried in this order.
constexpr std::array<FusedRelation, 6> kFusedRelations{{
    {'x', {"jp nz,", nullptr}},
    {'X', {"jp z,", nullptr}},
    {'y', {"jp z,", "jp c,"}},
    {'z', {"jp c,", nullptr}},
    {'Y', {"jp nc,", nullptr}},
    {'Z', {"jr z,$+5", "jp nc,"}},
}};

void EmitFusedJumps(Compilation& c, const FusedRelation& r, const std::string& label) {
  for (const char* jump : r.jumps) {
    if (jump == nullptr) continue;
    const std::string text = jump;
    if (text.back() == ',') {
      Emit(c, text + label);
      AddCodeSize(c, 3);
    } else {
      Emit(c, text);
      AddCodeSize(c, 2);
    }
  }
}

bool TryFusedByteComparison(Compilation& c, const std::string& label) {
  const EmitHistory& h = c.History;
  for (const FusedRelation& r : kFusedRelations) {
    const std::string twoVariables = std::string(1, r.tag) + "C0HP0";
    if (h.Matches(twoVariables)) {
      const std::string right = AssemblerName(c, static_cast<int>(h.Value(3) & 0xFFFF));
      DeleteLastInstructions(c, 6);
      SubtractCodeSize(c, 12);
      Emit(c, "ld a,(" + right + ")");
      Emit(c, "cp l");
      AddCodeSize(c, 4);
      EmitFusedJumps(c, r, label);
      return true;
    }
    const std::string withConstant = std::string(1, r.tag) + "ChP0";
    if (h.Matches(withConstant) && h.Value(2) < 256) {
      const std::uint32_t k = h.Value(2);
      DeleteLastInstructions(c, 5);
      SubtractCodeSize(c, 10);
      Emit(c, "ld a," + std::to_string(k));
      Emit(c, "cp l");
      AddCodeSize(c, 3);
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
  Emit(c, "ld a,h");
  Emit(c, "xor 80H");
  Emit(c, "ld h,a");
  Emit(c, "ld a,b");
  Emit(c, "xor 80H");
  Emit(c, "ld b,a");
  AddCodeSize(c, 8);
}

void EmitExitJump(Compilation& c, const ForLoop& loop) {
  if (loop.down) {
    Emit(c, "jr z,$+5");
    Emit(c, "jp nc," + loop.exit);
    AddCodeSize(c, 5);
  } else {
    Emit(c, "jp c," + loop.exit);
    AddCodeSize(c, 3);
  }
}

} // namespace

void EmitConditionalJump(Compilation& c, const std::string& label) {
  if (!TryFusedByteComparison(c, label)) {
    PopHL(c);
    if (c.History.Tag(0) != 'C') {
      Emit(c, "ld a,h");
      Emit(c, "or l");
      AddCodeSize(c, 2);
    }
    Emit(c, "jp z," + label);
    AddCodeSize(c, 4);
  }
  c.PendingPush = 0;
}

void EmitJump(Compilation& c, const std::string& label) {
  Emit(c, "jp " + label);
  AddCodeSize(c, 3);
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
  EmitTagged(c, 'B', 0, "pop bc");
  TryTwoOperandFold(c, 'B');
  loop.head = NewLabel(c);
  loop.exit = NewLabel(c);
  if (loop.byteVariable) {
    Emit(c, "ld a,l");
    Emit(c, "ld (" + loop.temp + "),a ;\"to\" value");
    EmitGeneratedLabel(c, loop.head);
    Emit(c, "sub c");
    Emit(c, "ld a,c");
    Emit(c, "ld (" + v + "),a ;load loop var");
    AddCodeSize(c, 8);
  } else if (loop.signedCompare) {
    Emit(c, "ld (" + loop.temp + "),hl ;\"to\" value");
    EmitGeneratedLabel(c, loop.head);
    Emit(c, "ld (" + v + "),bc ;load loop var");
    FlipSignBits(c);
    Emit(c, "or a");
    Emit(c, "sbc hl,bc");
    AddCodeSize(c, 3 + 4 + 3);
  } else {
    Emit(c, "ld (" + loop.temp + "),hl ;\"to\" value");
    EmitGeneratedLabel(c, loop.head);
    Emit(c, "or a");
    Emit(c, "sbc hl,bc");
    Emit(c, "ld (" + v + "),bc ;load loop var");
    AddCodeSize(c, 3 + 3 + 4);
  }
  EmitExitJump(c, loop);
  c.PendingPush = 0;
  return loop;
}

void EmitForStep(Compilation& c, const ForLoop& loop) {
  const std::string v = AssemblerName(c, loop.variable);
  const char* step = loop.down ? "dec" : "inc";
  // The variable holds the last value when it equals the "to" value; stepping
  // on would wrap at the type's limit.
  if (loop.byteVariable) {
    Emit(c, "ld a,(" + v + ")");
    Emit(c, "ld c,a");
    Emit(c, "ld a,(" + loop.temp + ")");
    Emit(c, "cp c");
    Emit(c, "jp z," + loop.exit);
    Emit(c, std::string(step) + " c");
    AddCodeSize(c, 12);
  } else {
    Emit(c, "ld hl,(" + loop.temp + ")");
    Emit(c, "ld bc,(" + v + ")");
    Emit(c, "or a");
    Emit(c, "sbc hl,bc");
    Emit(c, "jp z," + loop.exit);
    Emit(c, "add hl,bc");
    Emit(c, std::string(step) + " bc");
    AddCodeSize(c, 15);
  }
  EmitJump(c, loop.head);
  c.PendingPush = 0;
  EmitGeneratedLabel(c, loop.exit);
}

} // namespace velkor
