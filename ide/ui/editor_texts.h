#pragma once
// What the editor window and its tool windows say to the user, spelled
// exactly as users of the system know it ("occurence" included). "%1" is
// filled in with QString::arg.

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
inline constexpr std::string_view kFileNotFound = "File %1 not found";
inline constexpr std::string_view kOpenOnAnotherPage = "%1 is open on another page.";
inline constexpr std::string_view kNameTooLong = "%1 is too long: a file name holds at most %2 "
                                                 "characters.";

// After the searched text.
inline constexpr std::string_view kNotFound = " not found.";
// Before the searched text in double quotes.
inline constexpr std::string_view kReplaceThisOccurence = "Replace this occurence of ";
inline constexpr std::string_view kReplaceDone = "Done...";

} // namespace velkor::ui
