#include "compiler/emit/overlay_areas.h"

#include "compiler/compile_error.h"
#include "compiler/emit/output.h"

namespace velkor {
namespace {

std::string AreaPart(int area, int part) {
  return "_G" + std::to_string(area) + "P" + std::to_string(part);
}

std::string Buffer(int area) {
  return "@@OVRB" + std::to_string(area);
}

// A Z80 copies a part from the low 16 bits of its load position: an area
// whose parts end past FFFFH fails the link with a text that names it.
// The run-time library's own check sees only the area closed last.
constexpr std::uint32_t kZ80LoadLimit = 0x10000;

void EmitZ80LoadCheck(Compilation& c, int area) {
  std::string text = "A Z80 cannot load overlay parts stored at or above " + Hex(kZ80LoadLimit, 5) +
                     "H: area " + std::to_string(area);
  const std::int64_t stored = c.OverlaySizes[area].loadAddress;
  if (stored >= 0) text += ", load position " + Hex(static_cast<std::uint32_t>(stored), 5) + "H";
  Emit(c, "MemLoadError " + Hex(kZ80LoadLimit + 1, 6) + "H,'" + text + "'");
}

bool NestedAreaOpened(const Compilation& c, const OverlayContext& declaredIn) {
  return c.OverlayLevel > declaredIn.level;
}

void SetOverlayContext(Compilation& c, const OverlayContext& context) {
  c.OverlayLevel = context.level;
  c.CurrentArea = context.area;
  c.FirstPart = context.firstPart;
  c.NextAreaLoadAddress = context.loadAddress;
}

OverlayPart BeginPartInCurrentArea(Compilation& c) {
  c.OverlayMode = true;
  if (c.OverlayLevel == 2) {
    c.WriteDeferred = true;
    c.PendingPush = 0;
  }
  OverlaySizeCounters& counters = c.OverlaySizes[c.CurrentArea];
  const OverlayPart part{c.CurrentArea, counters.partCount + 1};
  const std::string area = std::to_string(part.area);
  Emit(c, "SizeCounterZero " + area);
  Emit(c, "Count " + area);
  if (c.FirstPart) {
    counters.currentSize = 0;
    counters.largestSize = 0;
    Emit(c, "LoadMark " + area);
    Emit(c, "OrgMark " + area);
    counters.loadAddress = c.NextAreaLoadAddress;
    if (c.NextAreaLoadAddress >= 0) {
      Emit(c, "Org " + Buffer(part.area) + "," +
                  Hex(static_cast<std::uint32_t>(c.NextAreaLoadAddress), 5) + "H");
      c.NextAreaLoadAddress = -1;
    } else {
      Emit(c, "LoadResume 32");
      Emit(c, "Org " + Buffer(part.area) + ",LOADNEXT");
    }
    c.FirstPart = false;
  } else {
    Emit(c, "Org " + Buffer(part.area) + ",LOADNEXT");
  }
  Emit(c, "LoadRef @@OVRL" + AreaPart(part.area, part.part));
  ++counters.partCount;
  counters.partNumber = counters.partCount;
  return part;
}

} // namespace

std::string OverlayDescriptorLabel(int area, int part) {
  return "@@OVRI" + AreaPart(area, part);
}

void OpenOverlayArea(Compilation& c) {
  if (!c.OverlayActive && c.OverlayLevel > 0) ReportCompileError(c, kErrOverlayStartLevel);
  if (c.OverlayLevel >= 2) ReportCompileError(c, kErrOverlayLevel);
  if (c.OverlayAreaCount >= kMaxOverlayAreas) ReportTableOverflow(c, "OVERLAY AREAS");
  c.FirstPart = true;
  c.OverlayActive = true;
  ++c.OverlayAreaCount;
  if (c.OverlayLevel == 1) c.SavedArea = c.CurrentArea;
  c.CurrentArea = c.OverlayAreaCount;
  c.OverlaySizes[c.CurrentArea] = {};
  ++c.OverlayLevel;
}

void CloseOverlayArea(Compilation& c) {
  if (!c.OverlayActive || c.OverlayLevel == 0) ReportCompileError(c, kErrOverlayNotActive);
  const std::string area = std::to_string(c.CurrentArea);
  if (!c.Settings.Z180) EmitZ80LoadCheck(c, c.CurrentArea);
  Emit(c, "LoadMark 32");
  Emit(c, "LoadResume " + area);
  Emit(c, "OrgResume " + area);
  if (c.OverlayLevel == 2) {
    // The outer part's own code goes on here, so it must not stay deferred.
    c.WriteDeferred = false;
    c.PendingPush = 0;
    c.CurrentArea = c.SavedArea;
  } else {
    c.OverlayMode = false;
    c.OutputLines.append(c.DeferredLines);
    c.DeferredLines.clear();
    c.WriteDeferred = false;
    c.PendingPush = 0;
    c.OverlayActive = false;
  }
  --c.OverlayLevel;
}

void SetOverlayLoadAddress(Compilation& c, std::uint32_t address) {
  c.NextAreaLoadAddress = address;
}

OverlayContext CurrentOverlayContext(const Compilation& c) {
  return {c.OverlayLevel, c.CurrentArea, c.FirstPart, c.NextAreaLoadAddress};
}

bool DeclaresOverlayPart(const Compilation& c, const OverlayContext& declaredIn) {
  const OverlayContext in = NestedAreaOpened(c, declaredIn) ? declaredIn : CurrentOverlayContext(c);
  if (in.level == 0) return false;
  for (int routine = c.CurrentRoutine; routine != 0; routine = c.Identifiers[routine].owner) {
    if (c.Identifiers[routine].overlayArea == in.area) return false;
  }
  return true;
}

OverlayPart BeginOverlayPart(Compilation& c, const OverlayContext& declaredIn) {
  if (!NestedAreaOpened(c, declaredIn)) return BeginPartInCurrentArea(c);
  // The part starts in the outer area's state; the nested area then gets its
  // own back, except an address given before the heading that the part took.
  const OverlayContext nested = CurrentOverlayContext(c);
  SetOverlayContext(c, declaredIn);
  const OverlayPart part = BeginPartInCurrentArea(c);
  const std::int64_t addressLeft = c.NextAreaLoadAddress;
  SetOverlayContext(c, nested);
  if (nested.loadAddress == declaredIn.loadAddress) c.NextAreaLoadAddress = addressLeft;
  return part;
}

void EmitOverlayPartEntry(Compilation& c, OverlayPart part) {
  EmitLabelLine(c, "@@OVRE" + AreaPart(part.area, part.part) + "\tEQU $");
}

void EndOverlayPart(Compilation& c, OverlayPart part) {
  const std::string area = std::to_string(part.area);
  Emit(c, "Storelarger " + area);
  Emit(c, "StoreSize " + area + ",@@OVRS" + AreaPart(part.area, part.part));
  OverlaySizeCounters& counters = c.OverlaySizes[part.area];
  if (counters.currentSize > counters.largestSize) counters.largestSize = counters.currentSize;
  counters.currentSize = 0;
  if (c.OverlayLevel == 0) {
    Emit(c, "OrgResume " + area);
    c.OverlayMode = false;
  }
}

void EmitInitOverlay(Compilation& c) {
  for (int area = 1; area <= c.OverlayAreaCount; ++area) {
    Emit(c, Op::LdHL, OverlayDescriptorLabel(area, 1) + "+6");
    EmitCall(c, Routine::InitializeOverlay);
  }
}

std::vector<std::string> OverlayDescriptorTableLines(const Compilation& c) {
  std::vector<std::string> lines;
  for (int area = 1; area <= c.OverlayAreaCount; ++area) {
    for (int part = 1; part <= c.OverlaySizes[area].partCount; ++part) {
      const std::string ap = AreaPart(area, part);
      lines.push_back(OverlayDescriptorLabel(area, part));
      lines.push_back("\tDB " + std::to_string(part));
      lines.push_back("\tDREF @@OVRL" + ap);
      lines.push_back("\tDWSIZE @@OVRS" + ap);
      lines.push_back("\tDW " + Buffer(area));
      lines.push_back("\tDW @@OVRE" + ap);
    }
  }
  return lines;
}

std::vector<std::string> OverlayBufferLines(const Compilation& c) {
  std::vector<std::string> lines;
  for (int area = 1; area <= c.OverlayAreaCount; ++area) {
    lines.push_back("\tDS 1");
    lines.push_back(Buffer(area) + ":\tDSSIZE " + std::to_string(area));
  }
  return lines;
}

} // namespace velkor
