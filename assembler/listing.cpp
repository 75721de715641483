#include "assembler/listing.h"

#include "platform/text.h"

#include <array>
#include <optional>
#include <unordered_map>

namespace velkor::asmsrc {
namespace {

// What the linker still does with a listed byte; the character is its mark.
enum class Fixup : char { None = ' ', CodeBase = '\'', DataBase = '"', Computed = '?' };

struct ListedByte {
  std::uint8_t value = 0;
  Fixup fixup = Fixup::None;
};

// A word holding a label's address, filled in once every label is known.
struct LabelWordAt {
  std::size_t line;
  std::size_t byte;
  std::uint16_t labelIndex;
};

struct Place {
  Segment segment = Segment::Code;
  std::optional<std::uint32_t> offset; // unknown after space the linker sizes
};

struct ListedLine {
  Place place;
  std::vector<ListedByte> bytes;
};

// Image bytes a record places that only the linker can compute.
struct ComputedRecord {
  std::uint8_t type;
  int size; // 0: the record's first number holds the size
};
constexpr ComputedRecord kComputedRecords[] = {
    {rro::ExternalReference, 0}, {rro::EquateReference, 0},    {rro::WordExpression, 2},
    {rro::ByteExpression, 1},    {rro::RelativeExpression, 1}, {rro::RelativeLabel, 1},
    {rro::DataReference, 3},     {rro::SizeWord, 2},
};

std::optional<int> ComputedSize(const Record& r) {
  for (const ComputedRecord& row : kComputedRecords)
    if (row.type == r.type) return row.size != 0 ? row.size : static_cast<int>(r.numbers[0]);
  return std::nullopt;
}

Fixup FixupOf(Segment segment) {
  return segment == Segment::Data ? Fixup::DataBase : Fixup::CodeBase;
}

// Follows the object stream as the linker would inside one module.
class Replay {
public:
  explicit Replay(std::size_t lineCount) : lines_(lineCount) {}

  // Starts every line whose mark lies at or before this stream position.
  template <class Marks> void reach(const Marks& marks, std::size_t stream, std::size_t inRun) {
    while (next_ < marks.size() &&
           (marks[next_].streamSize < stream ||
            (marks[next_].streamSize == stream && marks[next_].pendingBytes <= inRun))) {
      lines_[next_].place = here();
      current_ = next_++;
    }
  }

  void place(std::uint8_t value, Fixup fixup) {
    if (current_ < lines_.size()) lines_[current_].bytes.push_back({value, fixup});
    if (offset_[index()]) ++*offset_[index()];
  }
  void placeLabelWord(std::uint16_t labelIndex) {
    if (current_ < lines_.size())
      labelWords_.push_back({current_, lines_[current_].bytes.size(), labelIndex});
    place(0, Fixup::CodeBase);
    place(0, Fixup::CodeBase);
  }
  // A `$` word: the ones' complement of its distance from the statement start.
  void placeDollarWord(std::uint16_t encoded) {
    const std::optional<std::uint32_t> at = offset_[index()];
    const auto value =
        static_cast<std::uint16_t>(at.value_or(0) - static_cast<std::uint16_t>(~encoded));
    const Fixup fixup = at ? FixupOf(segment_) : Fixup::Computed;
    place(static_cast<std::uint8_t>(value), fixup);
    place(static_cast<std::uint8_t>(value >> 8), fixup);
  }

  void selectSegment(Segment segment, bool setAddress) {
    segment_ = segment;
    if (setAddress) offset_[index()] = 0;
  }
  void moveTo(std::optional<std::uint32_t> offset) { offset_[index()] = offset; }
  void reserve(std::uint8_t segmentByte, const ValueRef& amount) {
    auto& offset = offset_[segmentByte == rro::SegmentData ? 1 : 0];
    if (amount.kind == rro::ValueAbsolute && offset)
      *offset += amount.value;
    else
      offset.reset();
  }
  void defineLabel(std::uint16_t labelIndex) { labels_[labelIndex] = here(); }
  const Place* label(std::uint16_t labelIndex) const {
    const auto it = labels_.find(labelIndex);
    return it == labels_.end() ? nullptr : &it->second;
  }

  // Label words take their labels' offsets now that every label is known.
  std::vector<ListedLine> finish() {
    for (const LabelWordAt& w : labelWords_) {
      ListedByte* bytes = &lines_[w.line].bytes[w.byte];
      const Place* target = label(w.labelIndex);
      if (target == nullptr || !target->offset) {
        bytes[0] = bytes[1] = {0, Fixup::Computed};
        continue;
      }
      const Fixup fixup = FixupOf(target->segment);
      bytes[0] = {static_cast<std::uint8_t>(*target->offset), fixup};
      bytes[1] = {static_cast<std::uint8_t>(*target->offset >> 8), fixup};
    }
    return std::move(lines_);
  }

private:
  std::size_t index() const { return segment_ == Segment::Data ? 1 : 0; }
  Place here() const { return {segment_, offset_[index()]}; }

  std::vector<ListedLine> lines_;
  std::size_t next_ = 0;
  std::size_t current_ = SIZE_MAX;
  Segment segment_ = Segment::Code;
  std::array<std::optional<std::uint32_t>, 2> offset_{0u, 0u};
  std::unordered_map<std::uint16_t, Place> labels_;
  std::vector<LabelWordAt> labelWords_;
};

void ReplayRecord(Replay& replay, const Record& r) {
  switch (r.type) {
  case rro::CodeSegment:
  case rro::DataSegment:
    replay.selectSegment(r.type == rro::DataSegment ? Segment::Data : Segment::Code,
                         r.numbers[2] != 0);
    return;
  case rro::Origin:
    if (r.numbers[0] == rro::OriginOffset) {
      replay.moveTo(r.numbers[1]);
    } else {
      const Place* target = replay.label(static_cast<std::uint16_t>(r.numbers[1]));
      replay.moveTo(target != nullptr && r.numbers[0] == rro::OriginCodeLabel ? target->offset
                                                                              : std::nullopt);
    }
    return;
  case rro::ReserveSpace:
    replay.reserve(static_cast<std::uint8_t>(r.numbers[0]), r.value);
    return;
  case rro::LabelDefinitionCode:
  case rro::LabelDefinitionData:
    replay.defineLabel(static_cast<std::uint16_t>(r.numbers[0]));
    return;
  case rro::OpcodePair:
    for (std::uint8_t b : r.bytes)
      replay.place(b, Fixup::None);
    return;
  case rro::AbsoluteWord:
    replay.place(static_cast<std::uint8_t>(r.numbers[0]), Fixup::None);
    replay.place(static_cast<std::uint8_t>(r.numbers[0] >> 8), Fixup::None);
    return;
  case rro::LabelWordCode:
  case rro::LabelWordData: {
    const auto index = static_cast<std::uint16_t>(r.numbers[0]);
    if (index >= kDollarIndexBase)
      replay.placeDollarWord(index);
    else
      replay.placeLabelWord(index);
    return;
  }
  default:
    break;
  }
  if (const auto size = ComputedSize(r))
    for (int i = 0; i < *size; ++i)
      replay.place(0, Fixup::Computed);
}

std::string OffsetText(const std::optional<std::uint32_t>& offset, std::size_t plus = 0) {
  return offset ? platform::Hex(static_cast<std::uint32_t>(*offset + plus) & 0xFFFF, 4) : "????";
}

std::string BytesText(std::span<const ListedByte> bytes) {
  std::string text;
  for (const ListedByte& b : bytes) {
    text += b.fixup == Fixup::Computed ? std::string("??") : platform::Hex(b.value, 2);
    text += b.fixup == Fixup::Computed ? ' ' : static_cast<char>(b.fixup);
    text += ' ';
  }
  text.resize(kListingBytesPerLine * 4, ' ');
  return text;
}

void AppendLine(std::string& out, std::string line) {
  while (!line.empty() && line.back() == ' ')
    line.pop_back();
  out += line;
  out += "\r\n";
}

char SegmentLetter(Segment segment) {
  return segment == Segment::Data ? 'D' : 'C';
}

} // namespace

void Listing::BeginLine(const ObjectWriter& out, ListedFrom from, std::string_view file,
                        std::size_t number, std::string_view text) {
  lines_.push_back({out.stream().size(), out.pendingBytes(), from, std::string(file), number,
                    std::string(text)});
}

std::string Listing::Text(std::span<const std::uint8_t> objectFile,
                          const SymbolTables& symbols) const {
  Replay replay(lines_.size());
  ObjectReader reader(objectFile);
  Record r;
  std::string_view error;
  while (!reader.atEnd() && reader.next(r, error)) {
    const std::size_t at = r.offset - kObjectHeaderSize;
    const bool run = r.type == rro::SingleByte || r.type >= rro::ByteRunFirst;
    if (!run) {
      replay.reach(lines_, at, 0);
      ReplayRecord(replay, r);
      continue;
    }
    for (std::size_t i = 0; i < r.bytes.size(); ++i) {
      replay.reach(lines_, at, i);
      replay.place(r.bytes[i], Fixup::None);
    }
  }
  replay.reach(lines_, SIZE_MAX, 0);
  const std::vector<ListedLine> listed = replay.finish();

  std::string out;
  std::string_view includeFile;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.file != includeFile) {
      if (!includeFile.empty()) AppendLine(out, "; END " + std::string(includeFile));
      if (!line.file.empty()) AppendLine(out, "; INCLUDE " + line.file);
      includeFile = line.file;
    }
    const ListedLine& l = listed[i];
    const std::span<const ListedByte> bytes(l.bytes);
    std::string number = std::to_string(line.number);
    number.insert(0, number.size() < 5 ? 5 - number.size() : 0, ' ');
    const std::string place =
        std::string(1, SegmentLetter(l.place.segment)) + ' ' + OffsetText(l.place.offset);
    AppendLine(out, number + ' ' + place + "  " +
                        BytesText(bytes.first(std::min(bytes.size(), kListingBytesPerLine))) +
                        static_cast<char>(line.from) + ' ' + line.text);
    for (std::size_t b = kListingBytesPerLine; b < bytes.size(); b += kListingBytesPerLine) {
      const std::size_t count = std::min(kListingBytesPerLine, bytes.size() - b);
      AppendLine(out, "      " + std::string(1, SegmentLetter(l.place.segment)) + ' ' +
                          OffsetText(l.place.offset, b) + "  " +
                          BytesText(bytes.subspan(b, count)));
    }
  }
  if (!includeFile.empty()) AppendLine(out, "; END " + std::string(includeFile));

  AppendLine(out, "");
  AppendLine(out, "; Labels");
  const std::vector<std::string>& names = symbols.labelsInOrder();
  for (std::size_t index = 0; index < names.size(); ++index) {
    std::string row = names[index];
    row.resize(std::max<std::size_t>(row.size() + 1, 17), ' ');
    if (const Place* at = replay.label(static_cast<std::uint16_t>(index)))
      row += std::string(1, SegmentLetter(at->segment)) + ' ' + OffsetText(at->offset) +
             (symbols.isGlobal(names[index]) ? "  global" : "");
    else
      row += "extern";
    AppendLine(out, row);
  }
  return out;
}

} // namespace velkor::asmsrc
