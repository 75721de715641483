#include "ide/ui/find_replace_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velkor::ui {

FindReplaceDialog::FindReplaceDialog(QWidget* parent)
    : QDialog(parent), findText_(new QLineEdit), replaceLabel_(new QLabel("Replace &with:")),
      replaceText_(new QLineEdit), matchCase_(new QCheckBox("Match &case")),
      up_(new QRadioButton("&Up")), down_(new QRadioButton("&Down")),
      findNext_(new QPushButton("&Find Next")), replace_(new QPushButton("&Replace")) {
  findText_->setObjectName("findText");
  replaceText_->setObjectName("replaceText");
  matchCase_->setObjectName("matchCase");
  up_->setObjectName("directionUp");
  findNext_->setObjectName("findNextButton");
  replace_->setObjectName("replaceButton");
  down_->setChecked(true);
  findText_->setMinimumWidth(240);

  auto* fields = new QGridLayout;
  auto* findLabel = new QLabel("Fi&nd what:");
  findLabel->setBuddy(findText_);
  replaceLabel_->setBuddy(replaceText_);
  fields->addWidget(findLabel, 0, 0);
  fields->addWidget(findText_, 0, 1);
  fields->addWidget(replaceLabel_, 1, 0);
  fields->addWidget(replaceText_, 1, 1);

  auto* direction = new QGroupBox("Direction");
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(up_);
  directionLayout->addWidget(down_);
  auto* options = new QHBoxLayout;
  options->addWidget(matchCase_);
  options->addStretch();
  options->addWidget(direction);

  auto* buttons = new QDialogButtonBox(Qt::Vertical);
  buttons->addButton(findNext_, QDialogButtonBox::ActionRole);
  buttons->addButton(replace_, QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  findNext_->setDefault(true);

  auto* left = new QVBoxLayout;
  left->addLayout(fields);
  left->addLayout(options);
  left->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addWidget(buttons);

  connect(findNext_, &QPushButton::clicked, this, &FindReplaceDialog::findNextRequested);
  connect(replace_, &QPushButton::clicked, this, &FindReplaceDialog::replaceRequested);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
}

void FindReplaceDialog::ShowFor(Mode mode, const QString& text) {
  bool replacing = mode == kReplace;
  setWindowTitle(replacing ? "Find and Replace" : "Find");
  replaceLabel_->setVisible(replacing);
  replaceText_->setVisible(replacing);
  replace_->setVisible(replacing);
  if (!text.isEmpty()) findText_->setText(text);
  findText_->selectAll();
  adjustSize();
  show();
  raise();
  activateWindow();
  findText_->setFocus();
}

SearchRequest FindReplaceDialog::Request() const {
  return {findText_->text(), replaceText_->text(), matchCase_->isChecked(), !up_->isChecked()};
}

} // namespace velkor::ui
