#include "compiler/source_reader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/encoded_lines.h"
#include "compiler/compile_error.h"
#include "compiler/emit/output.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxIncludeNameShown = 150;
constexpr std::size_t kMaxIncludeName = 128;
constexpr std::uint32_t kProgressInterval = 10;

bool LoadSource(SourceFile& file, const std::string& path) {
  std::string error;
  if (!platform::ReadWholeFile(path, file.bytes, error)) return false;
  file.path = path;
  file.position = platform::ByteOrderMarkLength(file.bytes);
  file.lineNumber = 0;
  file.endOfFile = false;
  file.lastByteWasCR = false;
  file.encoded = SourceExtension(path) == ".EPS";
  if (file.encoded) file.records = std::make_unique<EncodedLineReader>(std::move(file.bytes));
  return true;
}

// The path of an existing file: as written, else the entry of its directory
// whose name matches without regard to case; empty when there is none.
std::string FindFile(const std::string& written) {
  std::error_code ec;
  fs::path p(written);
  if (fs::is_regular_file(p, ec)) return p.string();
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  const std::string wanted = platform::UpperCase(p.filename().string());
  if (wanted.empty() || !fs::is_directory(dir, ec)) return {};
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (platform::UpperCase(it->path().filename().string()) == wanted && it->is_regular_file(ec)) {
      return p.has_parent_path() ? it->path().string() : it->path().filename().string();
    }
  }
  return {};
}

// The name, then the same name with .PAS and .EPS exchanged.
std::string FindWithExchange(const std::string& name) {
  std::string found = FindFile(name);
  if (!found.empty()) return found;
  const std::string ext = SourceExtension(name);
  if (ext == ".PAS" || ext == ".EPS")
    return FindFile(platform::ChangeExtension(name, ext == ".PAS" ? ".EPS" : ".PAS"));
  return {};
}

SourceFile& TopFile(Compilation& c) {
  return c.IncludeStack.empty() ? c.MainFile : c.IncludeStack.back();
}

void CountLine(Compilation& c, SourceFile& file) {
  ++c.TotalLines;
  ++file.lineNumber;
  if (c.TotalLines % kProgressInterval != 0) return;
  c.Ui.ShowCompileProgress(file.name, c.TotalLines);
  c.Ui.ProcessPendingMessages();
  // The scanner stops at its next symbol, so within these 10 lines.
  if (c.Ui.CancelRequested()) c.CancelRequested = true;
}

// A source line copied into encoded output must fit its record: the user
// hears which source line is too long rather than finding it cut.
void RequireEncodableCopy(Compilation& c, std::size_t outputLength) {
  if (!c.EncodeOutput || outputLength <= kEncodedMaxLineLength) return;
  const SourceFile& file = c.IncludeStack.empty() ? c.MainFile : c.IncludeStack.back();
  AbandonCompilation(c, file.path + ", line " + std::to_string(file.lineNumber) +
                            ": the line is too long for encoded output (at most " +
                            std::to_string(kEncodedMaxLineLength) + " characters)");
}

// The line just read in full, as a comment of the output, when the settings ask for it.
void EmitSourceLineComment(Compilation& c) {
  if (c.CurrentLine.empty() || !c.Settings.IncludeSourceAsComments) return;
  RequireEncodableCopy(c, c.CurrentLine.size() + 1);
  EmitRawLine(c, {";", c.CurrentLine});
}

// The line under error 102 or 103 when the source ended inside a comment.
std::string UnclosedCommentDetail(const Compilation& c) {
  if (c.CommentOpenLine == 0) return {};
  return "The comment opened in line " + std::to_string(c.CommentOpenLine) + " of " +
         c.CommentOpenFile + " is not closed";
}

} // namespace

std::string SourceExtension(std::string_view path) {
  const std::string extension = platform::UpperExtension(path);
  return extension.size() < platform::FileNamePart(path).size() ? extension : std::string();
}

bool OpenMainSource(Compilation& c) {
  c.MainFile = SourceFile{};
  c.MainFile.name = c.MainSourceName;
  std::string path = c.MainSourceName;
  std::replace(path.begin(), path.end(), '\\', '/');
  std::string found = FindFile(path);
  return !found.empty() && LoadSource(c.MainFile, found);
}

bool ReadSourceLine(Compilation& c, SourceFile& file, std::string& line) {
  line.clear();
  if (file.endOfFile) return false;
  if (file.encoded) {
    switch (file.records->ReadLine(line)) {
    case EncodedLineReader::Status::kLine:
      return true;
    case EncodedLineReader::Status::kEnd:
      file.endOfFile = true;
      return false;
    case EncodedLineReader::Status::kDamaged:
      AbandonCompilation(c, file.path + ": " + std::string(kEncodedFileDamaged));
    }
  }
  const std::string& bytes = file.bytes;
  if (file.lastByteWasCR && file.position < bytes.size() && bytes[file.position] == '\n') {
    ++file.position; // the second byte of CR LF
  }
  file.lastByteWasCR = false;
  // The line is taken whole, however long: one copy, not a byte at a time.
  std::size_t end = file.position;
  while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
    ++end;
  line.assign(bytes, file.position, end - file.position);
  if (end < bytes.size()) {
    file.lastByteWasCR = bytes[end] == '\r';
    file.position = end + 1;
    return true;
  }
  file.position = end;
  if (!line.empty()) return true;
  file.endOfFile = true;
  return false;
}

void NextCharSlowly(Compilation& c) {
  if (!c.PushbackText.empty()) {
    c.CurrentChar = c.PushbackText.front();
    c.PushbackText.erase(0, 1);
    return;
  }
  for (;;) {
    if (c.Column < c.CurrentLine.size()) {
      const char ch = c.CurrentLine[c.Column++];
      // A tab separates like a blank; dropping it would join the words around it.
      if (ch == '\t') {
        c.CurrentChar = ' ';
        return;
      }
      if (static_cast<unsigned char>(ch) < 32) ReportCompileError(c, kErrInvalidSourceCharacter);
      c.CurrentChar = ch;
      return;
    }
    // Every line end, and the start of the source, is seen as one blank.
    if (c.EndOfLinePending) {
      c.EndOfLinePending = false;
      c.CurrentChar = ' ';
      return;
    }
    c.EndOfLinePending = true;
    EmitSourceLineComment(c);
    if (!c.IncludeStack.empty() && c.IncludeStack.back().endOfFile) {
      EmitRawLine(c, "; End of include file " +
                         c.IncludeStack.back().name.substr(0, kMaxIncludeNameShown));
      c.IncludeStack.pop_back();
    } else if (c.IncludeStack.empty() && c.MainFile.endOfFile) {
      ReportCompileError(c, c.SkippingText ? kErrUnterminatedConditional : kErrUnexpectedEnd,
                         UnclosedCommentDetail(c));
    }
    c.Column = 0;
    SourceFile& file = TopFile(c);
    for (;;) {
      c.PreviousLine = c.CurrentLine;
      if (!ReadSourceLine(c, file, c.CurrentLine)) break;
      CountLine(c, file);
      if (!c.CurrentLine.empty()) break;
    }
  }
}

void OpenIncludeFile(Compilation& c, const std::string& written) {
  std::string name = written;
  std::replace(name.begin(), name.end(), '\\', '/');
  std::string projectDir = c.Settings.ProjectDirectory;
  if (projectDir.empty()) projectDir = fs::path(c.MainFile.path).parent_path().string();
  std::replace(projectDir.begin(), projectDir.end(), '\\', '/');
  const std::string inProject =
      projectDir.empty() ? std::string()
                         : (fs::path(projectDir) / platform::FileNamePart(name)).string();
  std::string found = FindWithExchange(name);
  if (found.empty() && !inProject.empty()) found = FindWithExchange(inProject);
  if (found.empty()) {
    std::string directory = platform::DirectoryInsteadOfFile(name);
    if (directory.empty()) directory = platform::DirectoryInsteadOfFile(inProject);
    ReportCompileError(c, kErrIncludeNotFound, directory);
  }
  c.Ui.SaveFileIfModified(found);
  if (static_cast<int>(c.IncludeStack.size()) >= kMaxIncludeDepth)
    ReportCompileError(c, kErrTooManyIncludes);

  SourceFile file;
  if (!LoadSource(file, found)) AbandonCompilation(c, "Cannot find file : " + found);
  file.name = platform::FileNamePart(found).substr(0, kMaxIncludeName);
  if (file.encoded) c.EncodeOutput = true;
  c.IncludeStack.push_back(std::move(file));
  // The rest of the directive's line is not read: the next characters come
  // from the include file.
  c.Column = c.CurrentLine.size();
  EmitRawLine(c, "; Include file " + found);
}

void ReadAsmBlockLines(Compilation& c, const std::function<void(const std::string&)>& emitLine) {
  c.PushbackText.clear();
  EmitSourceLineComment(c);
  SourceFile& file = TopFile(c);
  std::string line;
  while (true) {
    c.PreviousLine = c.CurrentLine;
    if (!ReadSourceLine(c, file, line)) {
      c.CurrentLine.clear();
      break;
    }
    CountLine(c, file);
    c.CurrentLine = line;
    if (platform::UpperCase(line).find("END;") != std::string::npos) break;
    RequireEncodableCopy(c, line.size());
    emitLine(line);
  }
  // The END; line is consumed whole; the scan goes on with the next line.
  c.Column = c.CurrentLine.size();
  c.EndOfLinePending = false;
  c.CurrentChar = ' ';
  EmitSourceLineComment(c);
  c.CurrentLine.clear();
  c.Column = 0;
}

void CloseAllSources(Compilation& c) {
  c.IncludeStack.clear();
  c.MainFile.bytes.clear();
  c.MainFile.records.reset();
}

std::uint32_t CurrentFileLine(const Compilation& c) {
  return c.IncludeStack.empty() ? c.MainFile.lineNumber : c.IncludeStack.back().lineNumber;
}

} // namespace velkor
