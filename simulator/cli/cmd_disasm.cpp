// kavrin-cli disasm: disassembly lines of a loaded image.

#include <cstdio>

#include "platform/text.h"
#include "simulator/cli/commands.h"
#include "simulator/cli/image_setup.h"
#include "simulator/core/disasm.h"
#include "simulator/session/address.h"

namespace kavrin::cli {
namespace {

constexpr platform::OptionRule kDisasmOptions[] = {
    {.name = "--load-at", .takesValue = true, .once = true},
    {.name = "--from", .takesValue = true, .once = true},
    {.name = "--count", .takesValue = true, .once = true},
    {.name = "--sym", .takesValue = true, .once = true},
};

} // namespace

int DisasmCommand(const std::vector<std::string>& args) {
  int exitCode = kExitOk;
  const auto commandLine = ReadCommandLine(args, kDisasmOptions, exitCode);
  if (!commandLine) return exitCode;
  const platform::ParsedOptions& options = *commandLine;
  unsigned long long count = 0;
  if (const auto text = options.Value("--count")) {
    const auto parsed = ParseCount(*text);
    if (!parsed) return UsageError("--count needs a positive decimal count, not " + *text);
    count = *parsed;
  }
  Session session;
  const auto image = LoadForCommand(session, options, exitCode);
  if (!image) return exitCode;

  // An image that reaches above 64K is listed by physical address, like the
  // window's Physical view; else by logical address after the reset.
  const std::uint32_t end = image->loadAddress + image->size;
  const bool physical = end > kLogicalSpaceSize;
  const std::uint32_t space = physical ? kPhysicalMemorySize : kLogicalSpaceSize;
  std::uint32_t address = image->loadAddress;
  if (const auto text = options.Value("--from")) {
    const ResolvedAddress r = ResolveAddress(*text, session.symbols);
    if (!r.ok) {
      Report(r.message);
      return kExitError;
    }
    address = r.value % space;
  }
  const Machine& machine = session.machine();
  const ByteReader read = physical ? ByteReader([&machine](std::uint32_t a) {
    return machine.PhysicalMemory[a & kPhysicalMask];
  })
                                   : ByteReader([&machine](std::uint32_t a) {
                                       return machine.ReadByte(static_cast<std::uint16_t>(a));
                                     });
  // Without --count the listing covers the image once.
  std::uint64_t covered = 0;
  const std::uint64_t wanted = address >= image->loadAddress && address < end ? end - address : 1;
  for (unsigned long long line = 0; count ? line < count : covered < wanted; ++line) {
    const Disassembly d =
        Disassemble(read, address, std::string::npos,
                    physical ? AddressSpace::Physical : AddressSpace::Logical, &session.symbols);
    const std::string prefix =
        physical ? platform::Hex(address, 5) + "H " : platform::Hex(address, 4) + "H  ";
    std::printf("%s%s\n", prefix.c_str(), d.text.c_str());
    address = (address + static_cast<std::uint32_t>(d.length)) % space;
    covered += static_cast<std::uint64_t>(d.length);
  }
  return kExitOk;
}

} // namespace kavrin::cli
