#include "platform/ui_host.h"

#include <ostream>

namespace platform {

Answer HeadlessUiHost::MessageBox(std::string_view text, std::string_view caption,
                                  AnswerSet buttons) {
  messageBoxTexts_.emplace_back(text);
  if (messageStream_) *messageStream_ << caption << ": " << text << '\n';
  while (!answers_.empty()) {
    Answer scripted = answers_.front();
    answers_.pop_front();
    if (buttons & Bit(scripted)) return scripted;
  }
  for (Answer safe : {Answer::kNo, Answer::kCancel, Answer::kOk}) {
    if (buttons & Bit(safe)) return safe;
  }
  // No button offered at all: treat as dismissed.
  return Answer::kCancel;
}

std::optional<std::string> HeadlessUiHost::AskForFile(const FileRequest&) {
  if (files_.empty()) return std::nullopt;
  auto file = std::move(files_.front());
  files_.pop_front();
  return file;
}

void HeadlessUiHost::ShowEditorPosition(const std::string& file, int line, int column) {
  lastEditorPosition_ = EditorPosition{file, line, column};
}

} // namespace platform
