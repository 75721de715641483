#pragma once
// One page of the editor window: the text of one file in a QScintilla
// control with line numbers and the page's colouring.
//
//   auto* page = new velkor::ui::EditorPage;
//   QString error;
//   if (!page->Load("/work/demo/Main.Pas", error)) show(error);
//   ...
//   if (!page->Save(error)) show(error);   // the text stays, still marked changed
//
// The file's bytes come back unchanged where the text was not edited: a file
// that is not UTF-8 is read and written as Latin-1, and new lines take the
// line ends the file already uses.

#include <QString>
#include <Qsci/qsciscintilla.h>

namespace velkor::ui {

class PascalLexer;

class EditorPage : public QsciScintilla {
  Q_OBJECT
public:
  explicit EditorPage(QWidget* parent = nullptr);

  const QString& File() const { return file_; }
  bool IsChanged() const { return isModified(); }

  // The file's text, coloured by its extension, unchanged and without undo history.
  bool Load(const QString& path, QString& error);
  // Writes the text to the page's file (or to `path`, which then becomes the
  // page's file); on a failure the page keeps its text and its changed mark.
  bool Save(QString& error);
  bool SaveAs(const QString& path, QString& error);

  // When on, a new line starts with the leading blanks and tabs (every code
  // up to 32) of the line above it.
  void SetAutoIndent(bool on) { autoIndent_ = on; }
  void DeleteCaretLine();
  void GoToStart();
  void GoToEnd();

protected:
  bool event(QEvent* event) override;

private:
  void SetFile(const QString& path);
  void IndentNewLine(int character);
  void FitLineNumberMargin();

  PascalLexer* lexer_;
  QString file_;
  bool latin1_ = false;
  bool autoIndent_ = false;
};

} // namespace velkor::ui
