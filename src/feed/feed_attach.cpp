#include "feed/feed_attach.h"

#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>

#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "detail/detail_attach.h"
#include "feed/list_tools.h"
#include "feed/live_grid.h"
#include "feed/multi_area_form.h"
#include "feed/own_message_view.h"
#include "feed/region_tree.h"
#include "net/transport.h"
#include "regions/region_directory.h"
#include "settings/values.h"
#include "shell/shell_events.h"
#include "shell/shell_session.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr char kAttachmentName[] = "feedAttachment";

FeedServices ProgramServices(ShellSession& session, const FriendsTable& friends) {
  FeedServices s;
  s.fetch = [](std::string_view host, std::string_view path) {
    return FetchEncodedPage("GET", host, path);
  };
  s.discover = [&session] { return session.Discover(); };
  s.current_host = [&session] { return session.CurrentHost(); };
  s.row_style = [] {
    return RowStyle{FontFace(), FontSize(), static_cast<int>(FontColor().value)};
  };
  s.area_code_of = [](std::string_view name) { return AreaCodeOf(name); };
  s.find_friend = [&friends](std::string_view name) { return friends.FindByName(name); };
  return s;
}

void StyleCountLabel(QLabel* label, const QColor& colour) {
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(12);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

}  // namespace

FeedAttachment::FeedAttachment(Shell& shell, DetailAttachment& detail)
    : QObject(shell.Frame()),
      shell_(shell),
      detail_(detail),
      grid_(shell.Grid()->Store()),
      store_(grid_),
      feed_(std::make_unique<FeedController>(store_,
                                             ProgramServices(shell.Session(), detail.Friends()))),
      paging_(std::make_unique<PagingController>(*feed_)),
      counts_(std::make_unique<CountsController>(*feed_)) {
  setObjectName(QString::fromLatin1(kAttachmentName));
  ShellSession& session = shell.Session();
  ShellEvents& events = shell.Events();
  InfoGrid* grid = shell.Grid();
  live_grid_ = new LiveGrid(
      grid, grid_, *feed_, *paging_, shell, [this] { return shell_.Session().IsLoggedIn(); }, this);
  detail.SetMainRowExtras([this](int row) { return Tools().DetailExtras(row); });

  // The region tree in the window's tree panel, with the friends list.
  tree_ = new RegionTree(shell.TreeArea());
  tree_->setAccessibleName(QStringLiteral("地区"));
  shell.TreeArea()->layout()->addWidget(tree_);
  tree_->SetClickGate([this] {
    if (shell_.Session().IsLoggedIn()) return true;
    shell_.RunLoginLoop();
    return false;
  });
  connect(tree_, &RegionTree::regionChosen, this,
          [this](const QString& name) { feed_->SelectRegion(ToGbk(name)); });
  connect(tree_, &RegionTree::friendMessagesRequested, this,
          [this](const QString& name) { feed_->ShowFriendMessages(ToGbk(name)); });
  connect(tree_, &RegionTree::friendRemovalRequested, this,
          [this](const QString& name) { detail_.Loader().RemoveFriend(ToGbk(name)); });
  connect(tree_, &RegionTree::friendProfileRequested, this, [this](const QString& name) {
    if (const FriendRow* row = detail_.Friends().FindByName(ToGbk(name))) {
      shell_.OpenMemberProfile(row->user_id);
    }
  });
  FriendsLoader& loader = detail.Loader();
  connect(&loader, &FriendsLoader::friendRemoved, tree_, &RegionTree::RemoveFriendItem);
  connect(&loader, &FriendsLoader::friendsLoaded, this, [this](int count) {
    // The whole answer at once: the rows it appended to the table.
    const auto& rows = detail_.Friends().Rows();
    for (std::size_t i = rows.size() - static_cast<std::size_t>(count); i < rows.size(); ++i) {
      tree_->AddFriendItem(FromGbk(rows[i].name));
    }
  });
  connect(&detail.View(), &DetailView::friendAdded, this,
          [this](const AddedFriend& row) { tree_->AddFriendItem(FromGbk(row.name)); });

  // Commands of the window.
  connect(&session, &ShellSession::loggedIn, this, &FeedAttachment::OnLoggedIn);
  connect(&events, &ShellEvents::viewChosen, this,
          [this](int view_type, int direction) { feed_->SelectView(view_type, direction); });
  connect(&events, &ShellEvents::scrollingChanged, this,
          [this](bool on) { feed_->SetScrolling(on); });
  connect(&events, &ShellEvents::maskingChanged, this,
          [this](bool masked) { feed_->SetMasked(masked); });
  connect(&events, &ShellEvents::pageCommand, this, &FeedAttachment::OnPageCommand);
  // The member's own message goes on top at once (the poll never brings it)
  // when it concerns the list as it is now and the list takes rows.
  connect(&events, &ShellEvents::ownMessagePublished, this, [this](const OwnMessage& message) {
    if (!shell_.Session().IsLoggedIn() || !shell_.ScrollingOn()) return;
    if (OwnMessageConcernsView(store_.View(), store_.Code(), message))
      feed_->PutOwnMessage(message.record);
  });
  connect(&events, &ShellEvents::displaySettingsChanged, this, [this] {
    shell_.Grid()->SetBackColour(static_cast<Colour>(BackColor().value));
    if (shell_.Session().IsLoggedIn()) feed_->ReloadFirstPage();
  });
  // Folding copies, for every list: the button shows the switch as it is.
  QPushButton* fold = shell.Button(kButtonFold);
  fold->setChecked(FoldRepeatsOn());
  connect(fold, &QPushButton::clicked, this,
          [this](bool on) { live_grid_->Tools().SetFolding(on); });
  connect(&events, &ShellEvents::foldingChanged, fold, &QPushButton::setChecked);
  connect(shell.Button(kButtonMultiArea), &QPushButton::clicked, this, [this] {
    if (shell_.Session().IsLoggedIn()) ShowMultiAreaMenu();
  });

  // What the feed shows.
  connect(feed_.get(), &FeedController::captionChanged, shell.CaptionLabel(), &QLabel::setText);
  connect(counts_.get(), &CountsController::countTextChanged, shell.TotalLabel(), &QLabel::setText);
  connect(counts_.get(), &CountsController::nationalTextChanged, this, [this](const QString& n) {
    shell_.NationalLabel()->setText(
        QStringLiteral("全国信息数:<span style=\"color:#0000ff\">%1</span>")
            .arg(n.toHtmlEscaped()));
  });
  connect(feed_.get(), &FeedController::feedHostChanged, this,
          [this](const QString& host) { shell_.Session().SetFeedHost(host.toStdString()); });
  connect(feed_.get(), &FeedController::markedRowsRebuilt, &events, &ShellEvents::mainRowsRebuilt);
  connect(feed_.get(), &FeedController::startPageApplied, &events, &ShellEvents::mainListStarted);
  // Once a page has been read, a grid without rows is a region without
  // messages, and says so; while the server is gone it is not.
  const auto say_empty = [this, grid] {
    if (!feed_->ConnectionLost()) grid->SetEmptyText(QStringLiteral("该地区暂无信息"));
  };
  connect(feed_.get(), &FeedController::startPageApplied, this, say_empty);
  connect(feed_.get(), &FeedController::reloadApplied, this, say_empty);
  // An outage is not silent: the rows stay while the feed reconnects.
  connect(feed_.get(), &FeedController::connectionChanged, this, [this, grid](bool lost) {
    shell_.ShowStatus(lost ? QStringLiteral("网络连接中断，正在重新连接…") : QString());
    if (lost) grid->SetEmptyText(QString());
  });
  StyleCountLabel(shell.TotalLabel(), QColor(237, 245, 72));
  StyleCountLabel(shell.NationalLabel(), Qt::black);
  shell.NationalLabel()->setTextFormat(Qt::RichText);
  shell.NationalLabel()->setText(QStringLiteral("全国信息数:"));
}

FeedAttachment::~FeedAttachment() = default;

ListTools& FeedAttachment::Tools() { return live_grid_->Tools(); }

void FeedAttachment::OnLoggedIn() {
  const ShellSession& session = shell_.Session();
  const MemberProfile& profile = session.Profile();
  store_.View().masked = shell_.Masked();
  feed_->SetRefreshPeriodMs(session.RefreshPeriodMs());
  store_.Member() = FeedMember{profile.City, profile.UserId, session.Flags().NoContactRights};
  feed_->SetFeedHost(session.FeedHost());
  feed_->StartFeed();
  tree_->OpenRoot(FromGbk(profile.Province));
  store_.View().regions.push_back(profile.City);
  counts_->Start();
}

void FeedAttachment::OnPageCommand(PageCommand command) {
  if (command == PageCommand::kReload) {
    feed_->ReloadFirstPage();
  } else {
    live_grid_->Scroll(command);
  }
}

void FeedAttachment::ShowMultiAreaMenu() {
  QMenu menu(shell_.Frame());
  QAction* form = menu.addAction(QStringLiteral("多地区定制"));
  const std::string stored = MultiArea();
  QAction* apply = stored.empty() ? nullptr : menu.addAction(FromGbk(stored));
  QPushButton* button = shell_.Button(kButtonMultiArea);
  QAction* chosen = menu.exec(button->mapToGlobal(QPoint(0, button->height())));
  if (chosen == form) OpenMultiAreaForm();
  if (chosen != nullptr && chosen == apply) feed_->ApplyMultiArea(stored);
}

void FeedAttachment::OpenMultiAreaForm() {
  MultiAreaForm form([this](const std::string& text) { feed_->ApplyMultiArea(text); },
                     shell_.Frame());
  form.exec();
}

FeedAttachment& AttachFeed(Shell& shell, DetailAttachment& detail) {
  return *new FeedAttachment(shell, detail);
}

FeedAttachment* FeedOf(Shell& shell) {
  return shell.Frame()->findChild<FeedAttachment*>(QString::fromLatin1(kAttachmentName),
                                                   Qt::FindDirectChildrenOnly);
}

}  // namespace tv
