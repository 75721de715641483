#include "common/message_list.h"

#include <algorithm>

namespace velkor {

namespace {
constexpr std::size_t kTabWidth = 8;
}

std::string ExpandTabs(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\t') {
      out.append(kTabWidth - out.size() % kTabWidth, ' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void MessageList::AddMessageLine(std::string_view text) {
  // Copies of the line and of the observers: an observer may add a line or
  // remove itself while it is being notified.
  std::string line = ExpandTabs(text);
  lines_.push_back(line);
  auto observers = observers_;
  for (auto& entry : observers)
    entry.second(line);
}

void MessageList::Clear() {
  lines_.clear();
}

MessageList::ObserverId MessageList::AddObserver(Observer observer) {
  ObserverId id = nextObserverId_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void MessageList::RemoveObserver(ObserverId id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

} // namespace velkor
