#pragma once
// While it lives, a terminal on fd hands over every key as it is typed: no
// line buffering, no local echo. The saved mode comes back when it dies, at
// exit, and on Ctrl+C or a termination signal (which then ends the process
// as that signal would). Does nothing when fd is not a terminal.
//
//   RawTerminal raw(STDIN_FILENO);
//   ... run the program ...

namespace kavrin::cli {

class RawTerminal {
public:
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  bool Active() const { return active_; }

private:
  bool active_ = false;
};

} // namespace kavrin::cli
