#include "compiler/compilation.h"

namespace velkor {

void Compilation::Reset() {
  // Everything but the settings, the window system and EncodeOutput starts anew.
  MessageList& messages = Messages;
  platform::UiHost& ui = Ui;
  CompileSettings settings = std::move(Settings);
  const bool encodeOutput = EncodeOutput;
  this->~Compilation();
  new (this) Compilation(messages, ui, std::move(settings));
  EncodeOutput = encodeOutput;
}

} // namespace velkor
