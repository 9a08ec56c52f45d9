#include "shell/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>

#include "core/build_constants.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "core/version.h"
#include "net/transport.h"
#include "platform/platform.h"
#include "settings/values.h"
#include "shell/service_page.h"
#include "shell/shell_decisions.h"
#include "shell/web_page_window.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

struct ViewChoice {
  const char* menu_text;
  const char* popup_text;
  int view_type;
  int view_direction;
};
constexpr ViewChoice kViews[6] = {
    {"全部出发信息", "全部出发信息", 8, 0}, {">>出发货源", ">> 出发货源", 0, 0},
    {">>出发车源", ">> 出发车源", 1, 0},    {"全部到达信息", "全部到达信息", 8, 1},
    {"<<到达货源", "<< 到达货源", 0, 1},    {"<<到达车源", "<< 到达车源", 1, 1},
};

constexpr int kButtonRowHeight = 25;
constexpr int kStatusHeight = 20;
constexpr int kAdvertHeight = 72;
// Room on either side of a button's caption when the row is short of width.
constexpr int kButtonPadding = 8;
constexpr int kAdvertFallbackMs = 2000;
constexpr int kAdvertRetryMs = 30000;

}  // namespace

MainWindow::MainWindow(ShellEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      session_(new ShellSession(std::move(environment), this)),
      events_(new ShellEvents(this)) {
  setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));
  setWindowTitle(QStringLiteral("Tarvolo"));
  BuildControls();
  BuildMenus();

  tree_left_ = TreeCitySide() == TreeSide::kLeft;
  LayOutTree();
  if (MaskLocked(ContactAlwaysMasked(), false, {})) LockMask();
  // The tree goes to the stored side when it is chosen (and after saved
  // display settings, which may come from elsewhere).
  const auto follow_side = [this] {
    tree_left_ = TreeCitySide() == TreeSide::kLeft;
    LayOutTree();
  };
  connect(events_, &ShellEvents::displaySettingsChanged, this, follow_side);
  connect(events_, &ShellEvents::treeSideChanged, this, follow_side);
}

MainWindow::~MainWindow() = default;

WebPageWindow* MainWindow::WebPage() const { return web_page_.data(); }

QPushButton* MainWindow::Button(MainButton id) const {
  int index = static_cast<int>(id) - kButtonView;
  return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[index] : nullptr;
}

QAction* MainWindow::CommandAction(MainCommand command) const {
  return command_actions_[static_cast<std::size_t>(command)];
}

QAction* MainWindow::ClaimCommand(MainCommand command, CommandRule rule) {
  claims_.push_back(Claim{command, std::move(rule)});
  RefreshCommands();
  return CommandAction(command);
}

void MainWindow::RefreshCommands() {
  for (const Claim& claim : claims_) {
    const bool usable = IsLoggedIn() && (!claim.rule || claim.rule(*session_));
    CommandAction(claim.command)->setEnabled(usable);
  }
}

void MainWindow::ShowStatus(const QString& text) { status_label_->setText(text); }

void MainWindow::BuildControls() {
  central_ = new QWidget(this);
  setCentralWidget(central_);

  // The row of buttons.
  auto* button_row = new QWidget(central_);
  button_row->setFixedHeight(kButtonRowHeight + 4);
  auto* row = new QHBoxLayout(button_row);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  auto add_button = [&](MainButton id, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, button_row);
    b->setFixedHeight(kButtonRowHeight);
    b->setToolTip(tip);
    // A click leaves the focus where it was (in the grid); Tab still reaches
    // the buttons for keyboard users.
    b->setFocusPolicy(Qt::TabFocus);
    if (caption.isEmpty()) b->setAccessibleName(tip);
    b->setObjectName(QStringLiteral("button%1").arg(static_cast<int>(id)));
    // A button may narrow to its caption: the style's wide default would keep
    // the whole row (and so the window) wider than a small screen.
    if (!caption.isEmpty()) {
      b->setMinimumWidth(b->fontMetrics().horizontalAdvance(caption) + 2 * kButtonPadding);
    }
    buttons_[static_cast<std::size_t>(id - kButtonView)] = b;
    row->addWidget(b);
    return b;
  };
  add_button(kButtonView, QStringLiteral("全部出发信息"), {})->setMinimumWidth(110);
  add_button(kButtonMultiArea, QStringLiteral("多地区定制"), {});
  add_button(kButtonScroll, QStringLiteral("滚动开"), QStringLiteral("切换是否下载并滚动信息"));
  add_button(kButtonMask, QStringLiteral("加密"), QStringLiteral("切换是否不显示电话及用户名"));
  add_button(kButtonSearch1, QStringLiteral("搜索1"), QStringLiteral("本地搜索(出城信息)"));
  add_button(kButtonSearch2, QStringLiteral("搜索2"), QStringLiteral("综合搜索"));
  add_button(kButtonSubscriptions, QStringLiteral("订阅"), QStringLiteral("我的订阅"));
  add_button(kButtonPublish1, QStringLiteral("发布1"), QStringLiteral("发布信息(经典)"));
  add_button(kButtonPublish2, QStringLiteral("发布2"), QStringLiteral("发布信息(改进)"));
  add_button(kButtonTree, QStringLiteral("<<"), QStringLiteral("收缩/显示站点列表"))
      ->setFixedWidth(32);
  add_button(kButtonFold, QStringLiteral("合并重复"),
             QStringLiteral("同一会员重复发布的信息只显示最新的一条"))
      ->setCheckable(true);
  row->addStretch(1);
  QStyle* st = style();
  struct PictureButton {
    MainButton id;
    QStyle::StandardPixmap icon;
    const char* tip;
    PageCommand command;
  };
  const PictureButton pictures[] = {
      {kButtonReload, QStyle::SP_BrowserReload, "刷新显示", PageCommand::kReload},
      {kButtonTop, QStyle::SP_MediaSkipBackward, "首页", PageCommand::kTop},
      {kButtonPageUp, QStyle::SP_ArrowUp, "上页", PageCommand::kPageUp},
      {kButtonPageDown, QStyle::SP_ArrowDown, "下页", PageCommand::kPageDown},
      {kButtonEnd, QStyle::SP_MediaSkipForward, "末页", PageCommand::kEnd},
  };
  for (const PictureButton& p : pictures) {
    QPushButton* b = add_button(p.id, {}, QString::fromUtf8(p.tip));
    b->setIcon(st->standardIcon(p.icon));
    b->setFixedWidth(30);
    PageCommand command = p.command;
    connect(b, &QPushButton::clicked, this, [this, command] {
      if (IsLoggedIn()) emit events_->pageCommand(command);
    });
  }

  // The view pop-up of button 1001.
  view_popup_ = new QMenu(this);
  for (int i = 0; i < 6; ++i) {
    QAction* a = view_popup_->addAction(QString::fromUtf8(kViews[i].popup_text));
    a->setCheckable(true);
    a->setChecked(i == 0);
    connect(a, &QAction::triggered, this, [this, i] { SelectView(i, true); });
    view_popup_actions_[static_cast<std::size_t>(i)] = a;
  }
  connect(Button(kButtonView), &QPushButton::clicked, this, [this] {
    QPushButton* b = Button(kButtonView);
    view_popup_->popup(b->mapToGlobal(QPoint(0, b->height())));
  });
  connect(Button(kButtonScroll), &QPushButton::clicked, this, [this] {
    if (IsLoggedIn()) SetScrolling(!scrolling_on_);
  });
  connect(Button(kButtonMask), &QPushButton::clicked, this, [this] {
    if (IsLoggedIn() && !mask_locked_) SetMasked(!masked_);
  });
  connect(Button(kButtonTree), &QPushButton::clicked, this, [this] { SetTreeShown(!tree_shown_); });

  // The message area: tree panel at one side, grid column beside it.
  tree_area_ = new QWidget(central_);
  tree_area_->setObjectName(QStringLiteral("treeArea"));
  tree_area_->setMinimumWidth(kMinTreeWidth);
  tree_area_->setMaximumWidth(kMaxTreeWidth);
  tree_width_ = TreeWidth();
  auto* tree_layout = new QVBoxLayout(tree_area_);
  tree_layout->setContentsMargins(0, 0, 0, 0);

  grid_column_ = new QWidget(central_);
  auto* column = new QVBoxLayout(grid_column_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  // The caption, the count and the status line show texts from the service
  // (a friend's name, a region) as they are, never as markup.
  caption_label_ = new QLabel(grid_column_);
  caption_label_->setTextFormat(Qt::PlainText);
  caption_label_->setText(QStringLiteral("◆ 全国信息"));
  caption_label_->setObjectName(QStringLiteral("caption"));
  caption_label_->setFixedHeight(22);
  caption_label_->setStyleSheet(QStringLiteral(
      "QLabel { background: #1d5fa8; color: white; font-weight: bold; padding-left: 6px; }"));
  grid_ = new InfoGrid(grid_column_);
  grid_->setAccessibleName(QStringLiteral("信息列表"));
  grid_->setObjectName(QStringLiteral("grid"));
  lower_area_ = new QWidget(grid_column_);
  lower_area_->setObjectName(QStringLiteral("lowerArea"));
  new QVBoxLayout(lower_area_);
  lower_area_->layout()->setContentsMargins(0, 0, 0, 0);
  lower_area_->hide();
  auto* split = new QSplitter(Qt::Vertical, grid_column_);
  split->setObjectName(QStringLiteral("gridSplit"));
  split->addWidget(grid_);
  split->addWidget(lower_area_);
  split->setChildrenCollapsible(false);
  // The view's count sits at the right of the caption strip, where its
  // bright colour reads on the dark strip.
  auto* caption_strip = new QWidget(grid_column_);
  caption_strip->setObjectName(QStringLiteral("captionStrip"));
  caption_strip->setFixedHeight(22);
  caption_strip->setStyleSheet(QStringLiteral("#captionStrip { background: #1d5fa8; }"));
  auto* strip = new QHBoxLayout(caption_strip);
  strip->setContentsMargins(0, 0, 8, 0);
  total_label_ = new QLabel(caption_strip);
  total_label_->setTextFormat(Qt::PlainText);
  total_label_->setObjectName(QStringLiteral("total"));
  caption_label_->setParent(caption_strip);
  strip->addWidget(caption_label_, 1);
  strip->addWidget(total_label_);
  column->addWidget(caption_strip);
  column->addWidget(split, 1);

  // The border between tree and list can be dragged: long friend names need
  // room that the list can spare.
  auto* message_area = new QSplitter(Qt::Horizontal, central_);
  message_area->setObjectName(QStringLiteral("treeSplit"));
  message_area->setChildrenCollapsible(false);
  message_area->setHandleWidth(4);
  message_area->addWidget(tree_area_);
  message_area->addWidget(grid_column_);
  tree_split_ = message_area;
  tree_width_save_ = new QTimer(this);
  tree_width_save_->setSingleShot(true);
  tree_width_save_->setInterval(400);
  // Written when the dragging stops, not at every pixel; a failed write
  // only costs the width of the next run.
  connect(tree_width_save_, &QTimer::timeout, this, [this] { RecordTreeWidth(tree_width_); });
  connect(message_area, &QSplitter::splitterMoved, this, [this] {
    tree_width_ = tree_area_->width();
    tree_width_save_->start();
  });

  // The two advert pages share a strip under the list: they inform without
  // taking any width from it. The pages themselves come after the login,
  // once the list is on screen.
  adverts_ = new QWidget(central_);
  adverts_->setFixedHeight(kAdvertHeight);
  auto* advert_row = new QHBoxLayout(adverts_);
  advert_row->setContentsMargins(0, 2, 0, 0);
  advert_row->setSpacing(2);
  connect(events_, &ShellEvents::mainListStarted, this, &MainWindow::LoadAdvertsAfterListPaint);
  // Without a list that starts (or tells it), the pages come a little later.
  advert_fallback_ = new QTimer(this);
  advert_fallback_->setSingleShot(true);
  advert_fallback_->setInterval(kAdvertFallbackMs);
  connect(advert_fallback_, &QTimer::timeout, this, &MainWindow::LoadAdverts);
  // A page that failed (the service gone) is asked for again, or its strip
  // would show the browser's broken page until the next login.
  advert_retry_ = new QTimer(this);
  advert_retry_->setSingleShot(true);
  advert_retry_->setInterval(kAdvertRetryMs);
  connect(advert_retry_, &QTimer::timeout, this, &MainWindow::RetryFailedAdverts);

  // The status line with the counts.
  auto* status = new QWidget(central_);
  status->setFixedHeight(kStatusHeight);
  auto* status_row = new QHBoxLayout(status);
  status_row->setContentsMargins(6, 0, 6, 0);
  status_label_ = new QLabel(status);
  status_label_->setTextFormat(Qt::PlainText);
  national_label_ = new QLabel(status);
  national_label_->setObjectName(QStringLiteral("national"));
  status_row->addWidget(status_label_, 1);
  status_row->addWidget(national_label_);

  auto* layout = new QVBoxLayout(central_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(button_row);
  layout->addWidget(message_area, 1);
  layout->addWidget(adverts_);
  layout->addWidget(status);
}

void MainWindow::LayOutTree() {
  tree_split_->insertWidget(tree_left_ ? 0 : 1, tree_area_);
  tree_split_->setStretchFactor(tree_split_->indexOf(tree_area_), 0);
  tree_split_->setStretchFactor(tree_split_->indexOf(grid_column_), 1);
  tree_area_->setVisible(tree_shown_);
  // The tree keeps its width; the list takes the rest.
  const int total = std::max(tree_split_->width(), tree_width_ + 1);
  const int list = total - tree_width_;
  tree_split_->setSizes(tree_left_ ? QList<int>{tree_width_, list} : QList<int>{list, tree_width_});
  // "<<" points where the tree goes when pressed: towards its side while it
  // shows, away from it while hidden.
  bool points_left = tree_left_ == tree_shown_;
  Button(kButtonTree)->setText(points_left ? QStringLiteral("<<") : QStringLiteral(">>"));
}

void MainWindow::SetTreeShown(bool shown) {
  tree_shown_ = shown;
  LayOutTree();
}

void MainWindow::OpenLowerPanel(QWidget* panel) {
  QLayout* layout = lower_area_->layout();
  // One panel at a time: another one already there steps aside.
  for (QWidget* other : lower_area_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other != panel) {
      layout->removeWidget(other);
      other->hide();
    }
  }
  if (panel->parentWidget() != lower_area_ || layout->indexOf(panel) < 0) {
    panel->setParent(lower_area_);
    layout->addWidget(panel);
  }
  panel->show();
  lower_panel_open_ = true;
  lower_area_->show();
  auto* split = static_cast<QSplitter*>(grid_->parentWidget());
  const int h = split->height();
  split->setSizes({h / 3, h - h / 3});
}

void MainWindow::CloseLowerPanel() {
  lower_panel_open_ = false;
  lower_area_->hide();
}

void MainWindow::SelectView(int index, bool from_popup) {
  if (index < 0 || index >= 6) return;
  const ViewChoice& v = kViews[index];
  Button(kButtonView)->setText(QString::fromUtf8(from_popup ? v.popup_text : v.menu_text));
  for (int i = 0; i < 6; ++i)
    view_popup_actions_[static_cast<std::size_t>(i)]->setChecked(i == index);
  emit events_->viewChosen(v.view_type, v.view_direction);
}

void MainWindow::SetScrolling(bool on) {
  scrolling_on_ = on;
  Button(kButtonScroll)->setText(on ? QStringLiteral("滚动开") : QStringLiteral("滚动关"));
  emit events_->scrollingChanged(on);
}

void MainWindow::SetMasked(bool masked) {
  masked_ = masked;
  Button(kButtonMask)->setText(masked ? QStringLiteral("解密") : QStringLiteral("加密"));
  emit events_->maskingChanged(masked);
}

void MainWindow::LockMask() {
  masked_ = true;
  mask_locked_ = true;
  Button(kButtonMask)->setText(QStringLiteral("解密"));
  Button(kButtonMask)->setEnabled(false);
}

void MainWindow::RunLoginLoop() {
  if (login_form_) {  // the loop runs already
    login_form_->raise();
    return;
  }
  hide();
  QDialog* form = session_->Environment().login_form();
  login_form_ = form;
  form->setAttribute(Qt::WA_DeleteOnClose);
  connect(form, &QDialog::finished, this, [this](int result) {
    // Closing the form is the member's way out of the client.
    if (result != QDialog::Accepted) EndProcess(0);
    session_->Environment().authenticate();
  });
  form->open();
}

void MainWindow::LoginSucceeded(const MemberProfile& profile, const LoginFlags& flags) {
  const QString title = FromGbk(MainWindowTitle(profile));
  // Another client window with this title already on the desktop means this
  // member runs the client already.
  if (TopLevelWindowExists(title.toStdString())) {
    close();
    return;
  }
  setWindowTitle(title);
  if (MaskLocked(ContactAlwaysMasked(), true, flags)) LockMask();
  session_->SignIn(profile, flags);
  RefreshCommands();

  // The advert pages wait for the main list: the first view starts the web
  // engine, which takes the UI thread for a good while.
  const std::string& host = session_->FeedHost();
  advert_urls_ = {QUrl(QString::fromStdString(AdvertAddress(1, host, profile.City))),
                  QUrl(QString::fromStdString(AdvertAddress(2, host, profile.City)))};
  adverts_pending_ = true;
  advert_fallback_->start();
  // Without a window manager (a bare X server) maximising is only a wish;
  // the screen's free area is taken first so the window fills it either way.
  if (QScreen* screen = this->screen()) setGeometry(screen->availableGeometry());
  showMaximized();
  emit shownAfterLogin();
}

void MainWindow::LoadAdvertsAfterListPaint() {
  if (!adverts_pending_) return;
  // The list's rows are written; they reach the screen with the grid's next
  // paint, unless nothing of it can be seen.
  QWidget* view = grid_->viewport();
  if (view->isVisible() && !isMinimized()) {
    view->installEventFilter(this);
  } else {
    QMetaObject::invokeMethod(this, &MainWindow::LoadAdverts, Qt::QueuedConnection);
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport() && event->type() == QEvent::Paint) {
    watched->removeEventFilter(this);
    QMetaObject::invokeMethod(this, &MainWindow::LoadAdverts, Qt::QueuedConnection);
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::LoadAdverts() {
  if (!adverts_pending_) return;
  adverts_pending_ = false;
  advert_fallback_->stop();
  grid_->viewport()->removeEventFilter(this);
  // The views draw in software (see PrepareWebEngine), so adding them to the
  // shown window keeps its native window.
  if (advert1_ == nullptr) {
    advert1_ = NewServiceView([this] { return WebViewHosts(); }, adverts_);
    advert2_ = NewServiceView([this] { return WebViewHosts(); }, adverts_);
    auto* row = static_cast<QHBoxLayout*>(adverts_->layout());
    row->addWidget(advert1_, 1);
    row->addWidget(advert2_, 1);
    for (int i = 0; i < 2; ++i) {
      connect(AdvertView(i), &QWebEngineView::loadFinished, this, [this, i](bool ok) {
        advert_failed_[static_cast<std::size_t>(i)] = !ok;
        if (!ok) advert_retry_->start();
      });
    }
  }
  advert_failed_ = {};
  advert_retry_->stop();
  advert1_->load(advert_urls_[0]);
  advert2_->load(advert_urls_[1]);
  emit advertsLoading();
}

void MainWindow::RetryFailedAdverts() {
  for (std::size_t i = 0; i < 2; ++i) {
    QWebEngineView* view = AdvertView(static_cast<int>(i));
    if (view == nullptr || !advert_failed_[i]) continue;
    advert_failed_[i] = false;
    view->load(advert_urls_[i]);
  }
}

void MainWindow::OpenWebAddress(const QString& url, const QString& title) {
  if (web_page_) return;
  web_page_ = new WebPageWindow(WebPageWindow::Mode::kAddress, QUrl(url), title, this,
                                [this] { return WebViewHosts(); });
  web_page_->show();
}

void MainWindow::OpenOwnMessages() {
  const OwnMessagesChoice choice =
      DecideOwnMessages(IsLoggedIn(), session_->Flags(), session_->CurrentHost(),
                        session_->Profile().UserId, session_->Profile().SessionKey);
  if (choice.kind == OwnMessagesChoice::Kind::kRefuse) ShowNotice(choice.text);
  if (choice.kind != OwnMessagesChoice::Kind::kOpen || web_page_) return;
  web_page_ = new WebPageWindow(WebPageWindow::Mode::kOwnMessages,
                                QUrl(QString::fromStdString(choice.text)), {}, this,
                                [this] { return WebViewHosts(); });
  web_page_->setWindowModality(Qt::ApplicationModal);
  web_page_->show();
}

void MainWindow::OpenMemberProfile(const std::string& user_id) {
  const std::optional<std::string> address = MemberProfileAddress(session_->CurrentHost(), user_id);
  if (!address || web_page_) return;
  web_page_ =
      new WebPageWindow(WebPageWindow::Mode::kProfile, QUrl(QString::fromStdString(*address)), {},
                        this, [this] { return WebViewHosts(); });
  web_page_->show();
}

std::vector<std::string> MainWindow::WebViewHosts() const {
  std::vector<std::string> hosts = FixedOwnHosts();
  hosts.push_back(session_->CurrentHost());
  hosts.push_back(session_->FeedHost());
  return hosts;
}

void MainWindow::StartFirstProgram(bool calculator) {
  auto program = FindProgram(calculator ? CalculatorPrograms() : TextEditorPrograms());
  if (!program || !StartDetached(*program)) {
    ShowNotice(calculator ? TV_TEXT("没有找到计算器程序") : TV_TEXT("没有找到文本编辑程序"));
  }
}

void MainWindow::StartCalculator() { StartFirstProgram(true); }
void MainWindow::StartTextEditor() { StartFirstProgram(false); }

void MainWindow::ShowAbout() {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("关于"));
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.setText(QStringLiteral("版本:%1\n\n%2")
                  .arg(QString::fromLatin1(kAboutVersion.data(),
                                           static_cast<qsizetype>(kAboutVersion.size())),
                       QString::fromUtf8(kAboutLineUtf8.data(),
                                         static_cast<qsizetype>(kAboutLineUtf8.size()))));
  box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
  box.exec();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape neither close the window nor press a button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Every setting was written when it changed; workers are simply left.
  event->accept();
  EndProcess(0);
}

}  // namespace tv
