#include "compiler/compile_error.h"

#include <filesystem>

#include "compiler/compilation.h"
#include "compiler/source_reader.h"

namespace velkor {

const std::array<std::string_view, kCompileErrorCount> CompilerErrorMessages = {
    "Undefined identifier",
    "Multiple definition of this identifier",
    "Expected an identifier",
    "\"Procedure\" or \"Program\" expected",
    "Expected closing parenthesis \")\"",
    "Expected a colon \":\"",
    "Incorrectly used symbol",
    "Expected identifier or the symbol \"VAR\"",
    "Expected the symbol \"OF\"",
    "Expected an opening paranthesis \"(\"",
    "Expected identifier, \"ARRAY\" or \"RECORD\"",
    "Expected an opening bracket \"[\"",
    "Expected a closing bracket \"]\"",
    "Expected \"..\" without intervening blanks",
    "Expected a SEMICOLON \";\"",
    "Unsupported function result type",
    "Expected a equal sign \"=\"",
    "Expected a boolean expression",
    "Loop variable is of the wrong type",
    "Invalid type for loop",
    "Syntax error",
    "The number is to large",
    "Expect period \".\" or semicolon \";\"",
    "Bad type for a case statement",
    "Illegal character",
    "Illegal constant or constant identifier",
    "Illegal array subscript (check type)",
    "Illegal bounds for an array index",
    "Indexed variable must be ARRAY or STRING",
    "Expected a type identifier",
    "Undefined type",
    "Var with field selector must be record",
    "Expected type \"BOOLEAN\"",
    "Illegal type for arithmetic expression",
    "Expected integer for \"DIV\" or \"MOD\"",
    "Incompatible types for comparison",
    "Parameter types do not match",
    "Expected a variable",
    "String type expected",
    "Number of parameters do not match",
    "Illegal parameters \"READ\"",
    "Illegal parameters TO \"WRITE\"",
    "Parameter must be of type \"REAL\"",
    "Parameter must be of type \"INTEGER\"",
    "Expected variable or constant",
    "Expected a variable or procedure",
    "Types must match in an assignment",
    "Expected constant or identifier",
    "Argument of std. function of wrong type",
    "Expected a constant or OVERLAYADD",
    "Illegal symbol for a constant",
    "Expected BECOMES \":=\"",
    "Expected \"THEN\"",
    "Expected \"UNTIL\"",
    "Expected \"DO\"",
    "Expected \"TO\" OR \"DOWNTO\"",
    "Expected \"BEGIN\"",
    "Expected \"END\"",
    "Expected ID, CONST, \"NOT\" OR \"(\"",
    "Cannot evaluate expression",
    "Invalid character in source ",
    "Constant out of range",
    "Invalid type for case label",
    "Subrange types must be the same",
    "\"..\" not permitted",
    "String or char expected",
    "Invalid use of External keyword",
    "Label identifier expected",
    "Goto target must be inside current block",
    "Expected caret (^) on left side",
    "Expected caret (^) on right side",
    "Caret on both sides ???",
    "Expected a pointer variable",
    "Invalid type for pointer assignment",
    "Main procedure cannot have parameters",
    "Typed constant cannot be pointer",
    "Expected TRUE or FALSE",
    "Illegal constant",
    "Expected a comma \",\"",
    "Expected correct field name",
    "REALs are not supported",
    "Unsupported standard pascal function",
    "Invalid target for inc/dec",
    "Numeric constant or variable expected",
    "Illegal type in expession",
    "Longint not permitted here",
    "Invalid filename",
    "Include file not found",
    "To many nested include files",
    "Invalid compiler directive",
    "Continue statement not applicable here",
    "Break statement not applicable here",
    "Cannot evaluate expression",
    "Expected constant or CODEADD",
    "Expected constant or DATAADD",
    "Expected constant or LOADNEXT",
    "String constant exceeds line",
    "Word or Integer required to store pointe",
    "Overlay area not terminated ({#O-})",
    "Overlay system is not active",
    "Overlay memory not initialized",
    "Invalid word",
    "Unterminated conditional (missing endif)",
    "Unexpected end of sourcefile",
    "Expected LONGINT",
    "Expected RECORD",
    "Invalid typecast (object size missmatch)",
    "Invalid typecast (object not castable)",
    "To many dimensions (more than defined)",
    "Overlay level to great (level 1,2 only)",
    "To many forward declarations",
    "Compile canceled by user",
    "Overlay start must be on level 1",
    "Expected a character",
};

namespace {

std::string UpperExtension(const std::string& name) {
  std::string ext = std::filesystem::path(name).extension().string();
  for (char& ch : ext)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return ext;
}

[[noreturn]] void RaiseAfterReport(Compilation& c) {
  if (c.Host.BringMainWindowForward) c.Host.BringMainWindowForward();
  throw ECompileError();
}

} // namespace

void ReportCompileError(Compilation& c, int number) {
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

  if (UpperExtension(shownName) != ".EPS" && c.Host.ShowErrorPosition) {
    const int line = fileLine > 1 ? static_cast<int>(fileLine) - 1 : 0;
    const int column = c.Column > 1 ? static_cast<int>(c.Column) - 1 : 0;
    c.Host.ShowErrorPosition(editorPath, line, column);
  }
  RaiseAfterReport(c);
}

void ReportTableOverflow(Compilation& c, std::string_view table) {
  CloseAllSources(c);
  c.Messages.AddMessageLine("Compiler table for " + std::string(table) + " overflowed");
  c.Messages.AddMessageLine(" Fatal termination of Orvalen");
  RaiseAfterReport(c);
}

void AbandonCompilation(Compilation& c, const std::string& message) {
  CloseAllSources(c);
  c.Messages.AddMessageLine(message);
  RaiseAfterReport(c);
}

} // namespace velkor
