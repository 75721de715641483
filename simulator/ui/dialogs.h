#pragma once
// Every message box and question of Kavrin's windows goes through Dialogs,
// so tests answer them; WindowDialogs shows the real ones.
//
//   if (auto address = AskAddress(dialogs, session.symbols)) dump.GoTo(*address);

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "simulator/session/settings.h"
#include "simulator/session/symbols.h"

namespace kavrin::ui {

class Dialogs {
public:
  virtual ~Dialogs() = default;
  virtual void ShowMessage(const QString& text) = 0;
  // "Enter Address or Symbol": the text after OK, nothing after Cancel.
  virtual std::optional<QString> AskAddressText(const QString& initial) = 0;
  // "Port base address": the text after OK.
  virtual std::optional<QString> AskPortText(const QString& initial) = 0;
  virtual std::optional<QString> AskFile(const QString& title) = 0;
  // "Board": the settings after OK.
  virtual std::optional<BoardSettings> AskBoard(const BoardSettings& current) = 0;
};

// The entry dialog's text resolved as hex or a symbol; "Cannot resolve ..."
// is shown when it is neither.
std::optional<std::uint32_t> AskAddress(Dialogs& dialogs, const SymbolTable& symbols,
                                        const QString& initial = QStringLiteral("00000"));
// A port number from the port dialog; a refused text changes nothing, silently.
std::optional<std::uint8_t> AskPort(Dialogs& dialogs, std::uint8_t current);

class WindowDialogs final : public Dialogs {
public:
  explicit WindowDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  std::optional<QString> AskAddressText(const QString& initial) override;
  std::optional<QString> AskPortText(const QString& initial) override;
  std::optional<QString> AskFile(const QString& title) override;
  std::optional<BoardSettings> AskBoard(const BoardSettings& current) override;

private:
  QWidget* parent_;
};

} // namespace kavrin::ui
