#pragma once
// Overlay areas: what {#O+}, {#O-} and {#O constant} do to the compilation,
// the lines around every overlay part, INITOVERLAY, and the descriptor table
// and buffers of the module tail.

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compilation.h"

namespace velkor {

// {#O+}: errors 112 and 109; more than 31 areas overflow "OVERLAY AREAS".
void OpenOverlayArea(Compilation& c);
// {#O-}: error 99 when no area is open; writes the area end.
void CloseOverlayArea(Compilation& c);
// {#O constant}: the load address of the next area's first part.
void SetOverlayLoadAddress(Compilation& c, std::uint32_t address);

// The overlay state a routine is declared in, taken before its heading. The
// symbol after the heading is read ahead, so a {#O+} there has opened the
// routine's nested area before its part starts.
struct OverlayContext {
  int level = 0;
  int area = 0;
  bool firstPart = false;
  std::int64_t loadAddress = -1;
};
OverlayContext CurrentOverlayContext(const Compilation& c);

// Whether the routine becomes a part of the area it was declared in:
// routines nested inside a part belong to that part.
bool DeclaresOverlayPart(const Compilation& c, const OverlayContext& declaredIn);

struct OverlayPart {
  int area = 0;
  int part = 0;
};
// Written when the part's declaration begins, before its nested routines.
OverlayPart BeginOverlayPart(Compilation& c, const OverlayContext& declaredIn);
// Right after the routine's entry label.
void EmitOverlayPartEntry(Compilation& c, OverlayPart part);
// After the routine's ret.
void EndOverlayPart(Compilation& c, OverlayPart part);

// INITOVERLAY
void EmitInitOverlay(Compilation& c);

// Module tail pieces.
std::vector<std::string> OverlayDescriptorTableLines(const Compilation& c);
std::vector<std::string> OverlayBufferLines(const Compilation& c);

// "@@OVRI_G<a>P<p>", the descriptor a call of a part hands to the handler.
std::string OverlayDescriptorLabel(int area, int part);

} // namespace velkor
