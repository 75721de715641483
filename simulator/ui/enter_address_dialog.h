#pragma once
// TEnterAddr, "Enter Address or Symbol", and TEnterPortAddr, "Port base
// address": one upper-casing field, shown with its whole text selected.

#include <QDialog>
#include <QLineEdit>

namespace kavrin::ui {

class EnterAddressDialog : public QDialog {
  Q_OBJECT
public:
  enum class Kind { Address, Port };
  explicit EnterAddressDialog(Kind kind, QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const { return field_->text(); }
  QLineEdit* Field() { return field_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLineEdit* field_;
};

} // namespace kavrin::ui
