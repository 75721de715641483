#pragma once
// Overlay areas: the bookkeeping behind {#O+}, {#O-} and {#O constant}, the
// lines around every overlay part, and the descriptor table and buffers of the
// module tail.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

// Where overlay lines go. The compiler's emitter implements it; tests use a
// recording one.
class OverlayLineSink {
public:
    virtual ~OverlayLineSink() = default;
    virtual void WriteInstruction(const std::string& text) = 0;  // gets a leading tab
    virtual void WriteLabel(const std::string& text) = 0;        // written as it stands
    virtual void SetWriteDeferred(bool on) = 0;
    virtual void ClearPendingPush() = 0;
    // Appends DeferredLines to OutputLines and empties them.
    virtual void FlushDeferredLines() = 0;
};

struct OverlaySizeCounters {
    std::uint16_t currentPartSize = 0;
    std::uint16_t largestPartSize = 0;
    std::uint16_t partNumber = 0;
    std::uint16_t partCount = 0;
};

enum class OverlayResult { Ok, NotActive, StartNotOnLevelOne, LevelTooDeep, TooManyAreas };

class OverlayAreas {
public:
    static constexpr unsigned kMaxAreas = 31;
    static constexpr unsigned kMaxLevel = 2;

    // {#O+}; nestingDepth is the routine nesting at which the area starts, so
    // that only routines declared directly in it become parts.
    OverlayResult OpenArea(int nestingDepth);
    // {#O-}
    OverlayResult CloseArea(OverlayLineSink& sink);
    // {#O constant}
    void SetNextLoadAddress(std::uint32_t address) { nextLoadAddress_ = address; hasLoadAddress_ = true; }

    // Whether a routine declared at this nesting depth is a part of the open area.
    bool DeclaresPart(int nestingDepth) const {
        return OverlayLevel > 0 && nestingDepth == areaDepth_[currentArea_];
    }
    struct Part {
        unsigned area = 0;
        unsigned part = 0;
    };
    Part BeginPart(OverlayLineSink& sink);
    static void WritePartEntry(OverlayLineSink& sink, Part part);
    void EndPart(OverlayLineSink& sink, Part part);

    // Code size accounting while overlay code is generated.
    bool InOverlayMode() const { return overlayMode_; }
    void AddCode(std::int32_t bytes);

    // INITOVERLAY
    void WriteInitOverlay(OverlayLineSink& sink, std::uint32_t& codeSize) const;
    // Module tail pieces.
    std::vector<std::string> DescriptorTableLines() const;
    std::vector<std::string> BufferLines() const;

    unsigned AreaCount() const { return areaCount_; }
    const OverlaySizeCounters& Counters(unsigned area) const { return counters_.at(area); }
    std::uint32_t TotalOverlayCode() const { return totalOverlayCode_; }
    bool Active() const { return active_; }

    unsigned OverlayLevel = 0;

private:
    bool active_ = false;
    unsigned areaCount_ = 0;
    unsigned currentArea_ = 0;
    unsigned savedArea_ = 0;
    bool firstPart_ = false;
    bool hasLoadAddress_ = false;
    std::uint32_t nextLoadAddress_ = 0;
    bool overlayMode_ = false;
    std::uint32_t totalOverlayCode_ = 0;
    std::array<OverlaySizeCounters, kMaxAreas + 1> counters_{};  // numbered from 1
    std::array<int, kMaxAreas + 1> areaDepth_{};
};

std::string OverlayDescriptorLabel(unsigned area, unsigned part);

}  // namespace velkor
