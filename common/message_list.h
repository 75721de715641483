#pragma once
// The message list every tool of the toolchain writes its progress and error
// lines into. One MessageList belongs to one run (a build, one CLI command);
// the compiler, assembler and linker receive it by reference.
//
//   velkor::MessageList messages;
//   messages.AddObserver([](const std::string& line) { std::puts(line.c_str()); });
//   messages.AddMessageLine("Assembling\tA.Mac");   // tab expands to column 16
//
// Observers see each line as it is added (the CLI prints it, the IDE's message
// window appends it); Lines() keeps them all for tests and later display.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

// Replaces each tab by blanks up to the next multiple of 8 columns.
std::string ExpandTabs(std::string_view text);

class MessageList {
public:
  using Observer = std::function<void(const std::string& line)>;
  using ObserverId = std::size_t;

  void AddMessageLine(std::string_view text);
  void Clear();

  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }

  // Observers are called in the order they were added.
  ObserverId AddObserver(Observer observer);
  void RemoveObserver(ObserverId id);

private:
  std::vector<std::string> lines_;
  std::vector<std::pair<ObserverId, Observer>> observers_;
  ObserverId nextObserverId_ = 1;
};

} // namespace velkor
