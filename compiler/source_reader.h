#pragma once
// Source reading: the main file and up to five nested include files, plain or
// encoded (.EPS), delivered one character at a time. Every line end (and the
// start of the source) is seen as one blank.

#include <functional>
#include <string>
#include <string_view>

#include "compiler/compilation.h"

namespace velkor {

// The upper-cased extension of a source or output name, from the last dot of
// its file name; none for a name whose only dot begins it (".Pas" is a hidden
// file without an extension, as the compiler has always read it).
std::string SourceExtension(std::string_view path);

// Opens the main source (c.MainSourceName) as the file being read; false when
// it cannot be read.
bool OpenMainSource(Compilation& c);

// NextChar for every case: pushed-back text, tabs, control characters and
// line ends.
void NextCharSlowly(Compilation& c);

// Makes the next character current (c.CurrentChar). Reports 103 at the end of
// the source (102 while skipping), 60 for a control character.
// The scanner asks for every character, and nearly every one is a printable
// character of the current line: that case is taken here, the rest apart.
inline void NextChar(Compilation& c) {
  if (c.PushbackText.empty() && c.Column < c.CurrentLine.size()) {
    const char ch = c.CurrentLine[c.Column];
    if (static_cast<unsigned char>(ch) >= ' ') {
      ++c.Column;
      c.CurrentChar = ch;
      return;
    }
  }
  NextCharSlowly(c);
}

// Reads the next line of the file into `line`, plain or encoded; false at its
// end. Lines end at CR LF, CR or a lone LF and are delivered whole.
bool ReadSourceLine(Compilation& c, SourceFile& file, std::string& line);

// Opens an include file ({#I name}): searches it, pushes it and ends the
// current line so the next character comes from it. Errors 86, 87, 88.
void OpenIncludeFile(Compilation& c, const std::string& name);

// Reads the rest of the current line and then whole source lines for an ASM
// block, up to the line that contains "END;" (which is consumed). Each line
// read is passed to `emitLine`.
void ReadAsmBlockLines(Compilation& c, const std::function<void(const std::string&)>& emitLine);

// Closes every open file (deepest include first).
void CloseAllSources(Compilation& c);

// The line number in the file being read (top include, else main).
std::uint32_t CurrentFileLine(const Compilation& c);

} // namespace velkor
