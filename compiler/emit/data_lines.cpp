#include "compiler/emit/data_lines.h"

#include "platform/text.h"

namespace velkor {
namespace {

bool QuotableInDataLine(unsigned char c) {
  return c >= 32 && c <= 127 && c != '\'';
}

} // namespace

LineBlock CharacterDataLines(std::string_view text, std::optional<unsigned> capacity) {
  LineBlock out;
  std::string run;
  auto flushRun = [&] {
    if (!run.empty()) out.AddData("DB '" + run + "'", static_cast<std::uint32_t>(run.size()));
    run.clear();
  };
  for (unsigned char c : text) {
    if (QuotableInDataLine(c)) {
      if (run.size() == kMaxDataRun) flushRun();
      run.push_back(static_cast<char>(c));
    } else {
      flushRun();
      out.Add(Op::DefineByte, platform::Hex(c, 2) + "H");
    }
  }
  flushRun();
  if (capacity && *capacity < 256 && text.size() < *capacity) {
    const auto padding = static_cast<std::uint32_t>(*capacity - text.size());
    out.AddData("DS " + std::to_string(padding), padding);
  }
  return out;
}

LineBlock ByteDataLine(std::uint32_t value) {
  LineBlock out;
  out.Add(Op::DefineByte, std::to_string(value & 0xFF));
  return out;
}

LineBlock WordDataLine(std::uint32_t value) {
  LineBlock out;
  out.Add(Op::DefineWord, std::to_string(value & 0xFFFF));
  return out;
}

LineBlock LongDataLines(std::uint32_t value) {
  LineBlock out;
  out.Add(Op::DefineWord, std::to_string(value & 0xFFFF));
  out.Add(Op::DefineWord, std::to_string(value >> 16));
  return out;
}

LineBlock RoutineAddressDataLine(std::string_view assemblerName) {
  LineBlock out;
  out.Add(Op::DefineWord, std::string("@").append(assemblerName));
  return out;
}

LineBlock VariableAddressDataLine(std::string_view assemblerName) {
  LineBlock out;
  out.Add(Op::DefineWord, assemblerName);
  return out;
}

LineBlock StringConstantDataLines(std::string_view text, unsigned declaredSize) {
  LineBlock out = ByteDataLine(static_cast<std::uint32_t>(text.size()));
  LineBlock chars = CharacterDataLines(text, declaredSize > 0 ? declaredSize - 1 : 0);
  out.lines.insert(out.lines.end(), chars.lines.begin(), chars.lines.end());
  out.size += chars.size;
  return out;
}

LineBlock StringPoolEntryLines(unsigned labelNumber, std::string_view text) {
  LineBlock out;
  out.AddLabel("@@" + std::to_string(labelNumber) + ":");
  out.Add(Op::DefineByte, std::to_string(text.size()));
  LineBlock chars = CharacterDataLines(text);
  out.lines.insert(out.lines.end(), chars.lines.begin(), chars.lines.end());
  out.size += chars.size;
  return out;
}

} // namespace velkor
