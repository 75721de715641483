#pragma once
// What the toolchain and the simulator need from the window system, so that
// their cores run the same with windows, on the command line and in tests.
// The windows implement UiHost with Qt; HeadlessUiHost serves the
// command-line tools and tests.
//
//   void Compile(..., platform::UiHost& ui) {
//     if (lines % 10 == 0) ui.ProcessPendingMessages();
//     ui.ShowEditorPosition(file, line, column);
//     if (ui.MessageBox("Save current project ?", "Velkor", platform::kYesNoCancel)
//         == platform::Answer::kCancel) return;
//   }

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Answer { kOk, kYes, kNo, kCancel, kAll };

// The buttons a message box offers, as a set of Answer bits.
using AnswerSet = std::uint8_t;
constexpr AnswerSet Bit(Answer a) {
  return static_cast<AnswerSet>(1u << static_cast<unsigned>(a));
}
constexpr AnswerSet kOkOnly = Bit(Answer::kOk);
constexpr AnswerSet kYesNo = Bit(Answer::kYes) | Bit(Answer::kNo);
constexpr AnswerSet kYesNoCancel = kYesNo | Bit(Answer::kCancel);
constexpr AnswerSet kYesNoCancelAll = kYesNoCancel | Bit(Answer::kAll);

struct FileRequest {
  std::string title;
  std::string filter; // "Project files (*.Prj)|*.Prj"
  bool forSaving = false;
};

class UiHost {
public:
  virtual ~UiHost() = default;

  // Lets the window system repaint and handle clicks inside long work.
  virtual void ProcessPendingMessages() = 0;
  // A modal box; the answer is one of `buttons`.
  virtual Answer MessageBox(std::string_view text, std::string_view caption, AnswerSet buttons) = 0;
  // The chosen file, or nothing when the user cancels.
  virtual std::optional<std::string> AskForFile(const FileRequest& request) = 0;
  // Opens the file in the editor when no page holds it and puts the caret at
  // the 0-based line and column.
  virtual void ShowEditorPosition(const std::string& file, int line, int column) = 0;
  // Saves the file's editor page when it is open with unsaved changes.
  virtual void SaveFileIfModified(const std::string& file) = 0;
  // The compiler's progress at each of its pump points: the file it reads and
  // the source lines read so far.
  virtual void ShowCompileProgress(std::string_view /*file*/, std::uint32_t /*lines*/) {}
  // Asked right after each pump: true makes the compiler stop with error 111.
  virtual bool CancelRequested() { return false; }
};

// No windows: message boxes are written as one line to a stream (when one is
// given) and answered from a queue of scripted answers, else with the first
// of No, Cancel, Ok that is offered, so nothing is overwritten or lost
// unasked. Calls are recorded for tests.
class HeadlessUiHost : public UiHost {
public:
  explicit HeadlessUiHost(std::ostream* messageStream = nullptr) : messageStream_(messageStream) {}

  void ProcessPendingMessages() override { ++pumpCount_; }
  Answer MessageBox(std::string_view text, std::string_view caption, AnswerSet buttons) override;
  std::optional<std::string> AskForFile(const FileRequest& request) override;
  void ShowEditorPosition(const std::string& file, int line, int column) override;
  void SaveFileIfModified(const std::string&) override {}

  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  void QueueFile(std::optional<std::string> file) { files_.push_back(std::move(file)); }

  struct EditorPosition {
    std::string file;
    int line;
    int column;
  };
  int PumpCount() const { return pumpCount_; }
  const std::vector<std::string>& MessageBoxTexts() const { return messageBoxTexts_; }
  const std::optional<EditorPosition>& LastEditorPosition() const { return lastEditorPosition_; }

private:
  std::ostream* messageStream_;
  int pumpCount_ = 0;
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::vector<std::string> messageBoxTexts_;
  std::optional<EditorPosition> lastEditorPosition_;
};

} // namespace platform
