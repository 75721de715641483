#include "ide/ui/project_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <span>
#include <string_view>

namespace velkor::ui {

namespace {

// A radio group of the names, in two columns when long, ids = indices.
QGroupBox* RadioGroup(const QString& title, std::span<const std::string_view> names,
                      QButtonGroup* group, int checked, int columns) {
  auto* box = new QGroupBox(title);
  box->setObjectName(title);
  auto* layout = new QGridLayout(box);
  const int rows = (static_cast<int>(names.size()) + columns - 1) / columns;
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(names[i].data(), names[i].size()));
    group->addButton(button, i);
    layout->addWidget(button, i % rows, i / rows);
  }
  if (QAbstractButton* button = group->button(checked)) button->setChecked(true);
  return box;
}

QCheckBox* Check(const QString& text, const QString& hint, bool checked) {
  auto* box = new QCheckBox(text);
  box->setToolTip(hint);
  box->setChecked(checked);
  return box;
}

void FillWithFiles(QListWidget* list, const Project& project) {
  list->clear();
  for (const std::string& file : project.Files())
    list->addItem(QString::fromStdString(file));
}

} // namespace

ProjectOptionsDialog::ProjectOptionsDialog(const ProjectSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), target_(new QButtonGroup(this)),
      cpu_(new QButtonGroup(this)),
      includePas_(Check("Include .Pas in .Mac",
                        "Include pascal source in generated assembler as comments",
                        settings.IncludePAS)),
      writeSym_(Check("Create symbol file", "Create a ASCII symbol file", settings.WriteSym)),
      pasInSym_(Check("Pascal source in ", "Insert Pascal source in symbol file as comments",
                      settings.PasInSym)) {
  setWindowTitle("Project Options");
  pasInSym_->hide();
  auto* ok = new QPushButton("OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* right = new QVBoxLayout;
  right->addWidget(RadioGroup("CPU", kCpuNames, cpu_, settings.CPU, 1));
  right->addWidget(includePas_);
  right->addWidget(writeSym_);
  right->addWidget(pasInSym_);
  right->addStretch();
  right->addWidget(ok, 0, Qt::AlignRight);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(RadioGroup("Target", kTargetNames, target_, settings.Target, 2));
  layout->addLayout(right);
}

ProjectSettings ProjectOptionsDialog::Settings() const {
  ProjectSettings result = settings_;
  if (target_->checkedId() >= 0) result.Target = target_->checkedId();
  if (cpu_->checkedId() >= 0) result.CPU = cpu_->checkedId();
  result.IncludePAS = includePas_->isChecked();
  result.WriteSym = writeSym_->isChecked();
  result.PasInSym = pasInSym_->isChecked();
  return result;
}

LinkOrderDialog::LinkOrderDialog(Project& project, QWidget* parent)
    : QDialog(parent), project_(project), sources_(new QListWidget), swapWith_(new QListWidget) {
  setWindowTitle("Change link order");
  sources_->setObjectName("sourceFile");
  swapWith_->setObjectName("swapWith");
  auto* close = new QPushButton("Close");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel("Source file"), 0, 0);
  layout->addWidget(new QLabel("Swap position with"), 0, 1);
  layout->addWidget(sources_, 1, 0);
  layout->addWidget(swapWith_, 1, 1);
  layout->addWidget(close, 2, 1, Qt::AlignRight);
  connect(swapWith_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { Swap(swapWith_->row(item)); });
  Fill();
  resize(520, 300);
}

void LinkOrderDialog::Fill() {
  FillWithFiles(sources_, project_);
  FillWithFiles(swapWith_, project_);
}

void LinkOrderDialog::Swap(int with) {
  const int selected = sources_->currentRow();
  if (selected < 0 || with < 0 || selected == with) return;
  project_.SwapFiles(static_cast<std::size_t>(selected), static_cast<std::size_t>(with));
  Fill();
  sources_->setCurrentRow(with);
}

RemoveDialog::RemoveDialog(Project& project, std::function<void(const std::string&)> closePage,
                           QWidget* parent)
    : QDialog(parent), project_(project), closePage_(std::move(closePage)), list_(new QListWidget) {
  setWindowTitle("Remove from Project");
  list_->setObjectName("files");
  auto* remove = new QPushButton("&Remove");
  auto* done = new QPushButton("&Done");
  connect(remove, &QPushButton::clicked, this, &RemoveDialog::RemoveSelected);
  connect(done, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(remove);
  buttons->addWidget(done);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  FillWithFiles(list_, project_);
  resize(460, 260);
}

void RemoveDialog::RemoveSelected() {
  const int row = list_->currentRow();
  if (row < 0) return;
  const std::string path = project_.FilePath(static_cast<std::size_t>(row));
  project_.RemoveFile(static_cast<std::size_t>(row));
  delete list_->takeItem(row);
  if (closePage_) closePage_(path);
}

} // namespace velkor::ui
