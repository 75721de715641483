#pragma once
// What the editor window and its find and replace say to the user, spelled
// exactly as users of the system know it ("occurence" included).

#include <string_view>

namespace velkor::ui {

inline constexpr std::string_view kEditorCaption = "Orvalen  File Editor";
inline constexpr std::string_view kMessageCaption = "Velkor";

// After the file name.
inline constexpr std::string_view kChangedSaveChanges = " has changed. Save changes ?";
inline constexpr std::string_view kChangedSaveTheChanges = " has changed. Save the changes ?";
inline constexpr std::string_view kCurrentFileChanged = "Current file has changed. Save ?";
inline constexpr std::string_view kOverwrite = " exists. Overwrite ?";
inline constexpr std::string_view kFileExists = "File exists. You must choose a new name...";

// After the searched text.
inline constexpr std::string_view kNotFound = " not found.";
// Before the searched text in double quotes.
inline constexpr std::string_view kReplaceThisOccurence = "Replace this occurence of ";
inline constexpr std::string_view kReplaceDone = "Done...";

} // namespace velkor::ui
