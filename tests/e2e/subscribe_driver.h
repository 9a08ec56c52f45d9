#pragma once
// "我的订阅" and the subscription tabs driven by the test client's commands
// ("subs-..." lines), with their progress as "TARVOLO subs-..." lines.
#include <QString>
#include <functional>

namespace tv {

class SubscriptionAttachment;

using SubscriptionCommandRunner = std::function<bool(const QString& command, const QString& arg)>;

// Reports each subscription's start, alerts and unread total from now on,
// and gives the runner of its commands:
//   subs-add FROM TO KIND   "新建" in "我的订阅", the form filled (KIND 0
//                           货源, 1 车源, 2 全部) and confirmed
//   subs-dump               "subs-tab INDEX TEXT" per tab, "subs-rows ID
//                           N TOP-CONTENT" per list, "subs-tray ..."
//   subs-tab INDEX          shows that tab
SubscriptionCommandRunner InstallSubscriptionDriver(SubscriptionAttachment& subscriptions);

}  // namespace tv
