#include "simulator/ui/enter_address_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "simulator/ui/look.h"

namespace kavrin::ui {

EnterAddressDialog::EnterAddressDialog(Kind kind, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(this)) {
  constexpr int kPortDigits = 2;
  const bool port = kind == Kind::Port;
  setWindowTitle(port ? QStringLiteral("Port base address")
                      : QStringLiteral("Enter Address or Symbol"));
  field_->setFont(FixedFont());
  if (port) field_->setMaxLength(kPortDigits);
  field_->setText(QStringLiteral("00000"));
  // Typing goes in upper case, as the text is read.
  connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int cursor = field_->cursorPosition();
    field_->setText(text.toUpper());
    field_->setCursorPosition(cursor);
  });

  auto* row = new QHBoxLayout;
  row->addWidget(field_, 1);
  if (port) row->addWidget(new QLabel(QStringLiteral("H"), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  constexpr int kAddressFieldCharacters = 30;
  field_->setMinimumWidth(field_->fontMetrics().horizontalAdvance(
      QString(port ? kPortDigits + 2 : kAddressFieldCharacters, '0')));
}

void EnterAddressDialog::SetText(const QString& text) {
  field_->setText(text.toUpper());
}

void EnterAddressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  field_->setFocus();
  field_->selectAll();
}

} // namespace kavrin::ui
