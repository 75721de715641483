#include "simulator/ui/board_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace kavrin::ui {
namespace {

// The console choices by ConsoleKind.
const char* const kConsoleCaptions[] = {"Terminal ports", "ASCI channel 0", "ASCI channel 1"};
constexpr int kClockDecimals = 3; // kHz steps

QSpinBox* Spin(QWidget* parent, int high, const char* suffix = "") {
  auto* box = new QSpinBox(parent);
  box->setRange(0, high);
  box->setSuffix(QString::fromLatin1(suffix));
  return box;
}

} // namespace

BoardDialog::BoardDialog(const BoardSettings& settings, QWidget* parent)
    : QDialog(parent), enabled_(new QCheckBox(QStringLiteral("&Board model on"), this)),
      clock_(new QDoubleSpinBox(this)), memoryWait_(Spin(this, kMaxWaitStates)),
      ioWait_(Spin(this, kMaxWaitStates)),
      romSize_(Spin(this, static_cast<int>(kMaxRomSize / 1024), " K")),
      console_(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Board"));
  clock_->setDecimals(kClockDecimals);
  clock_->setRange(0.001, kMaxClockKHz / 1000.0);
  clock_->setSuffix(QStringLiteral(" MHz"));
  romSize_->setSpecialValueText(QStringLiteral("none"));
  for (const char* caption : kConsoleCaptions)
    console_->addItem(QString::fromLatin1(caption));

  enabled_->setChecked(settings.enabled);
  clock_->setValue(settings.clockKHz / 1000.0);
  memoryWait_->setValue(settings.memoryWaitStates);
  ioWait_->setValue(settings.ioWaitStates);
  romSize_->setValue(settings.romSizeK);
  console_->setCurrentIndex(static_cast<int>(settings.console));

  auto* form = new QFormLayout;
  form->addRow(enabled_);
  form->addRow(QStringLiteral("&Clock:"), clock_);
  form->addRow(QStringLiteral("&Memory wait states:"), memoryWait_);
  form->addRow(QStringLiteral("&I/O wait states:"), ioWait_);
  form->addRow(QStringLiteral("&ROM size:"), romSize_);
  form->addRow(QStringLiteral("C&onsole:"), console_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(enabled_, &QCheckBox::toggled, this, &BoardDialog::EnableBoardFields);
  EnableBoardFields();
}

void BoardDialog::EnableBoardFields() {
  romSize_->setEnabled(enabled_->isChecked());
  console_->setEnabled(enabled_->isChecked());
}

BoardSettings BoardDialog::Settings() const {
  BoardSettings s;
  s.enabled = enabled_->isChecked();
  s.clockKHz = static_cast<int>(std::lround(clock_->value() * 1000.0));
  s.memoryWaitStates = memoryWait_->value();
  s.ioWaitStates = ioWait_->value();
  s.romSizeK = romSize_->value();
  s.console = static_cast<ConsoleKind>(console_->currentIndex());
  return s;
}

} // namespace kavrin::ui
