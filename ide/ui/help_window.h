#pragma once
// The help window over the user documentation: the README and every
// Markdown file of docs/, a contents list, and a search that keeps in the
// list only the pages holding the text and marks it in the page shown.
//
//   HelpWindow help({"/opt/velkor/README.md"}, "/opt/velkor/docs");
//   help.ShowContents();            // "&Help contents"
//   help.ShowSearch();              // "&Search for help on...": the search field has the focus
//   help.Search("Project Options");

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace velkor::ui {

class HelpWindow : public QWidget {
  Q_OBJECT
public:
  HelpWindow(const QStringList& firstPages, const QString& docsDirectory,
             QWidget* parent = nullptr);

  void ShowContents();
  void ShowSearch();
  // Lists only the pages that hold `text` (any case), shows the first and
  // selects the text there; false when no page holds it.
  bool Search(const QString& text);
  QListWidget* Contents() const { return contents_; }
  QTextBrowser* Page() const { return page_; }

private:
  void ShowPage(int row);

  QStringList files_;
  QLineEdit* search_;
  QListWidget* contents_;
  QTextBrowser* page_;
};

} // namespace velkor::ui
