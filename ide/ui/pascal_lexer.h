#pragma once
// Colouring of the editor's pages: Pascal keywords, comments and strings for
// .Pas files, strings and ";" comments for .Mac files, nothing for others.
//
//   auto* lexer = new velkor::ui::PascalLexer(velkor::ui::SourceKindOf(path), editor);
//   editor->setLexer(lexer);
//
// Only the lines Scintilla asks for are styled. Each line remembers which
// region (a comment running over several lines) is open at its end, so a
// keystroke restyles from its own line to the end of what is shown, however
// long the file is.

#include <QString>
#include <Qsci/qscilexercustom.h>

namespace velkor::ui {

enum class SourceKind { kPlain, kPascal, kAssembler };

// By the upper-cased extension: ".PAS" Pascal, ".MAC" assembler, else plain.
SourceKind SourceKindOf(const QString& path);

class PascalLexer : public QsciLexerCustom {
  Q_OBJECT
public:
  enum Style { kDefault = 0, kKeyword = 1, kComment = 2, kString = 3 };

  explicit PascalLexer(SourceKind kind, QObject* parent = nullptr);

  // Colours by another kind from now on; what is shown is styled anew.
  void SetKind(SourceKind kind);

  const char* language() const override;
  QString description(int style) const override;
  QColor defaultColor(int style) const override;
  QFont defaultFont(int style) const override;
  QColor defaultPaper(int style) const override;
  void styleText(int start, int end) override;

private:
  SourceKind kind_;
};

} // namespace velkor::ui
