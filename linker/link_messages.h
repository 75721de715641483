// The linker's texts, in one table so that tests and callers share them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace velkor::link_text {

inline constexpr std::string_view kStarting = "Starting Linker...";
inline constexpr std::string_view kLinking = "Linking ";
inline constexpr std::string_view kComplete = "Link complete. No Errors";
inline constexpr std::string_view kNotCompleted = "Link not completed";
inline constexpr std::string_view kNoSources = "No sources in project...";
inline constexpr std::string_view kFilePrefix = "Linker file ";

inline constexpr std::string_view kTargetOutOfBounds = "Target out of bounds";
inline constexpr std::string_view kInvalidData = "Invalid data in file";
inline constexpr std::string_view kDuplicateNamedValue = "Duplicate code location/size identifier";
inline constexpr std::string_view kMarkerNotSet = "ORG/LOAD marker used before it was set";
inline constexpr std::string_view kDuplicateGlobal = "Duplicate global label :";
inline constexpr std::string_view kExternalLabel = "External label :";
inline constexpr std::string_view kExternalEquate = "External label (Equate) :";
inline constexpr std::string_view kExternalEquateInExpression = "External label (Equate):";
inline constexpr std::string_view kNotFoundSuffix = " not found";
inline constexpr std::string_view kCannotEvaluateColon = "Cannot evaluate: ";
inline constexpr std::string_view kCannotEvaluate = "Cannot evaluate ";
inline constexpr std::string_view kDuplicateEquate = "Duplicate label (Equate): ";
inline constexpr std::string_view kCannotFindEquate = "Cannot find equate: ";
inline constexpr std::string_view kCodeLocationReference = "Code location reference ";
inline constexpr std::string_view kCodeSizeReference = "Code size reference ";
inline constexpr std::string_view kRelativeOutOfRange = "Relative branch out of range";
inline constexpr std::string_view kNotSettling =
    "Addresses do not settle: conditional blocks depend on their own placement";

inline constexpr std::string_view kLoadPositionAtCheck = "Load position at this check: ";
inline constexpr std::string_view kLoading = " Loading ";
inline constexpr std::string_view kLoadFileMissing = " Warning: Load file not found: ";
inline constexpr std::string_view kRunning = " Running ";
inline constexpr std::string_view kRunFileMissing = " Warning: Run file not found: ";
inline constexpr std::string_view kRunWhenDoneMissing = " Warning: Run when done file not found: ";
inline constexpr std::string_view kCannotStart = " Warning: Cannot start program: ";
inline constexpr std::string_view kRunningAfterLink = "Running after link ";
inline constexpr std::string_view kCodeStart = " Code start ";
inline constexpr std::string_view kDataStart = " Data start ";
inline constexpr std::string_view kDoesNotFit =
    "Warning: Executable code does not fit into target device";

inline constexpr std::string_view kImageSize = "Image size ";
inline constexpr std::string_view kCodeOverlapsData = "Warning: Code area ";

// The line under kDoesNotFit: both sizes, so the user sees by how much.
inline std::string DoesNotFitSizes(std::uint32_t imageSize, std::uint32_t deviceSize) {
  return std::string(kImageSize) + std::to_string(imageSize) + " bytes, device size " +
         std::to_string(deviceSize) + " bytes";
}

// After a link that placed data over code: the code runs into its own variables.
// Ranges are load positions, first and last byte.
inline std::string CodeUnderData(std::uint32_t codeStart, std::uint32_t codeEnd,
                                 std::uint32_t dataStart, std::uint32_t dataEnd) {
  auto range = [](std::uint32_t start, std::uint32_t end) {
    return platform::Hex(start, 5) + "H-" + platform::Hex(end - 1, 5) + "H";
  };
  return std::string(kCodeOverlapsData) + range(codeStart, codeEnd) + " overlaps data area " +
         range(dataStart, dataEnd);
}

} // namespace velkor::link_text
