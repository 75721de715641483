#include "ide/ui/pascal_lexer.h"

#include <QFontDatabase>
#include <Qsci/qsciscintilla.h>
#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace velkor::ui {
namespace {

// A region runs from its opener to its closer; an empty closer ends it at
// the line end. Strings also end at the line end, so an unfinished quote
// while typing does not colour the rest of the file.
struct Region {
  std::string_view open;
  std::string_view close;
  PascalLexer::Style style;
  bool endsAtLineEnd;
};

// Openers are tried in this order, so "{*}" and "{*!" win over "{".
constexpr Region kPascalRegions[] = {
    {"{*}", "{*}", PascalLexer::kComment, false}, {"{*!", " ", PascalLexer::kComment, false},
    {"{", "}", PascalLexer::kComment, false},     {"(*", "*)", PascalLexer::kComment, false},
    {"//", "", PascalLexer::kComment, true},      {"'", "'", PascalLexer::kString, true},
};
constexpr Region kAssemblerRegions[] = {
    {"'", "'", PascalLexer::kString, true},
    {";", "", PascalLexer::kComment, true},
};

constexpr std::array<std::string_view, 38> kPascalKeywords = {
    "begin",    "end",       "if",       "then",    "else",   "for",     "to",       "downto",
    "with",     "var",       "type",     "string",  "record", "case",    "of",       "const",
    "while",    "do",        "not",      "in",      "and",    "or",      "xor",      "div",
    "nil",      "shl",       "shr",      "repeat",  "until",  "forward", "external", "global",
    "absolute", "procedure", "function", "program", "asm",    "label"};
constexpr std::size_t kLongestKeyword = 9;

std::span<const Region> RegionsOf(SourceKind kind) {
  switch (kind) {
  case SourceKind::kPascal:
    return kPascalRegions;
  case SourceKind::kAssembler:
    return kAssemblerRegions;
  case SourceKind::kPlain:
    break;
  }
  return {};
}

bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsWordPart(char c) {
  return IsWordStart(c) || (c >= '0' && c <= '9');
}

bool IsKeyword(std::string_view word) {
  if (word.size() > kLongestKeyword) return false;
  char lower[kLongestKeyword];
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::string_view key(lower, word.size());
  for (std::string_view keyword : kPascalKeywords) {
    if (keyword == key) return true;
  }
  return false;
}

bool StartsAt(std::string_view text, std::size_t at, std::string_view what) {
  return text.substr(at, what.size()) == what;
}

} // namespace

SourceKind SourceKindOf(const QString& path) {
  std::string extension = platform::UpperExtension(path.toStdString());
  if (extension == ".PAS") return SourceKind::kPascal;
  if (extension == ".MAC") return SourceKind::kAssembler;
  return SourceKind::kPlain;
}

PascalLexer::PascalLexer(SourceKind kind, QObject* parent) : QsciLexerCustom(parent), kind_(kind) {}

void PascalLexer::SetKind(SourceKind kind) {
  kind_ = kind;
  if (QsciScintilla* ed = editor()) {
    startStyling(0); // everything is unstyled again; what is shown is asked for anew
    ed->viewport()->update();
  }
}

const char* PascalLexer::language() const {
  switch (kind_) {
  case SourceKind::kPascal:
    return "Pascal";
  case SourceKind::kAssembler:
    return "Assembler";
  case SourceKind::kPlain:
    break;
  }
  return "Text";
}

QString PascalLexer::description(int style) const {
  switch (style) {
  case kDefault:
    return "Default";
  case kKeyword:
    return "Keyword";
  case kComment:
    return "Comment";
  case kString:
    return "String";
  }
  return {};
}

QColor PascalLexer::defaultColor(int style) const {
  switch (style) {
  case kKeyword:
    return QColor(0x00, 0x00, 0x99);
  case kComment:
    return QColor(0x00, 0x7A, 0x3D);
  case kString:
    return QColor(0xA3, 0x15, 0x15);
  }
  return Qt::black;
}

QFont PascalLexer::defaultFont(int style) const {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  font.setBold(style == kKeyword);
  font.setItalic(style == kComment);
  return font;
}

QColor PascalLexer::defaultPaper(int) const {
  return Qt::white;
}

void PascalLexer::styleText(int start, int end) {
  QsciScintilla* ed = editor();
  if (!ed || end <= start) return;
  std::span<const Region> regions = RegionsOf(kind_);
  long line = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
  // The region still open at the end of the line above (its index + 1, 0: none).
  long open = line > 0 ? ed->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, line - 1) : 0;
  if (open < 0 || static_cast<std::size_t>(open) > regions.size()) open = 0;

  QByteArray bytes = ed->bytes(start, end);
  std::string_view text(bytes.constData(), static_cast<std::size_t>(end - start));
  std::vector<char> styles(text.size(), kDefault);

  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') {
      if (open && regions[static_cast<std::size_t>(open - 1)].endsAtLineEnd) open = 0;
      ed->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, line, open);
      ++line;
      ++i;
      continue;
    }
    if (open) {
      const Region& region = regions[static_cast<std::size_t>(open - 1)];
      if (c == '\r' && region.endsAtLineEnd) {
        open = 0;
        ++i;
        continue;
      }
      std::size_t length = 1;
      if (!region.close.empty() && StartsAt(text, i, region.close)) {
        length = region.close.size();
        open = 0;
      }
      std::fill_n(styles.begin() + static_cast<std::ptrdiff_t>(i), length, region.style);
      i += length;
      continue;
    }
    bool opened = false;
    for (std::size_t r = 0; r < regions.size(); ++r) {
      if (StartsAt(text, i, regions[r].open)) {
        std::fill_n(styles.begin() + static_cast<std::ptrdiff_t>(i), regions[r].open.size(),
                    regions[r].style);
        i += regions[r].open.size();
        open = static_cast<long>(r + 1);
        opened = true;
        break;
      }
    }
    if (opened) continue;
    if (IsWordStart(c) || (c >= '0' && c <= '9')) {
      std::size_t wordEnd = i + 1;
      while (wordEnd < text.size() && IsWordPart(text[wordEnd]))
        ++wordEnd;
      if (kind_ == SourceKind::kPascal && IsWordStart(c) &&
          IsKeyword(text.substr(i, wordEnd - i))) {
        std::fill(styles.begin() + static_cast<std::ptrdiff_t>(i),
                  styles.begin() + static_cast<std::ptrdiff_t>(wordEnd), kKeyword);
      }
      i = wordEnd;
      continue;
    }
    ++i;
  }

  // One call per run of equal styles.
  startStyling(start);
  std::size_t runStart = 0;
  for (std::size_t k = 1; k <= styles.size(); ++k) {
    if (k == styles.size() || styles[k] != styles[runStart]) {
      setStyling(static_cast<int>(k - runStart), styles[runStart]);
      runStart = k;
    }
  }
}

} // namespace velkor::ui
