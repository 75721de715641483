// Fuzzes the assembler's source reading, line parser, operand evaluation,
// macros and directives: any input must end in success or one error message.
#include "assembler/assembler.h"
#include "assembler/source_file.h"
#include "common/encoded_lines.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks plain text or the encoded line format.
  const bool encoded = (data[0] & 1) != 0;
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> lines;
  if (encoded)
    velkor::DecodeLines(std::move(bytes), lines);
  else
    lines = velkor::asmsrc::SplitSourceText(bytes);
  velkor::MessageList messages;
  velkor::asmsrc::AssemblySettings settings;
  // INCLUDE finds nothing here, so no file outside the input is read.
  settings.projectDirectory = "/nonexistent-include-directory";
  platform::HeadlessUiHost ui;
  const auto result = velkor::AssembleLines(std::move(lines), settings, messages, ui);
  if (!result.ok && messages.Lines().size() < 2) __builtin_trap();
  if (result.image.size() < 4 || result.image.size() > velkor::kObjectFileLimit) __builtin_trap();
  return 0;
}
