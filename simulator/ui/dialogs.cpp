#include "simulator/ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "platform/text.h"
#include "simulator/session/address.h"
#include "simulator/ui/board_dialog.h"
#include "simulator/ui/enter_address_dialog.h"

namespace kavrin::ui {

std::optional<std::uint32_t> AskAddress(Dialogs& dialogs, const SymbolTable& symbols,
                                        const QString& initial) {
  const auto text = dialogs.AskAddressText(initial);
  if (!text) return std::nullopt;
  const ResolvedAddress r = ResolveAddress(text->toStdString(), symbols);
  if (!r.ok) {
    dialogs.ShowMessage(QString::fromStdString(r.message));
    return std::nullopt;
  }
  return r.value;
}

std::optional<std::uint8_t> AskPort(Dialogs& dialogs, std::uint8_t current) {
  const auto text = dialogs.AskPortText(QString::fromStdString(platform::Hex(current, 2)));
  if (!text) return std::nullopt;
  return ParsePortAddress(text->toStdString());
}

void WindowDialogs::ShowMessage(const QString& text) {
  QMessageBox::information(parent_, QStringLiteral("Kavrin"), text);
}

std::optional<QString> WindowDialogs::AskAddressText(const QString& initial) {
  EnterAddressDialog dialog(EnterAddressDialog::Kind::Address, parent_);
  dialog.SetText(initial);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

std::optional<QString> WindowDialogs::AskPortText(const QString& initial) {
  EnterAddressDialog dialog(EnterAddressDialog::Kind::Port, parent_);
  dialog.SetText(initial);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

std::optional<QString> WindowDialogs::AskFile(const QString& title) {
  const QString file = QFileDialog::getOpenFileName(parent_, title);
  if (file.isEmpty()) return std::nullopt;
  return file;
}

std::optional<BoardSettings> WindowDialogs::AskBoard(const BoardSettings& current) {
  BoardDialog dialog(current, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Settings();
}

} // namespace kavrin::ui
