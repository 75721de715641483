#pragma once
// The editor's "Find" and "Find and Replace" dialog: one non-modal dialog
// whose replace field and button show only when replacing. It only collects
// the request; the editor window runs it on the active page.
//
//   dialog->ShowFor(FindReplaceDialog::kReplace, selectedWord);
//   connect(dialog, &FindReplaceDialog::replaceRequested, ...);   // dialog->Request()

#include <QDialog>

#include "ide/ui/find_replace.h"

class QCheckBox;
class QLineEdit;
class QLabel;
class QPushButton;
class QRadioButton;

namespace velkor::ui {

class FindReplaceDialog : public QDialog {
  Q_OBJECT
public:
  enum Mode { kFind, kReplace };

  explicit FindReplaceDialog(QWidget* parent = nullptr);

  // Shows and raises the dialog; a non-empty `text` becomes the search text.
  void ShowFor(Mode mode, const QString& text);
  SearchRequest Request() const;

signals:
  void findNextRequested();
  void replaceRequested();

private:
  QLineEdit* findText_;
  QLabel* replaceLabel_;
  QLineEdit* replaceText_;
  QCheckBox* matchCase_;
  QRadioButton* up_;
  QRadioButton* down_;
  QPushButton* findNext_;
  QPushButton* replace_;
};

} // namespace velkor::ui
