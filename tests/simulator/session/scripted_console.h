#pragma once
// A CP/M console whose keys come from a script and whose output is kept.

#include <optional>
#include <string>

#include "simulator/session/cpm_system.h"

namespace kavrin::testing {

class ScriptedConsole : public CpmConsole {
public:
  explicit ScriptedConsole(std::string keys) : keys_(std::move(keys)) {}
  bool KeyWaiting() override { return next_ < keys_.size(); }
  std::optional<std::uint8_t> ReadKey() override {
    if (next_ >= keys_.size()) return std::nullopt;
    return static_cast<std::uint8_t>(keys_[next_++]);
  }
  bool InputEnded() override { return next_ >= keys_.size(); }
  void Write(std::uint8_t c) override { output += static_cast<char>(c); }
  std::string output;

private:
  std::string keys_;
  std::size_t next_ = 0;
};

} // namespace kavrin::testing
