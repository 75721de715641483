#pragma once
// TIOPage, "Simulated I/O ports": five input and five output byte ports,
// each with its port number, decimal and hex fields and eight bit lamps,
// and a "Join" box per row that makes the input follow the output.

#include <QWidget>
#include <array>

#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kavrin::ui {

class BitLamps;

class IoPageWindow : public QWidget {
  Q_OBJECT
public:
  IoPageWindow(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);
  ~IoPageWindow() override;

  // Joined inputs follow their outputs, then every field shows its value.
  void Refresh();

  struct PortRow {
    QPushButton* port;
    QLineEdit* decimal;
    QLineEdit* hex;
    BitLamps* lamps;
  };
  const PortRow& Input(int row) const { return inputs_[static_cast<std::size_t>(row)]; }
  const PortRow& Output(int row) const { return outputs_[static_cast<std::size_t>(row)]; }
  QCheckBox* Join(int row) const { return joins_[static_cast<std::size_t>(row)]; }
  // What a row's lamps show, as a byte (bit 7 the first lamp).
  std::uint8_t Lamps(int row, bool input) const;

private:
  PortRow MakeRow(int row, bool input);
  void EditPort(int row, bool input);
  void TypeInput(int row, QLineEdit* field, bool hex);

  Session& session_;
  Dialogs& dialogs_;
  std::array<PortRow, kIoPageRows> inputs_{};
  std::array<PortRow, kIoPageRows> outputs_{};
  std::array<QCheckBox*, kIoPageRows> joins_{};
};

} // namespace kavrin::ui
