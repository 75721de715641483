#pragma once
// All the state of one compilation: CompileFile makes one for each call, so a
// compilation never depends on another. The compiler's own business; the
// environment sees CompileResult (compiler/compiler.h).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/encoded_lines.h"
#include "common/message_list.h"
#include "compiler/ascii_case.h"
#include "compiler/compiler.h"
#include "compiler/emit/emit_history.h"
#include "compiler/emit/line_list.h"
#include "compiler/symbol_kind.h"
#include "compiler/types.h"
#include "platform/ui_host.h"

namespace velkor {

// A LINK value: not given, the keyword itself (the linker supplies it), or a number.
struct LinkValue {
  enum class State : std::uint8_t { NotGiven, Symbolic, Number };
  State state = State::NotGiven;
  std::int32_t value = 0;
};

// The main source or one include file being read.
struct SourceFile {
  std::string name; // main: as given; include: without directory (at most 128 characters)
  std::string path; // the path that was opened
  bool encoded = false;
  bool endOfFile = false;
  std::uint32_t lineNumber = 0; // lines read from this file
  // Plain files: the bytes and the read position.
  std::string bytes;
  std::size_t position = 0;
  bool lastByteWasCR = false;
  // Encoded files: records decoded one by one.
  std::unique_ptr<EncodedLineReader> records;
};

struct IdentifierEntry {
  std::string name;                  // upper case
  std::uint16_t link = 0;            // previous identifier of the same block (0 ends the chain)
  std::uint8_t kind = kKindConstant; // IdentifierKind
  std::uint8_t type = kTypeNone;     // TypeCode
  std::uint16_t reference = 0; // array descriptor, or block of a record; a function's result type
  std::uint8_t level = 0;
  std::int32_t value = 0;   // constant value, predefined routine number, or address
  std::string stringValue;  // text of a string or char constant
  std::uint16_t offset = 0; // of a record field; a routine's block
  std::uint16_t size = 0;
  std::uint16_t owner = 0;    // routine whose declarations contain the name
  std::uint16_t selector = 0; // variable of the last {#S name}
  bool pointer = false;       // declared with "^"
  bool field = false;         // a record field
  bool predefined = false;    // predefined identifiers and record fields
  bool firstAfterSelector = false;
  std::uint16_t block = 0; // the block whose chain holds the entry

  // Parameter and storage details, kept by declarations and routine frames.
  bool byAddress = false;  // holds the address of its storage (var-parameter)
  bool globalMark = false; // parameter of a GLOBAL routine, or the routine itself
  bool external = false;
  bool exported = false;
  bool isParameter = false;
  std::uint8_t absoluteMode = 0;  // 0 normal, 1 fixed address, 2 at another variable
  std::uint16_t absoluteBase = 0; // the other variable (mode 2)
  std::uint16_t parameterCount = 0;
  std::uint8_t overlayArea = 0;
  std::uint8_t overlayPart = 0;
  bool typedConstant = false; // its storage is the data in the code area
};

// An identifier's assembler name as last made, with what it was made from
// that can still change: the GLOBAL mark and the {#L} switch.
struct CachedAssemblerName {
  std::string text;
  bool made = false;
  bool globalMark = false;
  bool programPrefix = false;
};

struct BlockEntry {
  std::uint16_t lastIdentifier = 0; // newest entry, start of the chain
  std::uint16_t lastParameter = 0;
  std::uint16_t parameterSize = 0;
  std::uint16_t variableSize = 0; // a record's total size
};

struct ArrayDescriptor {
  std::uint8_t indexType = kTypeInteger;
  std::uint8_t elementType = kTypeNone;
  std::uint16_t elementReference = 0;
  bool elementPointer = false; // element declared with "^": a 2-byte pointer
  std::uint16_t low = 0;
  std::uint16_t high = 0;
  std::uint16_t elementSize = 0;
  std::uint16_t totalSize = 0;
};

// A forward pointer target: TYPE P = ^Q before Q is declared.
struct PendingPointer {
  std::string targetName;
  int identifierCount = 0; // the identifier count when it was met
};

struct PooledString {
  std::string text;
  std::uint16_t label = 0; // @@n under which the module tail stores it
};

struct OverlaySizeCounters {
  std::uint16_t currentSize = 0;
  std::uint16_t largestSize = 0;
  std::uint16_t partNumber = 0;
  std::uint16_t partCount = 0;
  std::int64_t loadAddress = -1; // the area's {#O addr}; -1: after the parts before it
};

struct LoopTemp {
  std::string name;
  int size = 0;
};

// An open loop: the labels BREAK and CONTINUE jump to.
struct LoopContext {
  std::string breakLabel;
  std::string continueLabel;
};

// A routine declared FORWARD whose body has not come yet.
struct ForwardDeclaration {
  std::uint16_t identifier = 0;
  std::uint16_t block = 0;
  std::uint16_t parameterSize = 0;
  std::uint16_t variableSize = 0;
  std::uint16_t owner = 0;
};

// A routine whose block is being compiled (EXIT and function results).
struct RoutineContext {
  int routine = 0; // 0 for the main program
  bool isFunction = false;
  std::string exitLabel; // a function's exit label, the target of EXIT
};

// An open WITH record: its fields are visible by their bare names, and its
// address is computed by the factored subroutine @@S<body>.
struct WithRecord {
  std::uint16_t recordBlock = 0;
  int body = 0;
};

struct Compilation {
  // The compiler reaches the windows through `ui`: it pumps their messages
  // every 10 source lines, shows an error's position in the editor and has
  // an include file saved that is open with unsaved changes.
  Compilation(MessageList& messages, platform::UiHost& ui, CompileSettings settings = {})
      : Messages(messages), Ui(ui), Settings(std::move(settings)) {}
  Compilation(const Compilation&) = delete;
  Compilation& operator=(const Compilation&) = delete;

  MessageList& Messages;
  platform::UiHost& Ui;
  CompileSettings Settings;

  // --- Driver --------------------------------------------------------------
  std::string MainSourceName;
  bool EncodeOutput = false; // set by an .EPS source or include
  bool CancelRequested = false;
  LineList OutputLines;
  std::vector<std::string> ExternNames; // each name at most once, in order of adding
  std::vector<std::string> GlobalNames;
  // The same names, for the test of presence on every call.
  std::unordered_set<std::string, NameIgnoringCaseHash, NameIgnoringCaseEqual> ExternNameKeys,
      GlobalNameKeys;
  LinkValue CodeAddress, DataAddress, LoadNext;
  std::string LoadRefName;
  std::string ProgramName;
  std::string OutputFileName; // the .Mac or .EMS written, empty before
  // Where each line of an ASM block came from; an output line marked with
  // tag n is AsmLineSources[n].
  std::vector<SourcePlace> AsmLineSources;

  // Counters for the summary.
  std::uint32_t CodeSize = 0;
  std::uint32_t DataSize = 0;
  int IdentifierCount = -1; // index of the last identifier entry
  int BlockCount = 1;       // index of the last block entry
  int ArrayCount = 0;       // array descriptors made
  std::uint32_t TotalLines = 0;

  // --- Source reader ---------------------------------------------------------
  std::string CurrentLine;
  std::string PreviousLine;
  std::size_t Column = 0; // 1-based index of the character last delivered
  bool EndOfLinePending = true;
  char CurrentChar = ' ';
  SourceFile MainFile;
  std::vector<SourceFile> IncludeStack; // at most kMaxIncludeDepth
  std::string PushbackText;

  // --- Scanner -------------------------------------------------------------
  SymbolKind Symbol = SymbolKind::None;
  SymbolKind PreviousSymbol = SymbolKind::None; // the symbol before the current one
  std::string IdentifierText;                   // upper case
  std::int32_t NumericValue = 0;
  std::string StringValue; // its size is the string length
  bool RangeFollows = false;
  bool RangeColonPending = false; // the ":" current stands for the ".." after a constant
  std::string ConstantText;
  std::vector<std::string> DefinedSymbols;
  bool SkippingText = false;
  bool InTrueBranch = false;
  bool FoldConstantIdentifiers = true; // off while a routine name is declared
  bool FoldChrOrd = false;             // on while a constant declaration or case label is read
  bool BangMarkerSeen = false;         // {*! seen: "!*}" ends a comment
  // Where the comment being skipped opened (line 0: none), for the report of
  // a source that ends inside it.
  std::uint32_t CommentOpenLine = 0;
  std::string CommentOpenFile;
  // Where the reported error lies (file as the editor opens it, 1-based line
  // and column of the caret), for located diagnostics.
  std::string ErrorFile;
  std::uint32_t ErrorLine = 0;
  std::size_t ErrorColumn = 0;
  std::string ErrorText;
  // Directive switches.
  bool DataLine = true;               // {#D}: DATA before the data section
  bool ProgramPrefix = true;          // {#L}: the program name prefixes assembler names
  bool FactorCommonCode = false;      // {#R}
  std::uint16_t SelectorVariable = 0; // {#S name}, 0 after {#S-}
  bool SelectorFirstPending = false;  // the next variable or function is the first after {#S}

  // --- Symbol table ----------------------------------------------------------
  std::vector<IdentifierEntry> Identifiers; // entry 0: the empty name, "not found"
  // Entries by name, oldest first. The names are upper case already, so the
  // case-blind hash only serves to search with a string_view.
  std::unordered_map<std::string, std::vector<std::uint16_t>, NameIgnoringCaseHash, std::equal_to<>>
      NameIndex;
  std::vector<BlockEntry> Blocks; // index 0 unused; block 1 is the main program
  std::array<std::uint16_t, kMaxLevel + 1> Display{};
  int CurrentLevel = 0;
  std::vector<ArrayDescriptor> Arrays; // index 0 unused
  std::vector<PendingPointer> PendingPointerTargets;
  std::uint16_t CurrentRoutine = 0; // owner of the names entered now; 0 at program level
  // Assembler names by identifier, made on first use: every load and store
  // writes one, and the joining costs more than the rest of the line.
  mutable std::vector<CachedAssemblerName> AssemblerNames;

  // --- Emitter ---------------------------------------------------------------
  LineList DeferredLines;
  bool WriteDeferred = false;
  std::uint16_t PendingPush = 0;
  EmitHistory History; // EmitHistory
  std::uint16_t LabelCounter = 0;
  std::vector<std::vector<std::string>> CommonCodeBodies;
  std::size_t FactorMarkLine = 0;
  std::uint32_t FactorMarkCodeSize = 0;
  bool ForceFactoring = false; // while a WITH designator is compiled
  std::vector<PooledString> StringPool;
  std::unordered_map<std::string, std::size_t> StringPoolIndex;
  std::vector<LoopTemp> LoopTemps;

  // --- Overlays ----------------------------------------------------------------
  bool OverlayActive = false;
  int OverlayLevel = 0; // 0 outside an area, at most 2
  int OverlayAreaCount = 0;
  int CurrentArea = 0;
  int SavedArea = 0; // the outer area while a nested one is open
  std::array<OverlaySizeCounters, kMaxOverlayAreas + 1> OverlaySizes{}; // index 0 unused
  bool FirstPart = false;
  std::int64_t NextAreaLoadAddress = -1; // {#O constant}, -1 when none
  bool OverlayMode = false;              // CodeSize additions go to the current area
  std::uint32_t OverlayTotal = 0;

  // --- Statements and declarations --------------------------------------------
  std::vector<LoopContext> LoopStack;
  std::vector<WithRecord> WithStack;
  std::vector<ForwardDeclaration> ForwardList; // at most kMaxForwardDeclarations
  std::vector<RoutineContext> RoutineStack;    // innermost last

  // The list every writer appends to (DeferredLines while WriteDeferred).
  LineList& CurrentList() { return WriteDeferred ? DeferredLines : OutputLines; }
};

} // namespace velkor
