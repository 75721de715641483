#pragma once
// The writer layer every emitter uses: tagged instruction lines, label lines,
// deleting the last instructions, the code size, EXTERN and GLOBAL names,
// pop HL with push elision, generated labels and assembler names.
//
//   EmitTagged(c, 'h', 5, "ld hl,5");   // "\tld hl,5", history gets ('h', 5)
//   EmitTagged(c, 'P', 0, "push hl");
//   AddCodeSize(c, 4);
//   ++c.PendingPush;
//   PopHL(c);                            // elides the push: HL still holds 5

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "compiler/emit/runtime_names.h"

namespace velkor {

// Appends tab + text to the current list and pushes (tag, value) into the history.
void EmitTagged(Compilation& c, char tag, std::uint32_t value, std::string_view text);
// The same with the blank tag and value 0.
void Emit(Compilation& c, std::string_view text);
// Appends the text without a tab; the history gets tag '\0', so no pattern spans it.
void EmitLabelLine(Compilation& c, std::string_view text);
// A line appended as it is, without touching the history (comments, {#P} lines).
void EmitRawLine(Compilation& c, std::string_view text);
// The same made of pieces, without a temporary string.
void EmitRawLine(Compilation& c, std::initializer_list<std::string_view> pieces);

// Walking back from the last line, deletes the last n lines that do not begin
// with ";". The first line of the list is never deleted.
void DeleteLastInstructions(Compilation& c, int n);

// Code size bookkeeping; in overlay mode the figures go to the current area.
void AddCodeSize(Compilation& c, int n);
void SubtractCodeSize(Compilation& c, int n);

// Adds the name to ExternNames (GlobalNames) unless it is already there.
void NoteExternal(Compilation& c, std::string_view name);
void NoteGlobal(Compilation& c, std::string_view name);

// "call <routine>" followed by NoteExternal; no code size.
void EmitCall(Compilation& c, Routine routine, char tag = ' ');

// Pop HL: push elision when PendingPush is non-zero, else "pop hl".
void PopHL(Compilation& c);
// The elision itself: deletes the newest "push hl" line (comments skipped),
// removes its history entry, subtracts 2, clears PendingPush.
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
// "@" + AssemblerName + ":" as a label line; "jp @" + AssemblerName (size 3).
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
