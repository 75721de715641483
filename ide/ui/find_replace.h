#pragma once
// Find and replace on an editor control, with the questions and messages
// going through the UiHost.
//
//   SearchRequest request{"Count", "Total", /*matchCase=*/false, /*forward=*/true};
//   FindAndSay(*page, request, ui);        // selects the next "Count" or says it is not found
//   ReplaceAsking(*page, request, ui);     // asks Yes/No/Cancel/All for each one
//
// Searching starts at the caret: a find after the selection in its
// direction, so a repeated find moves on; a replace at the selection, so the
// occurrence a find left selected is the first one asked about. A
// replacement is never searched again, so replacing "a" with "aa" ends.

#include <QString>

#include "platform/ui_host.h"

class QsciScintilla;

namespace velkor::ui {

struct SearchRequest {
  QString text;
  QString replacement;
  bool matchCase = false;
  bool forward = true;
};

// Selects the next occurrence; false (nothing moved) when there is none.
bool FindNext(QsciScintilla& editor, const SearchRequest& request);
// FindNext, and the text + " not found." when there is none.
bool FindAndSay(QsciScintilla& editor, const SearchRequest& request, platform::UiHost& ui);
// Selects each occurrence in turn and asks whether to replace it; "All"
// replaces it and every later one without asking, Cancel stops. At the end
// (not after Cancel): "Done...", or the text + " not found." when there was
// none. All replacements undo as one. Returns how many were replaced.
int ReplaceAsking(QsciScintilla& editor, const SearchRequest& request, platform::UiHost& ui);

} // namespace velkor::ui
