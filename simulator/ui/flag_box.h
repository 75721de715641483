#pragma once
// The flag field "S Z P N C": each flag's digit drawn in the zone a click
// toggles (run_registers.h), so the field is exactly as wide as the zones.

#include <QWidget>
#include <functional>

namespace kavrin::ui {

class FlagBox : public QWidget {
  Q_OBJECT
public:
  explicit FlagBox(QWidget* parent = nullptr);
  void SetText(const QString& flags) {
    text_ = flags;
    update();
  }
  QString Text() const { return text_; }
  std::function<void(int x)> onClick;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QString text_;
};

} // namespace kavrin::ui
