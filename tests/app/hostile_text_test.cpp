// Texts from the service and from other members shown by the real client:
// the notice and question boxes, the friends list and its questions, the
// caption and status line of the main window, and the detail window opened
// from it. Each is filled with markup and must show it as text.
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidgetItem>
#include <memory>

#include "app/message_box_notice.h"
#include "app_fixture.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "feed/region_tree.h"
#include "guest_window.h"
#include "local_service.h"
#include "tests/support/shown_text.h"
#include "window_app.h"

namespace tv {
namespace {

using test::CountShownAsText;
using test::HostileText;

// Builds the client's own box for every notice and question (never shown, so
// nothing waits on it) and counts those that show the hostile text as text.
class BoxCheckingNotices : public NoticeSink {
 public:
  BoxCheckingNotices() : previous_(CurrentNoticeSink()) { SetNoticeSink(this); }
  ~BoxCheckingNotices() override { SetNoticeSink(previous_); }

  void Notice(const std::string& gbk_text) override { Check(gbk_text, false); }
  bool Ask(const std::string& gbk_text) override {
    Check(gbk_text, true);
    return false;
  }

  std::vector<QString> texts;
  int shown_as_text = 0;

 private:
  void Check(const std::string& gbk_text, bool question) {
    texts.push_back(FromGbk(gbk_text));
    std::unique_ptr<QMessageBox> box = NewNoticeBox(gbk_text, question, nullptr);
    shown_as_text += CountShownAsText(box.get(), HostileText());
  }

  NoticeSink* previous_;
};

class HostileTextTest : public ::testing::Test {
 protected:
  HostileTextTest() { MainWindowTestApp("app_window_tests"); }
  TempSettings settings_;
};

TEST_F(HostileTextTest, NoticeAndQuestionBoxesShowTheirTextAsText) {
  for (bool question : {false, true}) {
    SCOPED_TRACE(question);
    const QString text = QStringLiteral("“") + HostileText() + QStringLiteral("”\n\n");
    std::unique_ptr<QMessageBox> box = NewNoticeBox(ToGbk(text), question, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
    EXPECT_EQ(box->buttons().size(), question ? 2 : 1);
    EXPECT_EQ(CountShownAsText(box.get(), HostileText()), 1);
  }
}

// A friend whose name is markup, the caption that names the friend, a status
// line, the question that removes the friend and a record opened from the
// list: everything the member sees of them is text.
TEST_F(HostileTextTest, TheClientShowsFriendsCaptionsAndRecordsAsText) {
  LocalService service({"--demo", "--demo-count", "5"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  DetailAttachment* detail = &AttachDetail(w);
  FeedAttachment* feed = &AttachFeed(w, *detail);
  ASSERT_NE(guest.ShowLoginForm(), nullptr);
  ASSERT_TRUE(guest.EnterAsGuest());
  BoxCheckingNotices notices;

  const QString hostile = HostileText();
  const std::string gbk = ToGbk(hostile);
  detail->Friends().Append(FriendRow{"77", gbk, "", "", "3003"});
  feed->Tree()->AddFriendItem(hostile);
  QTreeWidgetItem* friends = feed->Tree()->FriendsRoot();
  ASSERT_EQ(friends->childCount(), 1);
  EXPECT_EQ(friends->child(0)->text(0), hostile);

  // The friend's messages: the caption names the friend.
  feed->Feed().ShowFriendMessages(gbk);
  ASSERT_TRUE(WaitFor([&] { return w.CaptionLabel()->text().contains(hostile); }, 15000));
  w.ShowStatus(hostile);
  EXPECT_EQ(CountShownAsText(&w, hostile), 2);  // the caption and the status line

  // "删除好友": the question names the friend (answered "no").
  detail->Loader().RemoveFriend(gbk);
  ASSERT_EQ(notices.texts.size(), 1u);
  EXPECT_TRUE(notices.texts[0].startsWith(QStringLiteral("确定要删除好友＂") + hostile));
  EXPECT_EQ(notices.shown_as_text, 1);

  // A record of the list whose every field is markup.
  int detail_shown = -1;
  QObject::connect(&detail->View(), &DetailView::windowOpened, [&](DetailWindow* window) {
    detail_shown = CountShownAsText(window, hostile);
    QTimer::singleShot(0, window, &QDialog::reject);
  });
  detail->View().OnRowDoubleClick(8, [&](int) { return gbk; });
  EXPECT_EQ(detail_shown, 3);  // city, time, content; a guest's telephone is hidden
}

}  // namespace
}  // namespace tv
