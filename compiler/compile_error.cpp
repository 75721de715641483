#include "compiler/compile_error.h"

#include <filesystem>

#include "compiler/compilation.h"
#include "compiler/source_reader.h"

namespace velkor {

namespace {

// The rows are numbered 0, 1, 2, ... with no gap, so the text of error n is row n.
constexpr bool ErrorRowsNumberedInOrder() {
  int expected = 0;
#define VELKOR_ERROR_IN_ORDER(number, name, text)                                                  \
  if (number != expected++) return false;
  VELKOR_COMPILE_ERRORS(VELKOR_ERROR_IN_ORDER)
#undef VELKOR_ERROR_IN_ORDER
  return true;
}
static_assert(ErrorRowsNumberedInOrder());

} // namespace

void ReportCompileError(Compilation& c, int number, std::string_view detail) {
  // The position belongs to the file being read when the error was found,
  // so take it before the files are closed.
  const bool inInclude = !c.IncludeStack.empty();
  const std::string shownName = inInclude ? c.IncludeStack.back().name : c.MainSourceName;
  std::string editorPath = shownName;
  if (inInclude) {
    std::filesystem::path include(c.IncludeStack.back().name);
    if (!include.has_parent_path())
      editorPath = (std::filesystem::path(c.MainSourceName).parent_path() / include).string();
  }
  const std::uint32_t fileLine = CurrentFileLine(c);
  CloseAllSources(c);

  std::string marker(c.Column > 2 ? c.Column - 2 : c.Column, ' ');
  marker += '^';
  std::string_view text =
      number >= 0 && number < kCompileErrorCount ? CompilerErrorMessages[number] : "";
  c.Messages.AddMessageLine(shownName);
  c.Messages.AddMessageLine("");
  c.Messages.AddMessageLine(c.PreviousLine);
  c.Messages.AddMessageLine(c.CurrentLine);
  c.Messages.AddMessageLine(marker);
  c.Messages.AddMessageLine(text.substr(0, kCompileErrorTextWidth));
  if (!detail.empty()) c.Messages.AddMessageLine(detail);
  c.ErrorFile = editorPath;
  c.ErrorLine = fileLine;
  c.ErrorColumn = marker.size();
  c.ErrorText = std::string(text.substr(0, kCompileErrorTextWidth));

  if (SourceExtension(shownName) != ".EPS") {
    const int line = fileLine > 1 ? static_cast<int>(fileLine) - 1 : 0;
    const int column = c.Column > 1 ? static_cast<int>(c.Column) - 1 : 0;
    c.Ui.ShowEditorPosition(editorPath, line, column);
  }
  throw ECompileError();
}

void ReportTableOverflow(Compilation& c, std::string_view table) {
  CloseAllSources(c);
  c.Messages.AddMessageLine("Compiler table for " + std::string(table) + " overflowed");
  c.Messages.AddMessageLine(" Fatal termination of Orvalen");
  throw ECompileError();
}

void AbandonCompilation(Compilation& c, const std::string& message, const std::string& detail) {
  CloseAllSources(c);
  c.Messages.AddMessageLine(message);
  if (!detail.empty()) c.Messages.AddMessageLine(detail);
  throw ECompileError();
}

} // namespace velkor
