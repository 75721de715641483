#pragma once
// "Pascal Compiler Progress": the file being compiled and the number of
// source lines read so far, with the button that cancels the compilation.
//
//   progress.Reset();
//   progress.show();
//   progress.ShowProgress("Demo.Pas", 120); // the file being read, the lines read so far
//   connect(&progress, &CompileProgressWindow::cancelRequested, [&] { /* end the compile */ });

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace velkor::ui {

class CompileProgressWindow : public QWidget {
  Q_OBJECT
public:
  explicit CompileProgressWindow(QWidget* parent = nullptr);

  // "Currently compiling" empty, "Current Line (Total)" 0.
  void Reset();
  void ShowProgress(const QString& file, int lines);
  void ShowFile(const QString& file);
  void ShowLineCount(int lines);

signals:
  // The button was pressed; the window has hidden itself.
  void cancelRequested();

private:
  QLineEdit* file_;
  QLineEdit* lines_;
  QPushButton* cancel_;
};

} // namespace velkor::ui
