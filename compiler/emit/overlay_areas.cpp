#include "compiler/emit/overlay_areas.h"

#include <cstdio>

namespace velkor {
namespace {

std::string AreaPart(unsigned area, unsigned part) {
    return "_G" + std::to_string(area) + "P" + std::to_string(part);
}

std::string Buffer(unsigned area) { return "@@OVRB" + std::to_string(area); }

}  // namespace

std::string OverlayDescriptorLabel(unsigned area, unsigned part) { return "@@OVRI" + AreaPart(area, part); }

OverlayResult OverlayAreas::OpenArea(int nestingDepth) {
    if (!active_ && OverlayLevel > 0) return OverlayResult::StartNotOnLevelOne;
    if (OverlayLevel >= kMaxLevel) return OverlayResult::LevelTooDeep;
    if (areaCount_ >= kMaxAreas) return OverlayResult::TooManyAreas;
    firstPart_ = true;
    active_ = true;
    ++areaCount_;
    if (OverlayLevel == 1) savedArea_ = currentArea_;
    currentArea_ = areaCount_;
    counters_[currentArea_] = {};
    areaDepth_[currentArea_] = nestingDepth;
    ++OverlayLevel;
    return OverlayResult::Ok;
}

OverlayResult OverlayAreas::CloseArea(OverlayLineSink& sink) {
    if (!active_ || OverlayLevel == 0) return OverlayResult::NotActive;
    const std::string area = std::to_string(currentArea_);
    sink.WriteInstruction("LoadMark 32");
    sink.WriteInstruction("LoadResume " + area);
    sink.WriteInstruction("OrgResume " + area);
    if (OverlayLevel == 2) {
        // The outer part's own code continues here, so it must not stay deferred.
        sink.SetWriteDeferred(false);
        sink.ClearPendingPush();
        currentArea_ = savedArea_;
    } else {
        overlayMode_ = false;
        sink.FlushDeferredLines();
        sink.SetWriteDeferred(false);
        sink.ClearPendingPush();
        active_ = false;
    }
    --OverlayLevel;
    return OverlayResult::Ok;
}

OverlayAreas::Part OverlayAreas::BeginPart(OverlayLineSink& sink) {
    overlayMode_ = true;
    if (OverlayLevel == 2) {
        sink.SetWriteDeferred(true);
        sink.ClearPendingPush();
    }
    OverlaySizeCounters& counters = counters_[currentArea_];
    const Part part{currentArea_, static_cast<unsigned>(counters.partCount) + 1u};
    const std::string area = std::to_string(part.area);
    sink.WriteInstruction("SizeCounterZero " + area);
    sink.WriteInstruction("Count " + area);
    if (firstPart_) {
        counters.currentPartSize = 0;
        counters.largestPartSize = 0;
        sink.WriteInstruction("LoadMark " + area);
        sink.WriteInstruction("OrgMark " + area);
        if (hasLoadAddress_) {
            char address[16];
            std::snprintf(address, sizeof address, "%05X", static_cast<unsigned>(nextLoadAddress_ & 0xFFFFF));
            sink.WriteInstruction("Org " + Buffer(part.area) + "," + address + "H");
            hasLoadAddress_ = false;
        } else {
            sink.WriteInstruction("LoadResume 32");
            sink.WriteInstruction("Org " + Buffer(part.area) + ",LOADNEXT");
        }
        firstPart_ = false;
    } else {
        sink.WriteInstruction("Org " + Buffer(part.area) + ",LOADNEXT");
    }
    sink.WriteInstruction("LoadRef @@OVRL" + AreaPart(part.area, part.part));
    ++counters.partCount;
    counters.partNumber = counters.partCount;
    return part;
}

void OverlayAreas::WritePartEntry(OverlayLineSink& sink, Part part) {
    sink.WriteLabel("@@OVRE" + AreaPart(part.area, part.part) + "\tEQU $");
}

void OverlayAreas::EndPart(OverlayLineSink& sink, Part part) {
    const std::string area = std::to_string(part.area);
    sink.WriteInstruction("Storelarger " + area);
    sink.WriteInstruction("StoreSize " + area + ",@@OVRS" + AreaPart(part.area, part.part));
    OverlaySizeCounters& counters = counters_[part.area];
    if (counters.currentPartSize > counters.largestPartSize) counters.largestPartSize = counters.currentPartSize;
    counters.currentPartSize = 0;
    if (OverlayLevel == 0) {
        sink.WriteInstruction("OrgResume " + area);
        overlayMode_ = false;
    }
}

void OverlayAreas::AddCode(std::int32_t bytes) {
    OverlaySizeCounters& counters = counters_[currentArea_];
    counters.currentPartSize = static_cast<std::uint16_t>(counters.currentPartSize + bytes);
    totalOverlayCode_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(totalOverlayCode_) + bytes);
}

void OverlayAreas::WriteInitOverlay(OverlayLineSink& sink, std::uint32_t& codeSize) const {
    for (unsigned area = 1; area <= areaCount_; ++area) {
        sink.WriteInstruction("ld hl," + OverlayDescriptorLabel(area, 1) + "+6");
        sink.WriteInstruction("call __InitializeOverlay");
        codeSize += 6;
    }
}

std::vector<std::string> OverlayAreas::DescriptorTableLines() const {
    std::vector<std::string> lines;
    for (unsigned area = 1; area <= areaCount_; ++area) {
        for (unsigned part = 1; part <= counters_[area].partCount; ++part) {
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

std::vector<std::string> OverlayAreas::BufferLines() const {
    std::vector<std::string> lines;
    for (unsigned area = 1; area <= areaCount_; ++area) {
        lines.push_back("\tDS 1");
        lines.push_back(Buffer(area) + ":\tDSSIZE " + std::to_string(area));
    }
    return lines;
}

}  // namespace velkor
