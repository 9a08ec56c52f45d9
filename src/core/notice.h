#pragma once
// The one way the program tells the member something or asks a yes/no question.
// The client installs a message-box sink; tests install a NoticeRecorder so that
// nothing ever blocks on a modal box. Texts are GBK. Call from the UI thread.
#include <string>
#include <vector>

namespace tv {

class NoticeSink {
 public:
  virtual ~NoticeSink() = default;
  // The modal "提示" box with one "确定" button.
  virtual void Notice(const std::string& gbk_text) = 0;
  // A yes/no question; true for yes.
  virtual bool Ask(const std::string& gbk_text) = 0;
  // A question whose "是" loses the member's data: "否" is what Enter and
  // Escape answer. A sink without default buttons asks as Ask does.
  virtual bool AskDefaultNo(const std::string& gbk_text) { return Ask(gbk_text); }
};

// Installs `sink` (not owned); nullptr restores the default, which prints the
// text (as UTF-8) to standard error and answers "no".
void SetNoticeSink(NoticeSink* sink);
NoticeSink* CurrentNoticeSink();

void ShowNotice(const std::string& gbk_text);
bool AskYesNo(const std::string& gbk_text);
// Before an answer that erases what cannot be had back: "否" is the default.
bool AskYesNoDefaultNo(const std::string& gbk_text);

// Records every notice and question; answers questions with `answer`.
class NoticeRecorder : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override { notices.push_back(gbk_text); }
  bool Ask(const std::string& gbk_text) override {
    questions.push_back(gbk_text);
    return answer;
  }
  bool AskDefaultNo(const std::string& gbk_text) override {
    default_no_questions.push_back(gbk_text);
    return Ask(gbk_text);
  }
  std::vector<std::string> notices;
  std::vector<std::string> questions;             // every question, in order
  std::vector<std::string> default_no_questions;  // those asked with "否" as the default
  bool answer = true;
};

// Installs a recorder for the lifetime of the scope (tests).
class ScopedNoticeRecorder : public NoticeRecorder {
 public:
  ScopedNoticeRecorder() : previous_(CurrentNoticeSink()) { SetNoticeSink(this); }
  ~ScopedNoticeRecorder() override { SetNoticeSink(previous_); }
  ScopedNoticeRecorder(const ScopedNoticeRecorder&) = delete;
  ScopedNoticeRecorder& operator=(const ScopedNoticeRecorder&) = delete;

 private:
  NoticeSink* previous_;
};

}  // namespace tv
