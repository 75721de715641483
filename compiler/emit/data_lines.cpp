#include "compiler/emit/data_lines.h"

#include <cstdio>

namespace velkor {
namespace {

bool QuotableInDataLine(unsigned char c) {
  return c >= 32 && c <= 127 && c != '\'';
}

std::string HexByteLine(unsigned char c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\tDB %02XH", c);
  return buffer;
}

} // namespace

LineBlock CharacterDataLines(std::string_view text, std::optional<unsigned> capacity) {
  LineBlock out;
  std::string run;
  auto flushRun = [&] {
    if (!run.empty()) out.lines.push_back("\tDB '" + run + "'");
    run.clear();
  };
  for (unsigned char c : text) {
    if (QuotableInDataLine(c)) {
      if (run.size() == kMaxDataRun) flushRun();
      run.push_back(static_cast<char>(c));
    } else {
      flushRun();
      out.lines.push_back(HexByteLine(c));
    }
  }
  flushRun();
  out.size = static_cast<std::uint32_t>(text.size());
  if (capacity && *capacity < 256 && text.size() < *capacity) {
    out.lines.push_back("\tDS " + std::to_string(*capacity - text.size()));
    out.size = *capacity;
  }
  return out;
}

LineBlock ByteDataLine(std::uint32_t value) {
  return {{"\tDB " + std::to_string(value & 0xFF)}, 1, {}};
}

LineBlock WordDataLine(std::uint32_t value) {
  return {{"\tDW " + std::to_string(value & 0xFFFF)}, 2, {}};
}

LineBlock LongDataLines(std::uint32_t value) {
  return {{"\tDW " + std::to_string(value & 0xFFFF), "\tDW " + std::to_string(value >> 16)}, 4, {}};
}

LineBlock RoutineAddressDataLine(std::string_view assemblerName) {
  return {{"\tDW @" + std::string(assemblerName)}, 2, {}};
}

LineBlock VariableAddressDataLine(std::string_view assemblerName) {
  return {{"\tDW " + std::string(assemblerName)}, 2, {}};
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
  out.lines.push_back("@@" + std::to_string(labelNumber) + ":");
  out.lines.push_back("\tDB " + std::to_string(text.size()));
  LineBlock chars = CharacterDataLines(text);
  out.lines.insert(out.lines.end(), chars.lines.begin(), chars.lines.end());
  out.size = static_cast<std::uint32_t>(text.size()) + 1;
  return out;
}

} // namespace velkor
