#pragma once
// The state of one assembly run and the pass driver. Instruction encoding
// (instruction_encoder) and directive handling (directives) work on it.

#include "assembler/asm_lexer.h"
#include "assembler/asm_symbols.h"
#include "common/message_list.h"
#include "common/object_file.h"
#include "platform/text.h"
#include "platform/ui_host.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velkor::asmsrc {

struct Statement;
class Listing;

// Size counters and overlay handles: handles 1..32.
inline constexpr std::size_t kSizeCounterCount = 32;
// How often (in lines) the window system may process its pending messages.
inline constexpr std::size_t kEventInterval = 16;

struct AssemblySettings {
  // Where INCLUDE looks for its files.
  std::string projectDirectory;
  // The project option that also makes the linker write the .SYM file.
  bool symbolOutput = false;
  // AssembleFile also writes NAME.LST beside the source.
  bool writeListing = false;
};

struct SizeCounter {
  std::uint16_t count = 0;
  std::uint16_t larger = 0;
};

struct Macro {
  std::string name;
  std::string parameters; // everything after MACRO on its line
  std::vector<std::string> body;
};

// Where and why the first error happened.
struct AssemblyError {
  int number = -1;
  std::string message;    // as reported, include file prefix included
  std::string sourceLine; // upper-case copy of the offending line
  std::string file;       // include file name, or empty for the main source
  std::size_t lineIndex = 0;
};

// The result of operand evaluation; which record carries it follows from kind.
enum class OperandKind { Absolute, LocalLabel, Dollar, External, EquateName, Expression, Unknown };

struct Operand {
  OperandKind kind = OperandKind::Absolute;
  std::uint16_t value = 0;      // Absolute; LocalLabel: its location
  std::uint16_t labelIndex = 0; // LocalLabel
  std::uint8_t segmentByte = 0; // LocalLabel
  std::string_view name;        // External, EquateName
};

// Expression text for the object file, and a decimal form for computing.
struct ExpressionText {
  std::string object;
  std::string decimal;
  bool external = false; // refers to an external label
  bool unknown = false;  // an equate or a name without value
};

class Assembly {
public:
  // The window system pumps every kEventInterval lines and saves an include
  // file open with unsaved changes before pass 1 reads it.
  Assembly(std::vector<std::string> lines, AssemblySettings settings, MessageList& messages,
           platform::UiHost& ui);

  // Runs pass 1 and, after a clean pass 1, pass 2.
  void run();

  bool failed() const { return errorFlag; }
  const AssemblyError& error() const { return firstError; }
  ObjectWriter& object() { return out; }
  const std::vector<std::pair<std::string, std::uint16_t>>& writeEntries() const {
    return writeList;
  }

  // ---- used by the encoder and the directive handlers ----
  [[noreturn]] void fail(int number, std::string_view freeText = {});

  int pass = 1;
  // Records are written in pass 2 only.
  bool writing() const { return pass == 2; }
  Segment segment = Segment::Code;
  std::uint8_t segmentByte() const {
    return segment == Segment::Data ? rro::SegmentData : rro::SegmentCode;
  }
  std::uint32_t location = 0;
  std::uint32_t statementStart = 0;
  // Moves the location counter and the active size counter by placed bytes.
  void advance(std::uint32_t bytes);

  SymbolTables symbols;
  ObjectWriter out;
  AssemblySettings settings;
  // Told where each line of the final pass begins; null when no listing is asked for.
  Listing* listing = nullptr;

  std::uint16_t ifDepth = 0;
  std::array<SizeCounter, kSizeCounterCount> sizeCounters{};
  std::size_t activeCounter = 0; // handle - 1
  std::vector<std::pair<std::string, std::uint16_t>> writeList;

  bool recordingMacro = false;
  bool expandingMacro = false;
  bool skippingMacroBody = false; // pass 2: a definition's lines
  bool inInclude = false;
  bool endFlag = false;
  bool includeEndFlag = false;
  std::vector<Macro> macros;
  std::unordered_map<std::string, std::size_t, platform::NameHash, std::equal_to<>> macroIndex;

  // Operand evaluation (as the object file needs it).
  Operand evaluate(std::string_view operand);
  // True when the operand contains + - * /.
  static bool hasOperator(std::string_view operand);
  void buildExpression(std::string_view text, ExpressionText& result);
  // Word and byte rule: writes the record that carries the operand. `offset`
  // is the operand's distance from the statement start (for `$`).
  void emitWord(std::string_view operand, std::uint32_t offset);
  void emitByte(std::string_view operand, std::uint32_t offset);
  // A value reference (records 0x19, 0x1A, 0x1E, 0x2E).
  void emitValueRef(std::string_view operand, const std::function<void(const ValueRef&)>& write);
  // Computes text in the assembler, labels by their locations; error numbers
  // for an external and for text that cannot be computed.
  std::uint16_t compute(std::string_view text, int externalError, int unknownError);

  // The file to include, found in the project directory.
  void includeFile(std::string_view operand);
  void beginMacro(std::string_view name, std::string_view parameters);
  void endMacro();
  void expandMacro(const Macro& macro, std::string_view arguments);

private:
  void runPass();
  void processLines(const std::vector<std::string>& lines, bool isInclude);
  void processLine(const std::string& line);
  void processStatement(std::string_view line);
  void defineLabel(std::string_view name);
  void recordBodyStatement(const Statement& s, bool hasLabel);
  void reportError(int number, std::string_view freeText);

  std::vector<std::string> sourceLines;
  MessageList& messages;
  platform::UiHost& ui;
  bool errorFlag = false;
  AssemblyError firstError;
  // Where the line in progress comes from, for the error position.
  std::size_t currentIndex = 0;
  std::string includeName;
  std::string_view currentLine;
  std::size_t linesSinceEvents = 0;
  // Where the macro being recorded began, for an error at the end of the pass.
  std::string macroLine;
  std::size_t macroLineIndex = 0;
  std::string macroFile;
};

// Thrown by fail() to leave the line in progress; caught by the pass driver.
struct AssemblyStopped {};

} // namespace velkor::asmsrc
