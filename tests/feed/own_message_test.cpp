// The member's own message, just published, goes into the main list only when
// it concerns the list as it is: by city, by content when arriving, by type.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "feed/own_message_view.h"

namespace tv {
namespace {

TEST(OwnMessageView, ConcernsTheViewByCityContentDirectionAndType) {
  struct Case {
    const char* watched;
    int direction, view_type;
    const char* member_city;
    const char* departure;
    const char* content;
    const char* type_code;
    bool concerns;
  } cases[] = {
      {"济宁", 0, 8, "济宁", "济宁", "有货", "0", true},
      {"泰安,济宁", 0, 8, "北京", "济宁", "有货", "0", true},  // departure city
      {"北京", 0, 8, "济宁", "济宁", "济宁→北京,有货", "0", false},
      {"上海,北京", 1, 8, "济宁", "济宁", "济宁→北京,有货", "0", true},  // arriving: content
      {"上海,北京", 1, 8, "济宁", "济宁", "济宁→天津,有货", "0", false},
      {"全国信息", 8, 8, "济宁", "济宁", "有货", "1", true},
      {"济宁", 0, 1, "济宁", "济宁", "有货", "0", false},  // a truck view takes no cargo
      {"济宁", 0, 0, "济宁", "济宁", "有货", "0", true},
      {"全国信息", 8, 0, "济宁", "济宁", "有车", "1", false},
      // 济宁 is BC C3 C4 FE: the middle bytes C3 C4 (媚) are no name in it.
      {"济宁", 0, 8, "媚", "媚", "有货", "0", false},
      // An empty departure city names nothing; nor does an empty watched piece.
      {"济宁", 0, 8, "北京", "", "有货", "0", false},
      {"北京,", 1, 8, "济宁", "济宁", "有货", "0", false},
      // A friend's list shows that member's messages only.
      {"济宁", 2, 8, "济宁", "济宁", "有货", "0", false},
  };
  for (const Case& c : cases) {
    FeedView view;
    view.direction = c.direction;
    view.view_type = c.view_type;
    OwnMessage message;
    message.record.City = Utf8ToGbk(c.member_city);
    message.record.Type = c.type_code;
    message.record.Content = Utf8ToGbk("(the service's text)");
    message.departure_city = Utf8ToGbk(c.departure);
    message.content = Utf8ToGbk(c.content);
    EXPECT_EQ(OwnMessageConcernsView(view, Utf8ToGbk(c.watched), message), c.concerns)
        << c.watched << " " << c.direction << " " << c.content;
  }
}

}  // namespace
}  // namespace tv
