#include "subscribe/subscriptions_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "settings/store_space.h"
#include "subscribe/spoken_alert.h"
#include "subscribe/subscription_form.h"
#include "subscribe/subscription_set.h"

namespace tv {
namespace {

QString Route(const std::vector<std::string>& regions) {
  if (regions.empty()) return QStringLiteral("全国");
  QStringList out;
  for (const std::string& region : regions) out << FromGbk(region);
  return out.join(QStringLiteral("、"));
}

QTime TimeOf(int minute) { return QTime(minute / 60, minute % 60); }
int MinuteOf(const QTime& time) { return time.hour() * 60 + time.minute(); }

}  // namespace

SubscriptionsWindow::SubscriptionsWindow(SubscriptionSet& set, QWidget* parent)
    : QDialog(parent), set_(set) {
  setWindowTitle(QStringLiteral("我的订阅"));
  resize(560, 380);
  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  layout->addLayout(body, 1);
  list_ = new QListWidget(this);
  list_->setAccessibleName(QStringLiteral("订阅列表"));
  body->addWidget(list_, 1);
  auto* buttons = new QVBoxLayout;
  body->addLayout(buttons);
  const auto button = [this, buttons](const QString& caption, auto slot) {
    auto* b = new QPushButton(caption, this);
    connect(b, &QPushButton::clicked, this, slot);
    buttons->addWidget(b);
    return b;
  };
  button(QStringLiteral("新建"), [this] { NewSubscription(); });
  button(QStringLiteral("修改"), [this] { EditSubscription(); });
  pause_ = button(QStringLiteral("暂停"), [this] { TogglePaused(); });
  button(QStringLiteral("上移"), [this] { Move(-1); });
  button(QStringLiteral("下移"), [this] { Move(1); });
  button(QStringLiteral("删除"), [this] { RemoveSubscription(); });
  buttons->addStretch(1);
  button(QStringLiteral("关闭"), [this] { close(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { EditSubscription(); });
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    const auto s = set_.Kept().Find(CurrentId());
    pause_->setText(s && s->paused ? QStringLiteral("继续") : QStringLiteral("暂停"));
  });

  // Quiet hours: sound and speech keep quiet, the counts go on.
  auto* quiet = new QHBoxLayout;
  const QuietSetting setting = ReadQuietSetting(set_.Kept());
  quiet_on_ = new QCheckBox(QStringLiteral("免打扰时段"), this);
  quiet_on_->setChecked(setting.on);
  quiet_from_ = new QTimeEdit(TimeOf(setting.hours.start_minute), this);
  quiet_to_ = new QTimeEdit(TimeOf(setting.hours.end_minute), this);
  for (QTimeEdit* edit : {quiet_from_, quiet_to_}) edit->setDisplayFormat(QStringLiteral("HH:mm"));
  quiet_from_->setAccessibleName(QStringLiteral("免打扰开始"));
  quiet_to_->setAccessibleName(QStringLiteral("免打扰结束"));
  quiet->addWidget(quiet_on_);
  quiet->addWidget(quiet_from_);
  quiet->addWidget(new QLabel(QStringLiteral("至"), this));
  quiet->addWidget(quiet_to_);
  quiet->addWidget(new QLabel(QStringLiteral("（静音，不播报，照常计数）"), this));
  quiet->addStretch(1);
  layout->addLayout(quiet);
  connect(quiet_on_, &QCheckBox::toggled, this, &SubscriptionsWindow::SaveQuietHours);
  connect(quiet_from_, &QTimeEdit::timeChanged, this, &SubscriptionsWindow::SaveQuietHours);
  connect(quiet_to_, &QTimeEdit::timeChanged, this, &SubscriptionsWindow::SaveQuietHours);

  Refill();
}

void SubscriptionsWindow::Refill() {
  const int row = list_->currentRow();
  list_->clear();
  for (const Subscription& s : set_.Kept().List()) {
    const QString text =
        QStringLiteral("%1  [%2]  %3→%4  %5  未读 %6")
            .arg(FromGbk(s.name), s.paused ? QStringLiteral("已暂停") : QStringLiteral("运行中"),
                 Route(s.departures), Route(s.destinations), FromGbk(KindWord(s.kind)))
            .arg(set_.Kept().UnreadCount(s.id));
    auto* item = new QListWidgetItem(text, list_);
    item->setData(Qt::UserRole, QVariant::fromValue<qint64>(s.id));
  }
  if (list_->count() > 0) list_->setCurrentRow(std::clamp(row, 0, list_->count() - 1));
}

std::int64_t SubscriptionsWindow::CurrentId() const {
  const QListWidgetItem* item = list_->currentItem();
  return item != nullptr ? item->data(Qt::UserRole).toLongLong() : 0;
}

void SubscriptionsWindow::OpenFormFor(const Subscription* shown, bool modal) {
  const int count = static_cast<int>(set_.Kept().List().size());
  form_ = new SubscriptionForm(shown, shown != nullptr ? count - 1 : count, this);
  form_->setAttribute(Qt::WA_DeleteOnClose);
  const bool paused = shown != nullptr && shown->paused;
  connect(form_, &QDialog::accepted, this, [this, paused] {
    Subscription s = *form_->Result();
    s.paused = paused;
    const bool stored = s.id != 0 ? set_.Kept().Update(s) : set_.Kept().Add(s);
    // A full disk has been told once already.
    if (!stored && !StoreDiskFull()) ShowNotice(TV_TEXT("订阅没能保存，请检查磁盘是否可写"));
    set_.Start();
    Refill();
    emit subscriptionsChanged();
  });
  connect(form_, &QObject::destroyed, this, [this] { form_ = nullptr; });
  if (modal) {
    form_->exec();
  } else {
    form_->show();
  }
}

void SubscriptionsWindow::NewSubscription(bool modal) {
  if (set_.Kept().List().size() >= static_cast<std::size_t>(kMaxSubscriptions)) {
    ShowNotice(TV_TEXT("最多只能订阅 10 条路线，请先删除不再需要的订阅"));
    return;
  }
  OpenFormFor(nullptr, modal);
}

void SubscriptionsWindow::EditSubscription(bool modal) {
  const auto shown = set_.Kept().Find(CurrentId());
  if (!shown) return;
  OpenFormFor(&*shown, modal);
}

void SubscriptionsWindow::TogglePaused() {
  const auto s = set_.Kept().Find(CurrentId());
  if (!s) return;
  set_.SetPaused(s->id, !s->paused);
  Refill();
  emit subscriptionsChanged();
}

void SubscriptionsWindow::Move(int by) {
  const std::int64_t id = CurrentId();
  if (id == 0) return;
  const int to = list_->currentRow() + by;
  if (to < 0 || to >= list_->count()) return;
  set_.Kept().Move(id, to);
  set_.Start();
  Refill();
  list_->setCurrentRow(to);
  emit subscriptionsChanged();
}

void SubscriptionsWindow::RemoveSubscription() {
  const auto s = set_.Kept().Find(CurrentId());
  if (!s) return;
  if (!AskYesNo(TV_TEXT("删除订阅“") + s->name + TV_TEXT("”及其保存的信息？"))) return;
  set_.Kept().Remove(s->id);
  set_.Start();
  Refill();
  emit subscriptionsChanged();
}

void SubscriptionsWindow::SaveQuietHours() {
  QuietSetting setting;
  setting.on = quiet_on_->isChecked();
  setting.hours = {MinuteOf(quiet_from_->time()), MinuteOf(quiet_to_->time())};
  WriteQuietSetting(set_.Kept(), setting);
}

}  // namespace tv
