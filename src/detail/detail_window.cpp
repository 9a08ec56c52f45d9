#include "detail/detail_window.h"

#include <QColor>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "detail/detail_state.h"

namespace tv {
namespace {

QString ColourName(Colour colour) {
  return QColor(ColourRed(colour), ColourGreen(colour), ColourBlue(colour)).name();
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

QTextEdit* ReadOnlyBox(QWidget* parent, const QString& text, Colour colour, double point_size,
                       bool bold) {
  auto* box = new QTextEdit(parent);
  box->setReadOnly(true);
  box->setAcceptRichText(false);
  box->setContextMenuPolicy(Qt::NoContextMenu);
  QFont font = box->font();
  font.setPointSizeF(point_size);
  font.setBold(bold);
  box->setFont(font);
  box->setStyleSheet(QStringLiteral("QTextEdit { color: %1; }").arg(ColourName(colour)));
  box->setPlainText(text);
  return box;
}

// Every text of this window but the source link is shown as it is: the
// message's fields come from another member, and a "<" in them is text, not
// markup that could draw an official-looking notice or load a picture.
QLabel* TextLabel(QWidget* parent, const QString& text) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  return label;
}

// A caption and the field it names: screen readers read them together, and a
// field without a name of its own takes the caption's (without the colon).
QLabel* Caption(QWidget* parent, const char* utf8, QWidget* field) {
  auto* caption = TextLabel(parent, Utf8(utf8));
  caption->setBuddy(field);
  QString name = caption->text();
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  if (field->accessibleName().isEmpty() && !qobject_cast<QLabel*>(field)) {
    field->setAccessibleName(name);
  }
  if (qobject_cast<QLabel*>(field)) field->setAccessibleDescription(name);
  return caption;
}

// "共 3 次：12-11 9:07、12-11 9:04、12-11 9:01", the newest first; a long
// run of copies shows its newest ten.
QString CopiesText(const std::vector<std::string>& times) {
  constexpr std::size_t kShown = 10;
  QStringList shown;
  for (std::size_t i = 0; i < times.size() && i < kShown; ++i) shown << FromGbk(times[i]);
  QString text = Utf8("共 %1 次：").arg(times.size()) + shown.join(Utf8("、"));
  if (times.size() > kShown) text += Utf8("……");
  return text;
}

QLabel* ColouredLabel(QWidget* parent, const QString& text, Colour colour) {
  auto* label = TextLabel(parent, text);
  label->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(ColourName(colour)));
  return label;
}

}  // namespace

DetailWindow::DetailWindow(const CurrentMessage& message, const DetailViewer& viewer,
                           DetailActions actions, QWidget* parent)
    : QDialog(parent),
      state_(new DetailState(message, viewer, this)),
      actions_(std::move(actions)) {
  setWindowTitle(Utf8("查看信息"));
  setModal(true);
  // About 370 x 215 dialog units of the usual dialog font.
  resize(560, 360);

  // The content is drawn 250 twips high: 12.5 points.
  content_ = ReadOnlyBox(this, FromGbk(DetailContentText(message)), kDetailBlue, 12.5, false);
  contact_ = ReadOnlyBox(this, FromGbk(state_->contactText()), kDetailDarkRed, 10.5, true);
  contact_->setFixedHeight(48);

  source_ = ColouredLabel(this, {}, kDetailBlue);
  const QString source_text = FromGbk(SourceText(message)).toHtmlEscaped();
  if (SourceLinkActs(message)) {
    source_->setText(QStringLiteral("<a href=\"#source\" style=\"color:%1\">%2</a>")
                         .arg(ColourName(kDetailBlue), source_text));
    source_->setCursor(Qt::PointingHandCursor);
  } else {
    source_->setText(source_text);
  }
  source_->setTextFormat(Qt::RichText);
  // A link is reached by Tab too; Space follows it (Enter closes the window).
  source_->setTextInteractionFlags(SourceLinkActs(message)
                                       ? Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard
                                       : Qt::LinksAccessibleByMouse);
  connect(source_, &QLabel::linkActivated, this, [this](const QString&) { ActivateSource(); });

  StatusLine status = DealStatus(message);
  status_ = ColouredLabel(this, FromGbk(status.text), status.colour);

  countdown_text_ = ColouredLabel(this, {}, kDetailRed);
  counter_ = ColouredLabel(this, {}, kDetailRed);
  countdown_text_->hide();
  counter_->hide();

  // A message the list folded: when every copy it holds came.
  if (message.CopyTimes.size() > 1) {
    copies_ = TextLabel(this, CopiesText(message.CopyTimes));
    copies_->setWordWrap(true);
  }

  auto* add_friend = new QPushButton(Utf8("加入好友"), this);
  auto* close = new QPushButton(Utf8("关闭"), this);
  add_friend->setAutoDefault(false);
  close->setAutoDefault(false);
  connect(add_friend, &QPushButton::clicked, this, [this] {
    if (actions_.add_friend) actions_.add_friend();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  if (actions_.block_member) {
    block_ = new QPushButton(Utf8("屏蔽此会员"), this);
    block_->setAutoDefault(false);
    // The rows go from every list; the window has nothing left to show.
    connect(block_, &QPushButton::clicked, this, [this] {
      actions_.block_member();
      reject();
    });
  }

  auto* facts = new QGridLayout;
  const std::pair<const char*, QLabel*> fact_rows[] = {
      {"发布城市:", TextLabel(this, FromGbk(message.City))},
      {"发布时间:", TextLabel(this, FromGbk(message.Time))},
      {"信息来源:", source_},
      {"信息状态:", status_},
  };
  for (int i = 0; i < 4; ++i) {
    QLabel* caption = Caption(this, fact_rows[i].first, fact_rows[i].second);
    facts->addWidget(caption, i / 2, (i % 2) * 2);
    facts->addWidget(fact_rows[i].second, i / 2, (i % 2) * 2 + 1);
  }
  if (copies_ != nullptr) {
    facts->addWidget(Caption(this, "出现时间:", copies_), 2, 0);
    facts->addWidget(copies_, 2, 1, 1, 3);
  }
  facts->setColumnStretch(1, 1);
  facts->setColumnStretch(3, 1);

  auto* countdown = new QHBoxLayout;
  countdown->addWidget(countdown_text_);
  countdown->addWidget(counter_);
  countdown->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  if (block_ != nullptr) buttons->addWidget(block_);
  buttons->addWidget(add_friend);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Caption(this, "信息内容", content_));
  layout->addWidget(content_, 1);
  layout->addWidget(Caption(this, "联系方式", contact_));
  layout->addWidget(contact_);
  layout->addLayout(facts);
  layout->addLayout(countdown);
  layout->addLayout(buttons);

  // Keys reach the text boxes first; the window sees them all.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  installEventFilter(this);

  connect(state_, &DetailState::secondsLeftChanged, this, &DetailWindow::ShowCounter);
  connect(state_, &DetailState::contactRevealed, this, &DetailWindow::ShowContact);
  if (state_->Start()) {
    countdown_text_->setText(FromGbk(state_->countdownText()));
    countdown_text_->show();
    counter_->show();
    ShowCounter(state_->secondsLeft());
  }
}

QString DetailWindow::contactShown() const { return contact_->toPlainText(); }
QString DetailWindow::countdownShown() const { return countdown_text_->text(); }
QString DetailWindow::counterShown() const { return counter_->text(); }
bool DetailWindow::countdownShowing() const { return !countdown_text_->isHidden(); }
QString DetailWindow::statusShown() const { return status_->text(); }
QString DetailWindow::sourceShown() const { return FromGbk(SourceText(state_->message())); }
QString DetailWindow::contentShown() const { return content_->toPlainText(); }
QString DetailWindow::copiesShown() const { return copies_ ? copies_->text() : QString(); }

void DetailWindow::ActivateSource() {
  SourceClick click = DecideSourceClick(state_->message(), state_->viewer());
  if (click.kind == SourceClick::Kind::kNotice) ShowNotice(click.text);
  if (click.kind == SourceClick::Kind::kOpenProfile && actions_.open_profile) {
    actions_.open_profile(click.text);
  }
}

void DetailWindow::done(int result) {
  state_->Stop();
  QDialog::done(result);
}

bool DetailWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Nothing of the message may be copied with the keyboard.
    if (key->matches(QKeySequence::Copy)) {
      key->accept();
      return true;
    }
    if (event->type() == QEvent::KeyPress &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
      accept();
      return true;
    }
    if (event->type() == QEvent::KeyPress && watched == source_ && key->key() == Qt::Key_Space &&
        key->modifiers() == Qt::NoModifier && SourceLinkActs(state_->message())) {
      ActivateSource();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void DetailWindow::ShowContact() {
  countdown_text_->hide();
  counter_->hide();
  contact_->setPlainText(FromGbk(state_->contactText()));
}

void DetailWindow::ShowCounter(qint64 seconds_left) {
  counter_->setText(QString::number(seconds_left));
}

}  // namespace tv
