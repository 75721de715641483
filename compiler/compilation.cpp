#include "compiler/compilation.h"

namespace velkor {

void Compilation::Reset() {
  // Everything but the settings, the host hooks and EncodeOutput starts anew.
  MessageList& messages = Messages;
  CompileSettings settings = std::move(Settings);
  CompileHost host = std::move(Host);
  const bool encodeOutput = EncodeOutput;
  this->~Compilation();
  new (this) Compilation(messages, std::move(settings), std::move(host));
  EncodeOutput = encodeOutput;
}

} // namespace velkor
