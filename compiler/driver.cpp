#include "compiler/driver.h"

#include <algorithm>

#include "common/encoded_lines.h"
#include "compiler/compile_error.h"
#include "compiler/emit/output.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/source_reader.h"
#include "compiler/symbol_table.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor {

namespace {

// The output is reserved from the source size: dense code writes six
// to eight .Mac bytes, and a .Mac line, for every two source bytes or so.
constexpr std::size_t kOutputBytesPerSourceByte = 12;
constexpr std::size_t kSourceBytesPerOutputLine = 2;

constexpr std::size_t kNamesPerLine = 8;
constexpr std::size_t kNameLineLength = 71;

void ReadLinkValue(Compilation& c, LinkValue& value, const char* keyword, int error,
                   bool allowLong) {
  NextSymbol(c);
  const bool number = c.Symbol == SymbolKind::ByteConst || c.Symbol == SymbolKind::WordConst ||
                      (allowLong && c.Symbol == SymbolKind::LongConst);
  if (number) {
    value = {LinkValue::State::Number, c.NumericValue};
  } else if (c.Symbol == SymbolKind::Identifier && c.IdentifierText == keyword) {
    value = {LinkValue::State::Symbolic, 0};
  } else {
    ReportCompileError(c, error);
  }
}

void LinkHeader(Compilation& c) {
  ReadLinkValue(c, c.CodeAddress, "CODEADD", kErrExpectedCodeAdd, false);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Comma) ReportCompileError(c, kErrExpectedComma);
  ReadLinkValue(c, c.DataAddress, "DATAADD", kErrExpectedDataAdd, false);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Comma) return;
  ReadLinkValue(c, c.LoadNext, "LOADNEXT", kErrExpectedLoadNext, true);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Comma) ReportCompileError(c, kErrExpectedComma);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  c.LoadRefName = c.IdentifierText;
  NextSymbol(c);
}

void CompileProgram(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol == SymbolKind::Identifier && c.IdentifierText == "LINK") LinkHeader(c);
  if (c.Symbol != SymbolKind::Program && c.Symbol != SymbolKind::Procedure)
    ReportCompileError(c, kErrProcedureOrProgramExpected);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  c.ProgramName = c.IdentifierText;
  c.AssemblerNames.clear(); // names made so far lack the prefix
  NoteGlobal(c, "@" + c.ProgramName);
  NoteExternal(c, "HeapPtr");
  NextSymbol(c);
  // PROGRAM T(INPUT, OUTPUT) is a habit from standard Pascal; say so plainly.
  if (c.Symbol == SymbolKind::LeftParen) ReportCompileError(c, kErrMainWithParameters);
  if (c.Symbol != SymbolKind::Semicolon) ReportCompileError(c, kErrExpectedSemicolon);

  EnterPredefinedIdentifiers(c);
  if (c.Blocks.size() < 2) c.Blocks.resize(2);
  c.Blocks[1] = BlockEntry{static_cast<std::uint16_t>(c.IdentifierCount), 1, 0, 0};
  c.Display[0] = 1; // the predefined names stay visible below every block

  Emit(c, "CODE");
  if (c.LoadNext.state == LinkValue::State::Number) {
    Emit(c, "ORG 0,0" + Hex(static_cast<std::uint32_t>(c.LoadNext.value) & 0xFFFFF, 5) + "H");
    Emit(c, "LOADREF " + c.LoadRefName);
  } else if (c.LoadNext.state == LinkValue::State::Symbolic) {
    Emit(c, "ORG 0,LOADNEXT");
    Emit(c, "LOADREF " + c.LoadRefName);
  }
  // The heading's ";" is still current: the block reads it as its own.
  CompileBlock(c, false, 1, 0);
  if (c.Symbol != SymbolKind::Period && c.Symbol != SymbolKind::Semicolon)
    ReportCompileError(c, kErrExpectedPeriodOrSemicolon);
}

std::string LinkLine(const Compilation& c) {
  std::string line = "\tLink ";
  line += c.CodeAddress.state == LinkValue::State::Symbolic
              ? "CODEADD,"
              : HexWord(static_cast<std::uint32_t>(c.CodeAddress.value)) + ",";
  line += c.DataAddress.state == LinkValue::State::Symbolic
              ? "DATAADD"
              : HexWord(static_cast<std::uint32_t>(c.DataAddress.value));
  return line;
}

// The source name with the output's extension in place of its own, or
// appended when it has none.
std::string OutputName(const std::string& source, std::string_view extension) {
  if (SourceExtension(source).empty()) return source + std::string(extension);
  return platform::ChangeExtension(source, extension);
}

void WriteOutput(Compilation& c) {
  if (c.OutputLines.empty()) return;
  std::string source = c.MainFile.path.empty() ? c.MainSourceName : c.MainFile.path;
  std::replace(source.begin(), source.end(), '\\', '/');
  std::string error;
  if (c.EncodeOutput) {
    c.OutputFileName = OutputName(source, ".EMS");
    if (!WriteEncodedFile(c.OutputFileName, c.OutputLines.Lines(), error))
      AbandonCompilation(c, "Cannot write file : " + c.OutputFileName + " (" + error + ")");
    return;
  }
  c.OutputFileName = OutputName(source, ".Mac");
  if (!platform::WriteFileAtomically(c.OutputFileName, c.OutputLines.Text(), error))
    AbandonCompilation(c, "Cannot write file : " + c.OutputFileName + " (" + error + ")");
}

// Compiles c.MainSourceName and writes the output; ECompileError after the
// report on every error.
void CompileSource(Compilation& c) {
  c.Ui.ProcessPendingMessages();
  // An unreadable source ends the build, so that no old .Mac is assembled.
  if (!OpenMainSource(c))
    AbandonCompilation(c, "Cannot find file : " + c.MainSourceName,
                       platform::DirectoryInsteadOfFile(c.MainSourceName));
  // An encoded source gives encoded output, as an encoded include does.
  c.EncodeOutput = c.MainFile.encoded;
  // Encoded sources hand their bytes to the record reader: no estimate.
  c.OutputLines.reserve(c.MainFile.bytes.size() * kOutputBytesPerSourceByte,
                        c.MainFile.bytes.size() / kSourceBytesPerOutputLine);

  CompileProgram(c);
  CloseAllSources(c);

  std::string linkLine;
  if (c.CodeAddress.state != LinkValue::State::NotGiven) linkLine = LinkLine(c);
  EmitModuleTail(c);
  // One insertion at the top: each one moves every line of the module.
  std::vector<std::string> top = BuildNameBlock(" EXTERN ", c.ExternNames);
  const std::vector<std::string> globals = BuildNameBlock(" GLOBAL ", c.GlobalNames);
  top.insert(top.end(), globals.begin(), globals.end());
  if (!linkLine.empty()) top.push_back(linkLine);
  c.OutputLines.insert_front(top);
  WriteOutput(c);
}

CompileResult Summary(const Compilation& c) {
  CompileResult result;
  result.ok = true;
  result.outputFile = c.OutputFileName;
  result.codeSize = c.CodeSize;
  result.dataSize = c.DataSize;
  result.identifiers = c.IdentifierCount;
  result.blocks = c.BlockCount;
  result.arraysAndStrings = c.ArrayCount - 1; // descriptor 1 is the predefined strings'
  for (int area = 1; area <= c.OverlayAreaCount; ++area)
    result.overlayBuffers.push_back(c.OverlaySizes[static_cast<std::size_t>(area)].largestSize);
  result.overlayTotal = c.OverlayTotal;
  for (const LineMark& mark : c.OutputLines.Marks())
    result.asmLines.push_back(
        {static_cast<std::uint32_t>(mark.line + 1), c.AsmLineSources[mark.tag]});
  return result;
}

} // namespace

std::vector<std::string> BuildNameBlock(const std::string& prefix,
                                        const std::vector<std::string>& names) {
  std::vector<std::string> lines;
  std::string current;
  std::size_t count = 0;
  for (const std::string& name : names) {
    current += current.empty() ? prefix + name : "," + name;
    if (++count == kNamesPerLine || current.size() >= kNameLineLength) {
      lines.push_back(current);
      current.clear();
      count = 0;
    }
  }
  if (!current.empty()) lines.push_back(current);
  if (!lines.empty()) lines.emplace_back();
  return lines;
}

CompileResult CompileFile(const std::string& path, const CompileSettings& settings,
                          MessageList& messages, platform::UiHost& ui) {
  Compilation c(messages, ui, settings);
  c.MainSourceName = path;
  for (const std::string& name : settings.Defines) {
    const std::string upper = platform::UpperCase(name); // as {#C} reads its words
    if (std::find(c.DefinedSymbols.begin(), c.DefinedSymbols.end(), upper) ==
        c.DefinedSymbols.end())
      c.DefinedSymbols.push_back(upper);
  }
  try {
    CompileSource(c);
  } catch (const ECompileError&) {
    CompileResult failed;
    failed.errorFile = c.ErrorFile;
    failed.errorLine = c.ErrorLine;
    failed.errorColumn = c.ErrorColumn;
    failed.errorMessage = c.ErrorText;
    return failed;
  }
  return Summary(c);
}

const SourcePlace* AsmLineSource(const CompileResult& result, std::uint32_t outputLine) {
  const auto found = std::lower_bound(
      result.asmLines.begin(), result.asmLines.end(), outputLine,
      [](const OutputLineSource& line, std::uint32_t wanted) { return line.outputLine < wanted; });
  if (found == result.asmLines.end() || found->outputLine != outputLine) return nullptr;
  return &found->source;
}

ProgramHeading ReadProgramHeading(const std::string& fileName) {
  ProgramHeading heading;
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui);
  c.MainSourceName = fileName;
  if (!OpenMainSource(c)) return heading;
  try {
    NextSymbol(c);
    if (c.Symbol == SymbolKind::Identifier && c.IdentifierText == "LINK") {
      heading.readable = heading.hasLink = true;
    } else if (c.Symbol == SymbolKind::Program) {
      NextSymbol(c);
      if (c.Symbol == SymbolKind::Identifier) {
        heading.readable = true;
        heading.programName = c.IdentifierText;
      }
    }
  } catch (const ECompileError&) {
  }
  CloseAllSources(c);
  return heading;
}

} // namespace velkor
