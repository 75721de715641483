#include "assembler/assembly.h"

#include "assembler/asm_errors.h"
#include "assembler/directives.h"
#include "assembler/instruction_encoder.h"
#include "assembler/listing.h"
#include "assembler/source_file.h"

namespace velkor::asmsrc {
namespace {

bool IsCommentOrEmpty(std::string_view line) {
  for (char c : line) {
    if (IsBlank(c)) continue;
    return c == ';';
  }
  return true;
}

// Formal and actual macro arguments: words end at a blank or comma; text in
// double quotes is one word, two double quotes stand for one.
std::vector<std::string> MacroWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && (IsBlank(text[i]) || text[i] == ','))
      ++i;
    if (i >= text.size() || text[i] == ';') break;
    std::string word;
    bool quoted = false;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
          word += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        continue;
      }
      if (!quoted && (IsBlank(c) || c == ',' || c == ';')) break;
      word += c;
    }
    words.push_back(std::move(word));
  }
  return words;
}

} // namespace

Assembly::Assembly(std::vector<std::string> lines, AssemblySettings s, MessageList& m,
                   platform::UiHost& host)
    : settings(std::move(s)), sourceLines(std::move(lines)), messages(m), ui(host) {}

void Assembly::run() {
  sizeCounters = {};
  pass = 1;
  messages.AddMessageLine("Pass 1");
  runPass();
  if (errorFlag) return;
  if (symbols.labelCount() > kMaxLabels) {
    reportError(asmerr::FreeText, asmerr::kTooManyLabels);
    return;
  }
  symbols.assignIndexes();
  pass = 2;
  messages.AddMessageLine("Pass 2");
  runPass();
}

void Assembly::runPass() {
  ifDepth = 0;
  inInclude = recordingMacro = expandingMacro = skippingMacroBody = false;
  endFlag = includeEndFlag = false;
  if (pass == 1) {
    symbols.clear();
    writeList.clear();
    macros.clear();
    macroIndex.clear();
  }
  location = statementStart = 0;
  segment = Segment::Code;
  activeCounter = 0;
  out.setMuted(false);
  out.beginPass();
  out.setMuted(pass == 1);
  try {
    processLines(sourceLines, false);
    if (errorFlag) return;
    out.flush();
    if (recordingMacro) {
      currentLine = macroLine;
      currentIndex = macroLineIndex;
      inInclude = !macroFile.empty();
      includeName = macroFile;
      fail(asmerr::FreeText, asmerr::kMacroWithoutMacend);
    }
    if (ifDepth != 0) fail(asmerr::UnbalancedIf);
    if (out.full()) fail(asmerr::ObjectTooLarge);
  } catch (const AssemblyStopped&) {
  }
}

void Assembly::processLines(const std::vector<std::string>& lines, bool isInclude) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (errorFlag || endFlag || (isInclude && includeEndFlag)) break;
    if (++linesSinceEvents == kEventInterval) {
      linesSinceEvents = 0;
      ui.ProcessPendingMessages();
    }
    currentIndex = i;
    currentLine = lines[i];
    if (listing != nullptr && writing())
      listing->BeginLine(out, isInclude ? ListedFrom::Include : ListedFrom::Source,
                         isInclude ? includeName : std::string_view(), i + 1, lines[i]);
    processLine(lines[i]);
  }
}

void Assembly::processLine(const std::string& line) {
  if (IsCommentOrEmpty(line)) return;
  if (skippingMacroBody) {
    TokenLine tokens;
    tokens.tokenize(line);
    if (tokens.size() == 0) return;
    const std::string_view first = tokens[0].text;
    if (first == "END") {
      if (inInclude)
        includeEndFlag = true;
      else
        endFlag = true;
    } else if (first == "MACEND" && IsBlank(line[0])) {
      skippingMacroBody = false;
    }
    return;
  }
  const bool wasRecording = recordingMacro;
  processStatement(line);
  if (wasRecording && recordingMacro) macros.back().body.push_back(ToUpper(line));
  if (out.full()) fail(asmerr::ObjectTooLarge);
}

void Assembly::processStatement(std::string_view line) {
  statementStart = location;
  TokenLine tokens;
  tokens.tokenize(line);
  std::size_t next = 0;
  std::string_view label;
  const bool hasLabel = !line.empty() && !IsBlank(line[0]);
  if (hasLabel && tokens.size() > 0) {
    label = tokens[0].text;
    if (!label.empty() && label.back() == ':') label.remove_suffix(1);
    next = 1;
  }
  if (next >= tokens.size()) {
    if (hasLabel) {
      if (recordingMacro) fail(asmerr::LabelInMacro);
      defineLabel(label);
    }
    return;
  }
  Statement s;
  s.label = label;
  s.mnemonic = tokens[next].text;
  s.line = line;
  s.afterMnemonic = tokens[next].sourceEnd;
  std::span<const Token> all(&tokens[0], tokens.size());
  s.operands = all.subspan(next + 1);

  if (recordingMacro) {
    recordBodyStatement(s, hasLabel);
    return;
  }
  const auto forms = FindInstruction(s.mnemonic);
  const DirectiveHandler directive = forms.empty() ? FindDirective(s.mnemonic) : nullptr;
  if (hasLabel && !(directive != nullptr && DirectiveOwnsLabel(s.mnemonic))) defineLabel(label);

  if (!forms.empty()) {
    EncodeInstruction(*this, forms, s.operands);
    return;
  }
  if (directive != nullptr) {
    directive(*this, s);
    return;
  }
  if (expandingMacro) fail(asmerr::SyntaxError);
  auto it = macroIndex.find(s.mnemonic);
  if (it == macroIndex.end()) fail(asmerr::SyntaxError);
  expandMacro(macros[it->second], line.substr(std::min(s.afterMnemonic, line.size())));
}

void Assembly::defineLabel(std::string_view name) {
  if (name == "$") fail(asmerr::FreeText, asmerr::kDollarLabel);
  if (name.empty() || ParseNumber(name)) fail(asmerr::InvalidLabel);
  if (symbols.isEquate(name)) return;
  std::int32_t value = static_cast<std::int32_t>(location & 0xFFFF);
  if (segment == Segment::Data) value |= kDataLabelBit;
  if (pass == 1) {
    if (!symbols.addLabel(name, value)) fail(asmerr::DuplicateLabel);
    return;
  }
  Label* label = symbols.findLabel(name);
  if (label == nullptr) fail(asmerr::SyntaxError);
  label->value = value;
  out.labelDefinition(segment, label->index);
  if (settings.symbolOutput) out.symbolName(name);
  if (symbols.isGlobal(name)) out.globalDefinition(label->index, segment, name);
}

void Assembly::advance(std::uint32_t bytes) {
  location += bytes;
  SizeCounter& counter = sizeCounters[activeCounter];
  counter.count = static_cast<std::uint16_t>(counter.count + bytes);
}

void Assembly::beginMacro(std::string_view name, std::string_view parameters) {
  if (macroIndex.find(name) != macroIndex.end()) fail(asmerr::DuplicateLabel);
  macroLine = std::string(currentLine);
  macroLineIndex = currentIndex;
  macroFile = inInclude ? includeName : std::string();
  macroIndex.emplace(std::string(name), macros.size());
  macros.push_back({std::string(name), ToUpper(parameters), {}});
  recordingMacro = true;
}

void Assembly::endMacro() {
  recordingMacro = false;
}

// A body line is only recorded: its instructions and directives act when the
// macro is expanded, so that formal names may stand for registers and bit
// numbers. What cannot stand in a body is refused here.
void Assembly::recordBodyStatement(const Statement& s, bool hasLabel) {
  if (hasLabel) fail(asmerr::LabelInMacro);
  if (s.mnemonic == "MACEND") {
    if (!s.operands.empty()) fail(asmerr::SyntaxError);
    endMacro();
  } else if (s.mnemonic == "MACRO") {
    fail(asmerr::LabelInMacro);
  } else if (s.mnemonic == "END") {
    if (inInclude)
      includeEndFlag = true;
    else
      endFlag = true;
  } else if (macroIndex.find(s.mnemonic) != macroIndex.end()) {
    fail(asmerr::MacroInMacro);
  }
}

void Assembly::expandMacro(const Macro& macro, std::string_view arguments) {
  const std::vector<std::string> formals = MacroWords(macro.parameters);
  for (std::size_t i = 0; i < formals.size(); ++i)
    for (std::size_t j = i + 1; j < formals.size(); ++j)
      if (formals[i] == formals[j]) fail(asmerr::DuplicateMacroArgument);
  const std::vector<std::string> actuals = MacroWords(arguments);
  if (actuals.size() != formals.size()) fail(asmerr::MacroArgumentCount);

  expandingMacro = true;
  std::string rebuilt;
  TokenLine tokens;
  for (const std::string& bodyLine : macro.body) {
    tokens.tokenize(bodyLine);
    rebuilt.assign(1, ' ');
    for (std::size_t t = 0; t < tokens.size(); ++t) {
      std::string_view text = tokens[t].text;
      for (std::size_t f = 0; f < formals.size(); ++f)
        if (text == formals[f]) {
          text = actuals[f];
          break;
        }
      rebuilt += text;
      rebuilt += tokens[t].commaFollows ? ',' : ' ';
    }
    if (rebuilt == " ") continue;
    if (listing != nullptr && writing())
      listing->BeginLine(out, ListedFrom::Macro, inInclude ? includeName : std::string_view(),
                         currentIndex + 1, rebuilt);
    processStatement(rebuilt);
  }
  expandingMacro = false;
}

void Assembly::includeFile(std::string_view operand) {
  if (inInclude) fail(asmerr::NestedInclude);
  std::string name = WithoutQuotes(operand);
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::string path = FindFileIgnoringCase(settings.projectDirectory, name);
  if (path.empty()) fail(asmerr::IncludeNotFound);
  if (pass == 1) ui.SaveFileIfModified(path);
  std::vector<std::string> lines;
  std::string readError;
  if (!ReadSourceLines(path, lines, readError)) fail(asmerr::IncludeNotFound);

  const std::size_t savedIndex = currentIndex;
  const std::string_view savedLine = currentLine;
  inInclude = true;
  includeEndFlag = false;
  includeName = name;
  processLines(lines, true);
  if (errorFlag) throw AssemblyStopped{};
  inInclude = false;
  includeEndFlag = false;
  includeName.clear();
  currentIndex = savedIndex;
  currentLine = savedLine;
}

void Assembly::reportError(int number, std::string_view freeText) {
  if (errorFlag) return;
  errorFlag = true;
  std::string message(number == asmerr::FreeText ? freeText : asmerr::ErrorText(number));
  if (inInclude) message = includeName + ": " + message;
  firstError.number = number;
  firstError.message = message;
  firstError.sourceLine = ToUpper(currentLine);
  firstError.file = inInclude ? includeName : std::string();
  firstError.lineIndex = currentIndex;
  messages.AddMessageLine(firstError.message);
  messages.AddMessageLine(firstError.sourceLine);
}

void Assembly::fail(int number, std::string_view freeText) {
  reportError(number, freeText);
  throw AssemblyStopped{};
}

} // namespace velkor::asmsrc
