#include "core/notice.h"

#include <atomic>
#include <cstdio>

#include "core/gbk.h"

namespace tv {
namespace {

class StderrSink : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override {
    std::fprintf(stderr, "%s\n", GbkToUtf8(gbk_text).c_str());
  }
  bool Ask(const std::string& gbk_text) override {
    Notice(gbk_text);
    return false;
  }
};

StderrSink g_default_sink;
std::atomic<NoticeSink*> g_sink{nullptr};

}  // namespace

void SetNoticeSink(NoticeSink* sink) { g_sink.store(sink); }

NoticeSink* CurrentNoticeSink() {
  NoticeSink* sink = g_sink.load();
  return sink ? sink : &g_default_sink;
}

void ShowNotice(const std::string& gbk_text) { CurrentNoticeSink()->Notice(gbk_text); }
bool AskYesNo(const std::string& gbk_text) { return CurrentNoticeSink()->Ask(gbk_text); }
bool AskYesNoDefaultNo(const std::string& gbk_text) {
  return CurrentNoticeSink()->AskDefaultNo(gbk_text);
}

}  // namespace tv
