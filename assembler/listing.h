#pragma once
// The listing of one assembly (NAME.LST). The final pass marks where each
// source line begins in the object stream; afterwards the stream is replayed
// to learn every line's segment, offset and bytes, so the listing shows
// exactly what the .RRO holds and costs nothing when it is not asked for.
//
//   asmsrc::Listing listing;
//   assembly.listing = &listing;            // before run()
//   assembly.run();
//   std::string text = listing.Text(assembly.object().fileImage(true), assembly.symbols);
//
// A line looks like this (offsets and bytes in hex):
//
//      12 C 0003  CD  00' 00'     CALL  PRINT
//
// A byte's mark says what the linker still does with it: ' adds the module's
// code start, " its data start, and ?? stands for a byte the linker computes
// (externals, expressions). Column 19 holds + for a macro expansion's lines
// and = for an include file's; "; INCLUDE NAME" and "; END NAME" frame it.

#include "assembler/asm_symbols.h"
#include "common/object_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::asmsrc {

// Bytes shown on one listing line; more go on continuation lines.
inline constexpr std::size_t kListingBytesPerLine = 4;

enum class ListedFrom : char { Source = ' ', Include = '=', Macro = '+' };

class Listing {
public:
  // Where a line starts: the stream length and the data bytes still
  // waiting to be written as a run.
  void BeginLine(const ObjectWriter& out, ListedFrom from, std::string_view file,
                 std::size_t number, std::string_view text);

  // The listing text; `objectFile` is the .RRO as written (header included).
  std::string Text(std::span<const std::uint8_t> objectFile, const SymbolTables& symbols) const;

private:
  struct Line {
    std::size_t streamSize = 0;
    std::size_t pendingBytes = 0;
    ListedFrom from = ListedFrom::Source;
    std::string file; // the include file's name, or empty
    std::size_t number = 0;
    std::string text;
  };
  std::vector<Line> lines_;
};

} // namespace velkor::asmsrc
