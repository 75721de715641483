// Prints an object's header and its records one per line.
#include <string>
#include <vector>

#include "common/object_file.h"
#include "ide/cli/arguments.h"
#include "platform/text.h"

namespace velkor::cli {

int RunDumpRro(Invocation& run) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, {}, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one .RRO file");
  const std::string& path = parsed.positional.front();
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!LoadObjectFile(path, bytes, error)) return run.Fail(path + " " + error);
  ObjectReader reader(bytes);
  const std::string_view header = reader.checkHeader();
  if (header == kObjectInvalidHeader || bytes.size() < kObjectHeaderSize) {
    return run.Fail(path + " " + std::string(header));
  }
  run.messages.AddMessageLine(
      path + ": " + std::to_string(bytes.size()) + " bytes, status " + std::to_string(bytes[3]) +
      (header.empty() ? " (assembled without errors)" : " (" + std::string(header) + ")"));
  Record record;
  std::string_view recordError;
  while (!reader.atEnd()) {
    if (!reader.next(record, recordError)) {
      return run.Fail(path + " " + std::string(recordError) + " at " +
                      platform::Hex(static_cast<std::uint32_t>(reader.position()), 5) + "H");
    }
    run.messages.AddMessageLine(DescribeRecord(record));
  }
  return kExitOk;
}

} // namespace velkor::cli
