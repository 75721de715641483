// The .RRO relocatable object: a 4-byte header ("RRO", status byte) and a
// flat stream of records that the linker replays once per pass.
//
// How the assembler uses it:
//   ObjectWriter out;
//   out.beginPass();                 // each pass: empty stream + 07 00 00 00 00
//   out.setMuted(recordingMacro);    // writers do nothing while a body is recorded
//   out.dataByte(0x3E); out.dataByte(n);   // buffered into runs of up to 16
//   out.externalReference(2, "PRINT");      // any record flushes the pending run
//   out.labelWord(Segment::Code, index);
//   ...
//   if (out.full()) -> error "Object size to large" (kObjectTooLargeMessage)
//   out.save(path, assemblyOk, error);      // temp file + rename
//
// The linker and dump-rro read records with ObjectReader, which decodes every
// record by the layout table below and checks the remaining length before each
// field, so a damaged file can never make it read past the buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// The record stream may hold at most this many bytes after the header.
inline constexpr std::size_t kObjectStreamLimit = 0x40000;
inline constexpr std::size_t kObjectHeaderSize = 4;
inline constexpr std::size_t kObjectFileLimit = kObjectHeaderSize + kObjectStreamLimit;
// Longer strings (names, expression texts) are cut to this length.
inline constexpr std::size_t kObjectStringLimit = 255;
// Data bytes are grouped into runs of at most this many bytes.
inline constexpr std::size_t kObjectByteRunLimit = 16;
// Label-word indexes from here on encode `$` (ones' complement of the offset).
inline constexpr std::uint16_t kDollarIndexBase = 0xFF81;
// The label index that stands for `$` inside expression text.
inline constexpr std::uint16_t kDollarLabelIndex = 65535;

inline constexpr std::string_view kObjectTooLargeMessage = "Object size to large";
inline constexpr std::string_view kObjectContentsError = "Object file contents error";
inline constexpr std::string_view kObjectInvalidHeader = "invalid header";
inline constexpr std::string_view kObjectAssemblyFailed =
    "assembly did not complete without errors";
inline constexpr std::string_view kObjectNotFound = "not found";

namespace rro {
// Record type bytes. 0xF1..0xFF are byte runs of (type & 0x0F) + 1 bytes.
enum : std::uint8_t {
  SingleByte = 0x01,
  OpcodePair = 0x02,
  AbsoluteWord = 0x03,
  GlobalDefinition = 0x04,
  ExternalReference = 0x05,
  CodeSegment = 0x07,
  DataSegment = 0x08,
  WordExpression = 0x09,
  ByteExpression = 0x0A,
  Equate = 0x0B,
  EquateReference = 0x0C,
  LoadFile = 0x11,
  RunProgram = 0x12,
  RunWhenDone = 0x13,
  LabelWordCode = 0x15,
  LabelWordData = 0x16,
  LabelDefinitionCode = 0x17,
  LabelDefinitionData = 0x18,
  IfTrue = 0x19,
  IfFalse = 0x1A,
  EndIf = 0x1B,
  RelativeExpression = 0x1C,
  RelativeLabel = 0x1D,
  ReserveSpace = 0x1E,
  LoadReference = 0x1F,
  DataReference = 0x20,
  IfRefFirst = 0x21,
  IfRefNext = 0x22,
  IfRefEnd = 0x23,
  StoreSize = 0x24,
  SizeWord = 0x25,
  OrgMark = 0x26,
  OrgResume = 0x27,
  LoadMark = 0x28,
  LoadResume = 0x29,
  SymbolName = 0x2A,
  MemoryError = 0x2C,
  MemoryLoadError = 0x2D,
  Report = 0x2E,
  Origin = 0x80,
  LinkPlacement = 0x81,
  ByteRunFirst = 0xF1,
};

// Segment bytes as records carry them.
enum : std::uint8_t { SegmentCode = 0x00, SegmentData = 0x80 };

// Value-reference kinds (follow records 0x19, 0x1A, 0x1E, 0x2E).
enum : std::uint8_t {
  ValueEquateName = 0x00,
  ValueExpression = 0x01,
  ValueExternal = 0x02,
  ValueAbsolute = 0x03,
  ValueLocalLabel = 0x04,
};

// Operand markers inside expression text.
enum : char { ExprExternal = 0x01, ExprLocalLabel = 0x02, ExprEquate = 0x03 };

// Origin kinds of record 0x80.
enum : std::uint8_t { OriginOffset = 0, OriginCodeLabel = 1, OriginDataLabel = 2 };
inline constexpr std::uint32_t kLoadNext = 0xFFFFFFFF;
} // namespace rro

enum class Segment : std::uint8_t { Code, Data };

// A value reference as written after some records.
struct ValueRef {
  std::uint8_t kind = rro::ValueAbsolute;
  std::string_view text;    // kinds 0, 1, 2
  std::uint16_t value = 0;  // kind 3: the value; kind 4: the label index
  std::uint8_t segment = 0; // kind 4: the label's segment byte
};

// One part of record 0x81: continue at the next free address, an address,
// or (the data part only) the address after the image's last code byte.
struct PlacementPart {
  bool hasAddress = false;
  std::uint16_t address = 0;
  bool afterCode = false;
};
// The flag byte of a placement part.
namespace rro {
enum : std::uint8_t { PlacementNext = 0, PlacementAddress = 1, PlacementAfterCode = 2 };
} // namespace rro

// The shapes a record's payload is built from.
enum class Field : std::uint8_t {
  Byte,      // one byte
  Word,      // two bytes, low first
  Address24, // three bytes, low first
  Long,      // four bytes, low first
  String,    // length byte + bytes
  Value,     // value reference
  Placement, // 0x81 part: 0x00, 0x01 + word, or 0x02 (data part: after the code)
  RunBytes,  // the data bytes of 0x01, 0x02 and 0xF1..0xFF
};

inline constexpr std::size_t kMaxRecordFields = 4;

struct RecordLayout {
  std::uint8_t type;
  std::string_view name; // as dump-rro prints it
  std::uint8_t fieldCount;
  std::array<Field, kMaxRecordFields> fields;
};

// The layout of a record type, or nullptr for a byte that starts no record.
const RecordLayout* FindRecordLayout(std::uint8_t type);
// Every known layout, byte runs given once (as 0xF1).
std::span<const RecordLayout> RecordLayouts();

// A decoded record. Numbers, strings and the value reference appear in the
// order of the layout's fields; string views point into the reader's buffer.
struct Record {
  std::uint8_t type = 0;
  std::size_t offset = 0;              // of the type byte, from the start of the file
  std::span<const std::uint8_t> bytes; // RunBytes
  std::array<std::uint32_t, kMaxRecordFields> numbers{};
  std::uint8_t numberCount = 0;
  std::array<std::string_view, 2> strings{};
  std::uint8_t stringCount = 0;
  ValueRef value;
  std::array<PlacementPart, 2> placement{}; // 0x81: code part, data part
};

// Builds the record stream of one pass.
class ObjectWriter {
public:
  ObjectWriter();

  // Empties the stream and writes the opening code-segment record.
  void beginPass();
  // While muted (a macro body is being recorded) every writer does nothing.
  void setMuted(bool muted) { muted_ = muted; }
  bool muted() const { return muted_; }
  // A record byte would have passed the stream limit; the stream is frozen.
  bool full() const { return full_; }

  // Data bytes, buffered into runs (0x01 or 0xF1..0xFF).
  void dataByte(std::uint8_t byte);
  // Flushes the pending run; called by every record writer below.
  void flush();

  void opcodePair(std::uint8_t prefix, std::uint8_t opcode);
  void absoluteWord(std::uint16_t value);
  // For a label, value is its label index; for a global equate pass the
  // equate's name: the writer adds the 0x01 0xFF marker and value 0.
  void globalDefinition(std::uint16_t value, Segment current, std::string_view name);
  void globalEquateDefinition(Segment current, std::string_view name);
  void externalReference(std::uint8_t size, std::string_view name);
  void segmentSwitch(Segment segment, std::uint16_t address = 0, std::uint8_t area = 0,
                     bool set = false);
  void wordExpression(std::string_view expression);
  void byteExpression(std::string_view expression);
  void equate(std::string_view name, std::string_view expression);
  void equateReference(std::uint8_t size, std::string_view name);
  void loadFile(std::uint32_t loadAddress, std::string_view fileName);
  void runProgram(std::string_view fileName);
  void runWhenDone(std::string_view fileName);
  // Segment is the one current while the word is written (0x15 / 0x16).
  void labelWord(Segment current, std::uint16_t labelIndex);
  // A word holding `$`: offset = location of the word - statement start.
  void dollarWord(Segment current, std::uint16_t offset);
  void labelDefinition(Segment current, std::uint16_t labelIndex);
  void ifTrue(const ValueRef& value);
  void ifFalse(const ValueRef& value);
  void endIf();
  void relativeExpression(Segment current, std::string_view expression);
  void relativeLabel(Segment current, std::uint16_t labelIndex);
  void reserveSpace(Segment current, const ValueRef& amount);
  void loadReference(std::string_view name);
  void dataReference(std::string_view name);
  // IFREF a,b,c: 0x21 a, 0x22 b, 0x22 c, 0x23.
  void ifReferenced(std::span<const std::string_view> names);
  void storeSize(std::uint16_t sizePlusOne, std::string_view name);
  void sizeWord(std::string_view name);
  // Handles are 0..31 (the source's handle minus 1).
  void orgMark(std::uint8_t handle);
  void orgResume(std::uint8_t handle);
  void loadMark(std::uint8_t handle);
  void loadResume(std::uint8_t handle);
  void symbolName(std::string_view name);
  void memoryError(std::uint16_t address, std::string_view message);
  void memoryLoadError(std::uint32_t address24, std::string_view message);
  void report(const ValueRef& value, std::string_view text);
  void origin(std::uint8_t kind, std::uint16_t offsetOrIndex, std::uint32_t loadAddress);
  void linkPlacement(PlacementPart code, PlacementPart data);

  // Low-level pieces for records not covered above.
  void recordByte(std::uint8_t byte);
  void word(std::uint16_t value);
  void string(std::string_view text);
  void valueRef(const ValueRef& value);

  // The stream so far (pending run included after flush()).
  const std::vector<std::uint8_t>& stream() const { return stream_; }
  // Data bytes waiting to be written as a run at the end of stream().
  std::size_t pendingBytes() const { return runLength_; }
  // Header + stream, as the file holds it. Flushes first.
  std::vector<std::uint8_t> fileImage(bool assemblyOk);
  // Writes the file through a temporary and a rename; false and error set
  // when it cannot be written.
  bool save(const std::string& path, bool assemblyOk, std::string& error);

private:
  void put(std::uint8_t byte);
  std::vector<std::uint8_t> stream_;
  std::array<std::uint8_t, kObjectByteRunLimit> run_{};
  std::size_t runLength_ = 0;
  bool muted_ = false;
  bool full_ = false;
};

// Helpers that build the operands of expression text.
void AppendExternalOperand(std::string& expression, std::string_view name);
void AppendLocalLabelOperand(std::string& expression, std::uint8_t segmentByte,
                             std::uint16_t labelIndex);
void AppendEquateOperand(std::string& expression, std::string_view name);
// Readable form of expression text, markers spelled out: ext:NAME, lbl:S:N, equ:NAME.
std::string DescribeExpression(std::string_view expression);

// Walks the records of a whole .RRO file held in memory.
class ObjectReader {
public:
  explicit ObjectReader(std::span<const std::uint8_t> file) : file_(file) {}

  // "" when the header is sound, else "invalid header" or "assembly did not
  // complete without errors" (a file shorter than 4 bytes is the latter).
  std::string_view checkHeader() const;
  // Positions the reader at the first record.
  void rewind() { pos_ = kObjectHeaderSize; }
  bool atEnd() const { return pos_ >= file_.size(); }
  // Decodes the next record. False with error set ("Object file contents
  // error") for an unknown type or a payload that runs past the end; the
  // reader then stays at the bad record.
  bool next(Record& record, std::string_view& error);

  std::size_t position() const { return pos_; }
  std::span<const std::uint8_t> file() const { return file_; }

private:
  std::span<const std::uint8_t> file_;
  std::size_t pos_ = kObjectHeaderSize;
};

// Reads a whole object file. False with error "not found" when it cannot be
// opened, "Object file contents error" when it is larger than an object can be.
bool LoadObjectFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// A load position as messages and dumps show it: five hexadecimal digits, or
// as many as a larger value needs (records may carry any 32-bit position).
std::string LoadPositionHex(std::uint32_t position);

// One line per record, for dump-rro and for test failure messages.
std::string DescribeRecord(const Record& record);

} // namespace velkor
