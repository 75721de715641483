#pragma once
// The writer layer every emitter uses: instruction lines from the form table,
// label lines, deleting the last instructions, the code size, EXTERN and
// GLOBAL names, pop HL with push elision, generated labels and assembler
// names.
//
//   Emit(c, Op::LoadConstant, "5", 5);  // "\tld hl,5", history gets (Constant, 5), 3 bytes
//   Emit(c, Op::PushOperand);            // "\tpush hl", 1 byte
//   ++c.PendingPush;
//   PopHL(c);                            // elides the push: HL still holds 5

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "compiler/emit/instruction_forms.h"
#include "compiler/emit/line_block.h"
#include "compiler/emit/runtime_names.h"

namespace velkor {

// Appends tab + the form's text to the current list, pushes its tag (with
// `historyValue`) into the history and adds its size to the code size.
void Emit(Compilation& c, Op op);
void Emit(Compilation& c, Op op, std::string_view operand, std::uint32_t historyValue = 0);
void Emit(Compilation& c, Op op, std::string_view first, std::string_view second);
// The form `count` times, e.g. two "inc hl" for + 2.
void EmitRepeated(Compilation& c, Op op, int count);
// The same line and tag without adding the size, for a caller that counts apart.
void WriteForm(Compilation& c, Op op);
void WriteForm(Compilation& c, Op op, std::string_view operand);
// A directive line (no code bytes) or a line of a block counted as a whole:
// tab + text, blank tag.
void Emit(Compilation& c, std::string_view text);
// The block's lines (tabbed ones with a blank tag, the others as label
// lines), its routines noted EXTERN and its bytes added to the code size.
void EmitBlock(Compilation& c, const LineBlock& block);
// Appends the text without a tab; the history gets Label, so no pattern spans it.
void EmitLabelLine(Compilation& c, std::string_view text);
inline bool IsComment(std::string_view line) {
  return !line.empty() && line[0] == ';';
}
// A line appended as it is, without touching the history (comments, {#P} lines).
void EmitRawLine(Compilation& c, std::string_view text);
// The same made of pieces, without a temporary string.
void EmitRawLine(Compilation& c, std::initializer_list<std::string_view> pieces);

// Deletes the newest n instruction lines, which a pattern has just matched:
// walking back from the last line, lines that begin with ";" are skipped and
// the first line of the list is never deleted. Their bytes, known from the
// newest n tags of the history, come off the code size.
void DeleteNewestInstructions(Compilation& c, int n);

// Code size bookkeeping; in overlay mode the figures go to the current area.
void AddCodeSize(Compilation& c, int n);
// The size report has always come out short of the bytes of a few sequences
// (most of expression code leaves its pop HL out). The report must not
// change, so those sequences take the bytes off again through this; each
// call says what it leaves out.
void LeaveOutOfSizeReport(Compilation& c, int bytes);

// Adds the name to ExternNames (GlobalNames) unless it is already there.
void NoteExternal(Compilation& c, std::string_view name);
void NoteGlobal(Compilation& c, std::string_view name);

// "call <routine>" in one of the call forms, followed by NoteExternal.
void EmitCall(Compilation& c, Routine routine, Op form = Op::Call);

// Pop HL: push elision when PendingPush is non-zero, else "pop hl".
void PopHL(Compilation& c);
// The elision itself: deletes the newest "push hl" line (comments skipped),
// removes its history entry, takes its byte off, clears PendingPush.
void ElidePush(Compilation& c);

// "@@" + LabelCounter; NewLabel increments the counter, PeekLabel does not.
std::string NewLabel(Compilation& c);
std::string PeekLabel(const Compilation& c);
// The label line "<label>:".
void EmitGeneratedLabel(Compilation& c, const std::string& label);

// The name under which a symbol appears in the .Mac text (cut to 255).
std::string AssemblerName(const Compilation& c, int symbol);
// "@" + AssemblerName: the label of a routine's code.
std::string CodeLabelName(const Compilation& c, int symbol);
// "@" + AssemblerName + ":" as a label line; "jp @" + AssemblerName.
void EmitSymbolLabel(Compilation& c, int symbol);
void EmitJumpToSymbol(Compilation& c, int symbol);

// A history value as text: decimal for a number, the assembler name for a symbol.
std::string HistoryValueText(const Compilation& c, std::uint32_t value);
// The history value of a constant (its low 16 bits) and of a symbol's address.
constexpr std::uint32_t HistoryConstant(std::int32_t v) {
  return static_cast<std::uint32_t>(v) & 0xFFFFu;
}
constexpr std::uint32_t HistorySymbol(int symbol) {
  return kHistorySymbolBase + (static_cast<std::uint32_t>(symbol) & 0xFFFFu);
}

// Upper-case hexadecimal of fixed width, e.g. Hex(0xC000, 4) == "C000".
std::string Hex(std::uint32_t value, int digits);
// "0" + Hex(low 16 bits, 4) + "H", the form of 16-bit numbers in generated text.
std::string HexWord(std::uint32_t value);

} // namespace velkor
