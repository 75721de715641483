#include "simulator/ui/io_page_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "platform/text.h"
#include "simulator/ui/look.h"

namespace kavrin::ui {

// Eight lamps, bit 7 on the left: white for 1, black for 0.
class BitLamps : public QWidget {
public:
  explicit BitLamps(QWidget* parent) : QWidget(parent) {
    setFixedSize(kBits * kPitch + 2, kPitch + 2);
  }
  void SetValue(std::uint8_t value) {
    if (value == value_) return;
    value_ = value;
    update();
  }
  std::uint8_t Value() const { return value_; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::gray, 1));
    for (int bit = 0; bit < kBits; ++bit) {
      const bool on = value_ & (0x80 >> bit);
      painter.setBrush(on ? Qt::white : Qt::black);
      painter.drawEllipse(QRectF(1 + bit * kPitch + 2, 3, kPitch - 4, kPitch - 4));
    }
  }

private:
  static constexpr int kBits = 8;
  static constexpr int kPitch = 18;
  std::uint8_t value_ = 0;
};

namespace {

QLineEdit* ValueField(QWidget* parent, int characters, bool readOnly) {
  auto* field = new QLineEdit(parent);
  field->setFont(FixedFont());
  field->setReadOnly(readOnly);
  field->setMaxLength(characters);
  field->setAlignment(Qt::AlignRight);
  field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString(characters + 2, '0')) + 8);
  return field;
}

} // namespace

std::uint8_t IoPageWindow::Lamps(int row, bool input) const {
  return (input ? Input(row) : Output(row)).lamps->Value();
}

IoPageWindow::IoPageWindow(Session& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Simulated I/O ports"));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  const char* headings[] = {"Input",  "Dec", "Hex", "Bits 7..0", "",
                            "Output", "Dec", "Hex", "Bits 7..0"};
  for (int column = 0; column < 9; ++column)
    grid->addWidget(new QLabel(QString::fromLatin1(headings[column]), this), 0, column);
  for (int row = 0; row < kIoPageRows; ++row) {
    const auto r = static_cast<std::size_t>(row);
    inputs_[r] = MakeRow(row, true);
    outputs_[r] = MakeRow(row, false);
    joins_[r] = new QCheckBox(QStringLiteral("Join"), this);
    connect(joins_[r], &QCheckBox::toggled, this, [this, row](bool on) {
      session_.panel.SetJoined(row, on);
      Refresh();
    });
    int column = 0;
    for (const PortRow* side : {&inputs_[r], &outputs_[r]}) {
      grid->addWidget(side->port, row + 1, column++);
      grid->addWidget(side->decimal, row + 1, column++);
      grid->addWidget(side->hex, row + 1, column++);
      grid->addWidget(side->lamps, row + 1, column++);
      if (side == &inputs_[r]) grid->addWidget(joins_[r], row + 1, column++);
    }
  }
  Refresh();
}

// A focused field reports the end of its editing while the children are
// destroyed, after this object is gone.
IoPageWindow::~IoPageWindow() {
  for (const PortRow& row : inputs_) {
    row.decimal->disconnect(this);
    row.hex->disconnect(this);
  }
}

IoPageWindow::PortRow IoPageWindow::MakeRow(int row, bool input) {
  constexpr int kDecimalDigits = 3, kHexDigits = 2;
  PortRow r{new QPushButton(this), ValueField(this, kDecimalDigits, !input),
            ValueField(this, kHexDigits, !input), new BitLamps(this)};
  r.port->setFont(FixedFont());
  r.port->setFlat(true);
  r.port->setToolTip(QStringLiteral("Click to change the port number"));
  connect(r.port, &QPushButton::clicked, this, [this, row, input] { EditPort(row, input); });
  if (input) {
    QLineEdit* decimal = r.decimal;
    QLineEdit* hex = r.hex;
    connect(decimal, &QLineEdit::editingFinished, this,
            [this, row, decimal] { TypeInput(row, decimal, false); });
    connect(hex, &QLineEdit::editingFinished, this,
            [this, row, hex] { TypeInput(row, hex, true); });
  }
  return r;
}

void IoPageWindow::EditPort(int row, bool input) {
  IoPageRow& r = session_.panel.Rows()[static_cast<std::size_t>(row)];
  std::uint8_t& port = input ? r.inputPort : r.outputPort;
  if (const auto chosen = AskPort(dialogs_, port)) {
    port = *chosen;
    session_.RebuildPortMaps();
    Refresh();
  }
}

void IoPageWindow::TypeInput(int row, QLineEdit* field, bool hex) {
  // Leaving a field without typing in it is no entry.
  if (!field->isModified()) return;
  field->setModified(false);
  const std::string typed = field->text().trimmed().toStdString();
  const std::uint8_t value = hex ? ParseHexValue(typed) : ParseDecimalValue(typed);
  std::string message;
  const bool taken = session_.panel.SetInputValue(row, value, &message);
  const PortRow& side = inputs_[static_cast<std::size_t>(row)];
  const std::uint8_t shown = session_.panel.ReadInput(row);
  side.decimal->setText(QString::number(shown));
  side.hex->setText(QString::fromStdString(platform::Hex(shown, 2)));
  side.lamps->SetValue(shown);
  if (!taken) dialogs_.ShowMessage(QString::fromStdString(message));
}

void IoPageWindow::Refresh() {
  session_.panel.Refresh();
  auto show = [](const PortRow& side, std::uint8_t port, std::uint8_t value) {
    side.port->setText(QString::fromStdString(platform::Hex(port, 2) + "H"));
    if (!side.decimal->hasFocus()) side.decimal->setText(QString::number(value));
    if (!side.hex->hasFocus()) side.hex->setText(QString::fromStdString(platform::Hex(value, 2)));
    side.lamps->SetValue(value);
  };
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    const IoPageRow& r = session_.panel.Rows()[i];
    show(inputs_[i], r.inputPort, r.inputValue);
    show(outputs_[i], r.outputPort, r.outputValue);
    if (joins_[i]->isChecked() != r.joined) {
      const QSignalBlocker block(joins_[i]);
      joins_[i]->setChecked(r.joined);
    }
  }
}

} // namespace kavrin::ui
