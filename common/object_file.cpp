#include "common/object_file.h"

#include "platform/atomic_file.h"
#include "platform/text.h"

#include <algorithm>
#include <fstream>

namespace velkor {
namespace {

using F = Field;

// One row per record type; the reader, the writer's tests and dump-rro all
// follow this table, so a layout is stated exactly once.
constexpr RecordLayout kLayouts[] = {
    {rro::SingleByte, "BYTE", 1, {F::RunBytes}},
    {rro::OpcodePair, "OPCODE", 1, {F::RunBytes}},
    {rro::AbsoluteWord, "WORD", 1, {F::Word}},
    {rro::GlobalDefinition, "GLOBAL", 4, {F::Word, F::Byte, F::Byte, F::String}},
    {rro::ExternalReference, "EXTERN", 2, {F::Byte, F::String}},
    {rro::CodeSegment, "CODE", 3, {F::Word, F::Byte, F::Byte}},
    {rro::DataSegment, "DATA", 3, {F::Word, F::Byte, F::Byte}},
    {rro::WordExpression, "EXPRWORD", 1, {F::String}},
    {rro::ByteExpression, "EXPRBYTE", 1, {F::String}},
    {rro::Equate, "EQU", 2, {F::String, F::String}},
    {rro::EquateReference, "EQUREF", 2, {F::Byte, F::String}},
    {rro::LoadFile, "LOAD", 2, {F::Long, F::String}},
    {rro::RunProgram, "RUN", 1, {F::String}},
    {rro::RunWhenDone, "RUNWHENDONE", 1, {F::String}},
    {rro::LabelWordCode, "LABELWORD CODE", 1, {F::Word}},
    {rro::LabelWordData, "LABELWORD DATA", 1, {F::Word}},
    {rro::LabelDefinitionCode, "LABEL CODE", 1, {F::Word}},
    {rro::LabelDefinitionData, "LABEL DATA", 1, {F::Word}},
    {rro::IfTrue, "IFTRUE", 1, {F::Value}},
    {rro::IfFalse, "IFFALSE", 1, {F::Value}},
    {rro::EndIf, "ENDIF", 0, {}},
    {rro::RelativeExpression, "JREXPR", 2, {F::Byte, F::String}},
    {rro::RelativeLabel, "JRLABEL", 2, {F::Byte, F::Word}},
    {rro::ReserveSpace, "DS", 2, {F::Byte, F::Value}},
    {rro::LoadReference, "LOADREF", 1, {F::String}},
    {rro::DataReference, "DREF", 1, {F::String}},
    {rro::IfRefFirst, "IFREF", 1, {F::String}},
    {rro::IfRefNext, "IFREF+", 1, {F::String}},
    {rro::IfRefEnd, "IFREF END", 0, {}},
    {rro::StoreSize, "STORESIZE", 2, {F::Word, F::String}},
    {rro::SizeWord, "DWSIZE", 1, {F::String}},
    {rro::OrgMark, "ORGMARK", 1, {F::Byte}},
    {rro::OrgResume, "ORGRESUME", 1, {F::Byte}},
    {rro::LoadMark, "LOADMARK", 1, {F::Byte}},
    {rro::LoadResume, "LOADRESUME", 1, {F::Byte}},
    {rro::SymbolName, "NAME", 1, {F::String}},
    {rro::MemoryError, "MEMERROR", 2, {F::Word, F::String}},
    {rro::MemoryLoadError, "MEMLOADERROR", 2, {F::Address24, F::String}},
    {rro::Report, "REPORT", 2, {F::Value, F::String}},
    {rro::Origin, "ORG", 3, {F::Byte, F::Word, F::Long}},
    {rro::LinkPlacement, "LINK", 3, {F::Byte, F::Placement, F::Placement}},
    {rro::ByteRunFirst, "BYTES", 1, {F::RunBytes}},
};

// Type byte -> row of kLayouts (or -1), built once.
struct LayoutIndex {
  std::array<std::int8_t, 256> row{};
  constexpr LayoutIndex() {
    row.fill(-1);
    for (std::size_t i = 0; i < std::size(kLayouts); ++i)
      row[kLayouts[i].type] = static_cast<std::int8_t>(i);
    for (int t = rro::ByteRunFirst; t <= 0xFF; ++t)
      row[t] = row[rro::ByteRunFirst];
  }
};
constexpr LayoutIndex kLayoutIndex;

std::size_t RunLength(std::uint8_t type) {
  if (type == rro::SingleByte) return 1;
  if (type == rro::OpcodePair) return 2;
  return (type & 0x0F) + 1u;
}

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      out += "\\x" + platform::Hex(c, 2);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string SegmentName(std::uint32_t segmentByte) {
  if (segmentByte == rro::SegmentCode) return "code";
  if (segmentByte == rro::SegmentData) return "data";
  return "segment " + platform::Hex(segmentByte, 2) + "H";
}

std::string DescribeValue(const ValueRef& value) {
  switch (value.kind) {
  case rro::ValueEquateName:
    return "equ " + QuoteText(value.text);
  case rro::ValueExpression:
    return "expr " + QuoteText(DescribeExpression(value.text));
  case rro::ValueExternal:
    return "ext " + QuoteText(value.text);
  case rro::ValueAbsolute:
    return platform::Hex(value.value, 4) + "H";
  case rro::ValueLocalLabel:
    return "label " + std::to_string(value.value) + " " + SegmentName(value.segment);
  }
  return "kind " + platform::Hex(value.kind, 2) + "H";
}

} // namespace

const RecordLayout* FindRecordLayout(std::uint8_t type) {
  const int row = kLayoutIndex.row[type];
  return row < 0 ? nullptr : &kLayouts[row];
}

std::span<const RecordLayout> RecordLayouts() {
  return kLayouts;
}

// ---------------------------------------------------------------- writer

ObjectWriter::ObjectWriter() {
  stream_.reserve(4096);
}

void ObjectWriter::beginPass() {
  stream_.clear();
  runLength_ = 0;
  full_ = false;
  const bool wasMuted = muted_;
  muted_ = false;
  segmentSwitch(Segment::Code);
  muted_ = wasMuted;
}

void ObjectWriter::put(std::uint8_t byte) {
  if (full_) return;
  if (stream_.size() >= kObjectStreamLimit) {
    full_ = true;
    return;
  }
  stream_.push_back(byte);
}

void ObjectWriter::dataByte(std::uint8_t byte) {
  if (muted_) return;
  run_[runLength_++] = byte;
  if (runLength_ == kObjectByteRunLimit) flush();
}

void ObjectWriter::flush() {
  if (runLength_ == 0) return;
  put(runLength_ == 1 ? std::uint8_t{rro::SingleByte}
                      : static_cast<std::uint8_t>(0xF0 | (runLength_ - 1)));
  for (std::size_t i = 0; i < runLength_; ++i)
    put(run_[i]);
  runLength_ = 0;
}

void ObjectWriter::recordByte(std::uint8_t byte) {
  if (muted_) return;
  flush();
  put(byte);
}

void ObjectWriter::word(std::uint16_t value) {
  recordByte(static_cast<std::uint8_t>(value));
  recordByte(static_cast<std::uint8_t>(value >> 8));
}

void ObjectWriter::string(std::string_view text) {
  if (text.size() > kObjectStringLimit) text = text.substr(0, kObjectStringLimit);
  recordByte(static_cast<std::uint8_t>(text.size()));
  for (char c : text)
    recordByte(static_cast<std::uint8_t>(c));
}

void ObjectWriter::valueRef(const ValueRef& value) {
  recordByte(value.kind);
  switch (value.kind) {
  case rro::ValueAbsolute:
    word(value.value);
    break;
  case rro::ValueLocalLabel:
    word(value.value);
    recordByte(value.segment);
    break;
  default:
    string(value.text);
    break;
  }
}

static std::uint8_t SegmentByte(Segment s) {
  return s == Segment::Code ? rro::SegmentCode : rro::SegmentData;
}

void ObjectWriter::opcodePair(std::uint8_t prefix, std::uint8_t opcode) {
  recordByte(rro::OpcodePair);
  recordByte(prefix);
  recordByte(opcode);
}

void ObjectWriter::absoluteWord(std::uint16_t value) {
  recordByte(rro::AbsoluteWord);
  word(value);
}

void ObjectWriter::globalDefinition(std::uint16_t value, Segment current, std::string_view name) {
  recordByte(rro::GlobalDefinition);
  word(value);
  recordByte(current == Segment::Code ? 0 : 1);
  recordByte(0);
  string(name);
}

void ObjectWriter::globalEquateDefinition(Segment current, std::string_view name) {
  std::string marked = "\x01\xFF";
  marked += name;
  globalDefinition(0, current, marked);
}

void ObjectWriter::externalReference(std::uint8_t size, std::string_view name) {
  recordByte(rro::ExternalReference);
  recordByte(size);
  string(name);
}

void ObjectWriter::segmentSwitch(Segment segment, std::uint16_t address, std::uint8_t area,
                                 bool set) {
  recordByte(segment == Segment::Code ? rro::CodeSegment : rro::DataSegment);
  word(address);
  recordByte(area);
  recordByte(set ? 1 : 0);
}

void ObjectWriter::wordExpression(std::string_view expression) {
  recordByte(rro::WordExpression);
  string(expression);
}

void ObjectWriter::byteExpression(std::string_view expression) {
  recordByte(rro::ByteExpression);
  string(expression);
}

void ObjectWriter::equate(std::string_view name, std::string_view expression) {
  recordByte(rro::Equate);
  string(name);
  string(expression);
}

void ObjectWriter::equateReference(std::uint8_t size, std::string_view name) {
  recordByte(rro::EquateReference);
  recordByte(size);
  string(name);
}

void ObjectWriter::loadFile(std::uint32_t loadAddress, std::string_view fileName) {
  recordByte(rro::LoadFile);
  word(static_cast<std::uint16_t>(loadAddress));
  word(static_cast<std::uint16_t>(loadAddress >> 16));
  string(fileName);
}

void ObjectWriter::runProgram(std::string_view fileName) {
  recordByte(rro::RunProgram);
  string(fileName);
}

void ObjectWriter::runWhenDone(std::string_view fileName) {
  recordByte(rro::RunWhenDone);
  string(fileName);
}

void ObjectWriter::labelWord(Segment current, std::uint16_t labelIndex) {
  recordByte(current == Segment::Code ? rro::LabelWordCode : rro::LabelWordData);
  word(labelIndex);
}

void ObjectWriter::dollarWord(Segment current, std::uint16_t offset) {
  labelWord(current, static_cast<std::uint16_t>(~offset));
}

void ObjectWriter::labelDefinition(Segment current, std::uint16_t labelIndex) {
  recordByte(current == Segment::Code ? rro::LabelDefinitionCode : rro::LabelDefinitionData);
  word(labelIndex);
}

void ObjectWriter::ifTrue(const ValueRef& value) {
  recordByte(rro::IfTrue);
  valueRef(value);
}

void ObjectWriter::ifFalse(const ValueRef& value) {
  recordByte(rro::IfFalse);
  valueRef(value);
}

void ObjectWriter::endIf() {
  recordByte(rro::EndIf);
}

void ObjectWriter::relativeExpression(Segment current, std::string_view expression) {
  recordByte(rro::RelativeExpression);
  recordByte(SegmentByte(current));
  string(expression);
}

void ObjectWriter::relativeLabel(Segment current, std::uint16_t labelIndex) {
  recordByte(rro::RelativeLabel);
  recordByte(SegmentByte(current));
  word(labelIndex);
}

void ObjectWriter::reserveSpace(Segment current, const ValueRef& amount) {
  recordByte(rro::ReserveSpace);
  recordByte(SegmentByte(current));
  valueRef(amount);
}

void ObjectWriter::loadReference(std::string_view name) {
  recordByte(rro::LoadReference);
  string(name);
}

void ObjectWriter::dataReference(std::string_view name) {
  recordByte(rro::DataReference);
  string(name);
}

void ObjectWriter::ifReferenced(std::span<const std::string_view> names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    recordByte(i == 0 ? rro::IfRefFirst : rro::IfRefNext);
    string(names[i]);
  }
  recordByte(rro::IfRefEnd);
}

void ObjectWriter::storeSize(std::uint16_t sizePlusOne, std::string_view name) {
  recordByte(rro::StoreSize);
  word(sizePlusOne);
  string(name);
}

void ObjectWriter::sizeWord(std::string_view name) {
  recordByte(rro::SizeWord);
  string(name);
}

void ObjectWriter::orgMark(std::uint8_t handle) {
  recordByte(rro::OrgMark);
  recordByte(handle);
}

void ObjectWriter::orgResume(std::uint8_t handle) {
  recordByte(rro::OrgResume);
  recordByte(handle);
}

void ObjectWriter::loadMark(std::uint8_t handle) {
  recordByte(rro::LoadMark);
  recordByte(handle);
}

void ObjectWriter::loadResume(std::uint8_t handle) {
  recordByte(rro::LoadResume);
  recordByte(handle);
}

void ObjectWriter::symbolName(std::string_view name) {
  recordByte(rro::SymbolName);
  string(name);
}

void ObjectWriter::memoryError(std::uint16_t address, std::string_view message) {
  recordByte(rro::MemoryError);
  word(address);
  string(message);
}

void ObjectWriter::memoryLoadError(std::uint32_t address24, std::string_view message) {
  recordByte(rro::MemoryLoadError);
  recordByte(static_cast<std::uint8_t>(address24));
  recordByte(static_cast<std::uint8_t>(address24 >> 8));
  recordByte(static_cast<std::uint8_t>(address24 >> 16));
  string(message);
}

void ObjectWriter::report(const ValueRef& value, std::string_view text) {
  recordByte(rro::Report);
  valueRef(value);
  string(text);
}

void ObjectWriter::origin(std::uint8_t kind, std::uint16_t offsetOrIndex,
                          std::uint32_t loadAddress) {
  recordByte(rro::Origin);
  recordByte(kind);
  word(offsetOrIndex);
  word(static_cast<std::uint16_t>(loadAddress));
  word(static_cast<std::uint16_t>(loadAddress >> 16));
}

void ObjectWriter::linkPlacement(PlacementPart code, PlacementPart data) {
  recordByte(rro::LinkPlacement);
  recordByte(0);
  for (const PlacementPart& part : {code, data}) {
    recordByte(part.afterCode    ? rro::PlacementAfterCode
               : part.hasAddress ? rro::PlacementAddress
                                 : rro::PlacementNext);
    if (part.hasAddress) word(part.address);
  }
}

std::vector<std::uint8_t> ObjectWriter::fileImage(bool assemblyOk) {
  flush();
  std::vector<std::uint8_t> file(kObjectHeaderSize + stream_.size());
  file[0] = 'R';
  file[1] = 'R';
  file[2] = 'O';
  file[3] = assemblyOk ? 1 : 0;
  std::copy(stream_.begin(), stream_.end(), file.begin() + kObjectHeaderSize);
  return file;
}

bool ObjectWriter::save(const std::string& path, bool assemblyOk, std::string& error) {
  return platform::WriteFileAtomically(path, fileImage(assemblyOk), error);
}

// ---------------------------------------------------------------- expression text

void AppendExternalOperand(std::string& expression, std::string_view name) {
  if (name.size() > kObjectStringLimit) name = name.substr(0, kObjectStringLimit);
  expression += rro::ExprExternal;
  expression += static_cast<char>(name.size());
  expression += name;
}

void AppendLocalLabelOperand(std::string& expression, std::uint8_t segmentByteValue,
                             std::uint16_t labelIndex) {
  expression += rro::ExprLocalLabel;
  expression += static_cast<char>(segmentByteValue);
  expression += std::to_string(labelIndex);
}

void AppendEquateOperand(std::string& expression, std::string_view name) {
  if (name.size() > kObjectStringLimit) name = name.substr(0, kObjectStringLimit);
  expression += rro::ExprEquate;
  expression += static_cast<char>(name.size());
  expression += name;
}

std::string DescribeExpression(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if ((c == rro::ExprExternal || c == rro::ExprEquate) && i + 1 < text.size()) {
      const std::size_t len = static_cast<unsigned char>(text[i + 1]);
      const std::size_t take = std::min(len, text.size() - (i + 2));
      out += c == rro::ExprExternal ? "ext:" : "equ:";
      out += text.substr(i + 2, take);
      i += 2 + take;
    } else if (c == rro::ExprLocalLabel && i + 1 < text.size()) {
      out += "lbl:" + SegmentName(static_cast<unsigned char>(text[i + 1])) + ":";
      i += 2;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        out += text[i++];
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// ---------------------------------------------------------------- reader

std::string_view ObjectReader::checkHeader() const {
  if (file_.size() < kObjectHeaderSize) return kObjectAssemblyFailed;
  if (file_[0] != 'R' || file_[1] != 'R' || file_[2] != 'O') return kObjectInvalidHeader;
  if (file_[3] != 1) return kObjectAssemblyFailed;
  return {};
}

namespace {

// Bounds-checked cursor over the record payload.
struct Cursor {
  std::span<const std::uint8_t> data;
  std::size_t pos;

  bool has(std::size_t n) const { return pos <= data.size() && data.size() - pos >= n; }
  bool number(std::size_t bytes, std::uint32_t& out) {
    if (!has(bytes)) return false;
    out = 0;
    for (std::size_t i = 0; i < bytes; ++i)
      out |= static_cast<std::uint32_t>(data[pos + i]) << (8 * i);
    pos += bytes;
    return true;
  }
  bool text(std::string_view& out) {
    if (!has(1)) return false;
    const std::size_t len = data[pos];
    if (!has(1 + len)) return false;
    out = std::string_view(reinterpret_cast<const char*>(data.data() + pos + 1), len);
    pos += 1 + len;
    return true;
  }
};

} // namespace

bool ObjectReader::next(Record& record, std::string_view& error) {
  if (atEnd()) {
    error = kObjectContentsError;
    return false;
  }
  const std::uint8_t type = file_[pos_];
  const RecordLayout* layout = FindRecordLayout(type);
  if (layout == nullptr) {
    error = kObjectContentsError;
    return false;
  }
  record = Record{};
  record.type = type;
  record.offset = pos_;
  Cursor c{file_, pos_ + 1};
  for (std::size_t f = 0; f < layout->fieldCount; ++f) {
    bool ok = true;
    std::uint32_t n = 0;
    switch (layout->fields[f]) {
    case Field::Byte:
      ok = c.number(1, n);
      break;
    case Field::Word:
      ok = c.number(2, n);
      break;
    case Field::Address24:
      ok = c.number(3, n);
      break;
    case Field::Long:
      ok = c.number(4, n);
      break;
    case Field::String:
      ok = c.text(record.strings[record.stringCount++]);
      break;
    case Field::RunBytes: {
      const std::size_t len = RunLength(type);
      ok = c.has(len);
      if (ok) {
        record.bytes = file_.subspan(c.pos, len);
        c.pos += len;
      }
      break;
    }
    case Field::Value: {
      std::uint32_t kind = 0;
      ok = c.number(1, kind);
      if (!ok) break;
      record.value.kind = static_cast<std::uint8_t>(kind);
      std::uint32_t v = 0, seg = 0;
      switch (kind) {
      case rro::ValueEquateName:
      case rro::ValueExpression:
      case rro::ValueExternal:
        ok = c.text(record.value.text);
        break;
      case rro::ValueAbsolute:
        ok = c.number(2, v);
        record.value.value = static_cast<std::uint16_t>(v);
        break;
      case rro::ValueLocalLabel:
        ok = c.number(2, v) && c.number(1, seg);
        record.value.value = static_cast<std::uint16_t>(v);
        record.value.segment = static_cast<std::uint8_t>(seg);
        break;
      default:
        ok = false;
        break;
      }
      break;
    }
    case Field::Placement: {
      PlacementPart& part = record.placement[f == 1 ? 0 : 1];
      std::uint32_t flag = 0, address = 0;
      ok = c.number(1, flag);
      if (ok && flag == rro::PlacementAfterCode) {
        part.afterCode = true;
        ok = f != 1; // code cannot follow itself
      } else if (ok && flag != rro::PlacementNext) {
        ok = c.number(2, address);
        part.hasAddress = true;
        part.address = static_cast<std::uint16_t>(address);
      }
      break;
    }
    }
    if (!ok) {
      error = kObjectContentsError;
      return false;
    }
    const Field kind = layout->fields[f];
    if (kind == Field::Byte || kind == Field::Word || kind == Field::Address24 ||
        kind == Field::Long) {
      record.numbers[record.numberCount++] = n;
    }
  }
  pos_ = c.pos;
  return true;
}

std::string LoadPositionHex(std::uint32_t position) {
  int digits = 5;
  while (digits < 8 && (position >> (4 * digits)) != 0)
    ++digits;
  return platform::Hex(position, digits);
}

bool LoadObjectFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = kObjectNotFound;
    return false;
  }
  // One byte more than an object may hold tells a too-large file apart.
  bytes.resize(kObjectFileLimit + 1);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const std::size_t got = static_cast<std::size_t>(in.gcount());
  bytes.resize(got);
  if (got > kObjectFileLimit) {
    error = kObjectContentsError;
    return false;
  }
  return true;
}

std::string DescribeRecord(const Record& r) {
  const RecordLayout* layout = FindRecordLayout(r.type);
  std::string line = platform::Hex(static_cast<std::uint32_t>(r.offset), 5) + "H " +
                     platform::Hex(r.type, 2) + "H ";
  line += layout ? std::string(layout->name) : std::string("?");
  if (layout == nullptr) return line;
  std::size_t number = 0, string = 0;
  for (std::size_t f = 0; f < layout->fieldCount; ++f) {
    line += ' ';
    switch (layout->fields[f]) {
    case Field::Byte: {
      const std::uint32_t v = r.numbers[number++];
      const bool isSegment = (r.type == rro::RelativeExpression || r.type == rro::RelativeLabel ||
                              r.type == rro::ReserveSpace) &&
                             f == 0;
      line += isSegment ? SegmentName(v) : platform::Hex(v, 2) + "H";
      break;
    }
    case Field::Word:
      line += platform::Hex(r.numbers[number++], 4) + "H";
      break;
    case Field::Address24:
      line += LoadPositionHex(r.numbers[number++]) + "H";
      break;
    case Field::Long:
      line += platform::Hex(r.numbers[number++], 8) + "H";
      break;
    case Field::String: {
      const std::string_view s = r.strings[string++];
      const bool isExpression = r.type == rro::WordExpression || r.type == rro::ByteExpression ||
                                r.type == rro::RelativeExpression ||
                                (r.type == rro::Equate && string == 2);
      line += QuoteText(isExpression ? DescribeExpression(s) : std::string(s));
      break;
    }
    case Field::Value:
      line += DescribeValue(r.value);
      break;
    case Field::Placement: {
      const PlacementPart& part = r.placement[f == 1 ? 0 : 1];
      line += part.hasAddress  ? platform::Hex(part.address, 4) + "H"
              : part.afterCode ? std::string("after code")
                               : std::string("next");
      break;
    }
    case Field::RunBytes: {
      for (std::size_t i = 0; i < r.bytes.size(); ++i) {
        if (i) line += ' ';
        line += platform::Hex(r.bytes[i], 2);
      }
      break;
    }
    }
  }
  return line;
}

} // namespace velkor
