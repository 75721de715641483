#include "ide/ui/find_replace.h"

#include <Qsci/qsciscintilla.h>
#include <string>

#include "ide/ui/editor_texts.h"

namespace velkor::ui {
namespace {

using Base = QsciScintillaBase;

struct Match {
  long start = -1;
  long end = -1;
  bool Found() const { return start >= 0; }
};

// Positions are Scintilla's byte positions in the UTF-8 text.
Match Search(QsciScintilla& editor, const QByteArray& needle, bool matchCase, bool forward,
             long from) {
  long length = editor.SendScintilla(Base::SCI_GETLENGTH);
  editor.SendScintilla(Base::SCI_SETSEARCHFLAGS, matchCase ? Base::SCFIND_MATCHCASE : 0);
  editor.SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(from),
                       forward ? length : 0L);
  long start = editor.SendScintilla(Base::SCI_SEARCHINTARGET, static_cast<uintptr_t>(needle.size()),
                                    needle.constData());
  if (start < 0) return {};
  return {start, editor.SendScintilla(Base::SCI_GETTARGETEND)};
}

long SelectionEdge(QsciScintilla& editor, bool end) {
  return editor.SendScintilla(end ? Base::SCI_GETSELECTIONEND : Base::SCI_GETSELECTIONSTART);
}

// The caret ends on the side the search goes on from.
void Select(QsciScintilla& editor, const Match& match, bool forward) {
  long anchor = forward ? match.start : match.end;
  long caret = forward ? match.end : match.start;
  editor.SendScintilla(Base::SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
  editor.SendScintilla(Base::SCI_SCROLLCARET);
}

void Say(platform::UiHost& ui, const QString& text) {
  ui.MessageBox(text.toStdString(), kMessageCaption, platform::kOkOnly);
}

QString NotFound(const SearchRequest& request) {
  return request.text + QString::fromUtf8(kNotFound.data(), kNotFound.size());
}

} // namespace

bool FindNext(QsciScintilla& editor, const SearchRequest& request) {
  if (request.text.isEmpty()) return false;
  Match match = Search(editor, request.text.toUtf8(), request.matchCase, request.forward,
                       SelectionEdge(editor, /*end=*/request.forward));
  if (!match.Found()) return false;
  Select(editor, match, request.forward);
  return true;
}

bool FindAndSay(QsciScintilla& editor, const SearchRequest& request, platform::UiHost& ui) {
  if (request.text.isEmpty()) return false;
  if (FindNext(editor, request)) return true;
  Say(ui, NotFound(request));
  return false;
}

int ReplaceAsking(QsciScintilla& editor, const SearchRequest& request, platform::UiHost& ui) {
  if (request.text.isEmpty()) return 0;
  const QByteArray needle = request.text.toUtf8();
  const QByteArray replacement = request.replacement.toUtf8();
  const std::string question =
      std::string(kReplaceThisOccurence) + '"' + request.text.toStdString() + '"';
  const bool forward = request.forward;

  // A selected occurrence (left by Find Next) is the first one asked about.
  long from = SelectionEdge(editor, /*end=*/!forward);
  int found = 0;
  int replaced = 0;
  bool all = false;
  bool cancelled = false;
  editor.beginUndoAction();
  for (;;) {
    Match match = Search(editor, needle, request.matchCase, forward, from);
    if (!match.Found()) break;
    ++found;
    Select(editor, match, forward);
    platform::Answer answer =
        all ? platform::Answer::kAll
            : ui.MessageBox(question, kMessageCaption, platform::kYesNoCancelAll);
    if (answer == platform::Answer::kCancel) {
      cancelled = true;
      break;
    }
    if (answer == platform::Answer::kNo) {
      from = forward ? match.end : match.start;
      continue;
    }
    all = all || answer == platform::Answer::kAll;
    editor.SendScintilla(Base::SCI_SETTARGETRANGE, static_cast<unsigned long>(match.start),
                         match.end);
    long written =
        editor.SendScintilla(Base::SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()),
                             replacement.constData());
    ++replaced;
    Match inserted{match.start, match.start + written};
    Select(editor, inserted, forward);
    // Past the new text going forward, before it going backward.
    from = forward ? inserted.end : inserted.start;
  }
  editor.endUndoAction();
  if (!cancelled) {
    Say(ui, found == 0 ? NotFound(request)
                       : QString::fromUtf8(kReplaceDone.data(), kReplaceDone.size()));
  }
  return replaced;
}

} // namespace velkor::ui
