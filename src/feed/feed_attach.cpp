#include "feed/feed_attach.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>

#include "core/build_constants.h"
#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "detail/detail_view.h"
#include "feed/feed_test_hooks.h"
#include "feed/multi_area_form.h"
#include "feed/region_tree.h"
#include "net/transport.h"
#include "regions/region_directory.h"
#include "settings/values.h"
#include "shell/main_window.h"
#include "widgets/image_strip.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr char kAttachmentName[] = "feedAttachment";
// The hidden columns and the three pictures take this much of the grid.
constexpr int kFixedColumnsWidth = 111;

FeedServices ProgramServices(const ShellEnvironment& environment) {
  FeedServices s;
  s.fetch = [](std::string_view host, std::string_view path) {
    return FetchEncodedPage("GET", host, path);
  };
  s.discover = environment.discover;
  s.current_host = environment.current_host;
  s.row_style = [] {
    return RowStyle{FontFace(), FontSize(), static_cast<int>(FontColor().value)};
  };
  s.area_code_of = [](std::string_view name) { return AreaCodeOf(name); };
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

FeedAttachment::FeedAttachment(MainWindow& window)
    : QObject(&window),
      window_(window),
      grid_(window.Grid()->Store()),
      store_(grid_),
      feed_(std::make_unique<FeedController>(store_, ProgramServices(window.Environment()))),
      paging_(std::make_unique<PagingController>(*feed_)),
      counts_(std::make_unique<CountsController>(*feed_)),
      friends_(std::make_unique<FriendsLoader>(feed_->Friends(), feed_->Services().fetch,
                                               [this] { return feed_->FeedHost(); })) {
  setObjectName(QString::fromLatin1(kAttachmentName));
  InfoGrid* grid = window.Grid();
  SetUpGrid();

  // The region tree in the window's tree panel.
  tree_ = new RegionTree(window.TreeArea());
  window.TreeArea()->layout()->addWidget(tree_);
  tree_->SetClickGate([this] {
    if (window_.IsLoggedIn()) return true;
    window_.RunLoginLoop();
    return false;
  });
  connect(tree_, &RegionTree::regionChosen, this, [this](const QString& name) {
    feed_->SelectRegion(ToGbk(name));
    PushView();
  });
  connect(tree_, &RegionTree::friendMessagesRequested, this, [this](const QString& name) {
    feed_->ShowFriendMessages(ToGbk(name));
    PushView();
  });
  connect(tree_, &RegionTree::friendRemovalRequested, this,
          [this](const QString& name) { friends_->RemoveFriend(ToGbk(name)); });
  connect(tree_, &RegionTree::friendProfileRequested, this, [this](const QString& name) {
    if (const FriendRow* row = feed_->Friends().FindByName(ToGbk(name))) {
      window_.OpenMemberProfile(row->user_id);
    }
  });
  connect(friends_.get(), &FriendsLoader::FriendRemoved, tree_, &RegionTree::RemoveFriendItem);
  connect(friends_.get(), &FriendsLoader::FriendsLoaded, this, [this](int count) {
    // The whole answer at once: the rows it appended to the table.
    const auto& rows = feed_->Friends().Rows();
    for (std::size_t i = rows.size() - static_cast<std::size_t>(count); i < rows.size(); ++i) {
      tree_->AddFriendItem(FromGbk(rows[i].name));
    }
  });

  // Commands of the window.
  connect(&window, &MainWindow::loggedIn, this, &FeedAttachment::OnLoggedIn);
  connect(&window, &MainWindow::viewSelected, this, [this] {
    PullView();
    feed_->ReloadFirstPage();
    PushView();
  });
  connect(&window, &MainWindow::scrollingToggled, this,
          [this](bool on) { feed_->SetScrolling(on); });
  connect(&window, &MainWindow::maskToggled, this,
          [this](bool masked) { feed_->SetMasked(masked); });
  connect(&window, &MainWindow::pageCommand, this,
          [this](PageCommand command) { OnPageCommand(static_cast<int>(command)); });
  connect(window.Button(kButtonMultiArea), &QPushButton::clicked, this, [this] {
    if (window_.IsLoggedIn()) ShowMultiAreaMenu();
  });

  // The grid's notices.
  connect(grid, &InfoGrid::ScrollReport, this, [this] { paging_->LoadMissingRows(); });

  // What the feed shows.
  connect(feed_.get(), &FeedController::CaptionChanged, window.CaptionLabel(), &QLabel::setText);
  connect(counts_.get(), &CountsController::CountTextChanged, window.TotalLabel(),
          &QLabel::setText);
  connect(counts_.get(), &CountsController::NationalTextChanged, this, [this](const QString& n) {
    window_.NationalLabel()->setText(
        QStringLiteral("全国信息数:<span style=\"color:#0000ff\">%1</span>").arg(n));
  });
  connect(feed_.get(), &FeedController::FeedHostChanged, this,
          [this](const QString& host) { window_.SetFeedHost(host.toStdString()); });
  // A real scroll to the top: the scroll mark then names the top rows, which
  // the rebuild that follows a layout change works on.
  connect(feed_.get(), &FeedController::ScrollToTopRequested, this, [this] {
    window_.Grid()->Scroll(InfoGrid::ScrollCode::kTop);
    window_.Grid()->Scroll(InfoGrid::ScrollCode::kEndScroll);
  });
  connect(feed_.get(), &FeedController::RowsRebuilt, this, &FeedAttachment::rowsRebuilt);
  connect(feed_.get(), &FeedController::ReloadApplied, this, [this] { PushView(); });
  StyleCountLabel(window.TotalLabel(), QColor(237, 245, 72));
  StyleCountLabel(window.NationalLabel(), Qt::black);
  window.NationalLabel()->setTextFormat(Qt::RichText);
  window.NationalLabel()->setText(QStringLiteral("全国信息数:"));

  // The detail view behind double clicks on a row.
  DetailView::Owner owner;
  owner.viewer = [this] {
    return ViewerOf(window_.Profile(), window_.Flags(), window_.IsLoggedIn());
  };
  owner.friend_listed = [this](std::string_view user_id) {
    for (const FriendRow& row : feed_->Friends().Rows()) {
      if (row.user_id == user_id) return true;
    }
    return false;
  };
  owner.feed_host = [this] { return feed_->FeedHost(); };
  owner.open_profile = [this](const std::string& user_id) { window_.OpenMemberProfile(user_id); };
  owner.site = WebHost();
  detail_ = new DetailView(&window, owner,
                           [](std::string_view verb, std::string_view host, std::string_view path) {
                             return FetchEncodedPage(verb, host, path);
                           });
  connect(grid, &InfoGrid::DoubleClick, this, [this](int row, int column) {
    const RowStore& rows = window_.Grid()->Store();
    detail_->OnRowDoubleClick(column, [&rows, row](int c) { return rows.GetCellText(row, c); });
  });
  connect(detail_, &DetailView::friendAdded, this, &FeedAttachment::AddFriend);
}

FeedAttachment::~FeedAttachment() = default;

void FeedAttachment::SetUpGrid() {
  InfoGrid* grid = window_.Grid();
  RowStore& rows = grid->Store();
  row_text_width_ = grid->width() >= kFixedColumnsWidth + 1 ? grid->width() - kFixedColumnsWidth
                                                            : row_text_width_;
  SetFeedColumns(rows, row_text_width_);
  grid->SetImageStrip(StandardImageStrip());
  grid->SetBackColour(static_cast<Colour>(BackColor().value));
  grid->SetLineColour(MakeColour(198, 195, 198));
  grid_.SetScrollMarkSource([grid] { return grid->ScrollMark(); });
  grid_.SetRedraw([grid] { grid->Redraw(); });
  grid->installEventFilter(this);
}

bool FeedAttachment::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.Grid() && event->type() == QEvent::Resize) OnGridResized();
  return QObject::eventFilter(watched, event);
}

void FeedAttachment::OnGridResized() {
  // A minimised window keeps the last width worked out from a real area.
  const int area = window_.Grid()->width();
  if (area >= kFixedColumnsWidth + 1) row_text_width_ = area - kFixedColumnsWidth;
  window_.Grid()->Store().PutColumnWidth(kColRowText, row_text_width_);
  if (window_.IsLoggedIn()) feed_->RebuildRowsOnScreen();
}

void FeedAttachment::PullView() {
  const MainViewState& state = window_.State();
  FeedView& view = store_.View();
  view.view_type = state.view_type;
  view.direction = state.view_direction;
  view.friend_id = state.view_friend_id;
  view.masked = state.masked;
  feed_->SetRefreshPeriodMs(state.refresh_period_ms);
}

void FeedAttachment::PushView() {
  MainViewState& state = window_.State();
  const FeedView& view = store_.View();
  state.view_type = view.view_type;
  state.view_direction = view.direction;
  state.view_friend_id = view.friend_id;
}

void FeedAttachment::OnLoggedIn() {
  const MemberProfile& profile = window_.Profile();
  PullView();
  store_.Member() = FeedMember{profile.City, profile.UserId, window_.Flags().NoContactRights};
  feed_->SetFeedHost(window_.FeedHost());
  feed_->StartFeed();
  friends_->LoadFriends(profile.UserId);
  tree_->OpenRoot(FromGbk(profile.Province));
  store_.View().regions.push_back(profile.City);
  counts_->Start();
}

void FeedAttachment::OnPageCommand(int command) {
  InfoGrid* grid = window_.Grid();
  using Code = InfoGrid::ScrollCode;
  switch (static_cast<PageCommand>(command)) {
    case PageCommand::kReload:
      feed_->ReloadFirstPage();
      return;
    case PageCommand::kTop:
      grid->Scroll(Code::kTop);
      break;
    case PageCommand::kPageUp:
      grid->Scroll(Code::kPageUp);
      break;
    case PageCommand::kPageDown:
      grid->Scroll(Code::kPageDown);
      break;
    case PageCommand::kEnd:
      grid->Scroll(Code::kBottom);
      break;
  }
  grid->Scroll(Code::kEndScroll);
}

void FeedAttachment::ShowMultiAreaMenu() {
  QMenu menu(&window_);
  QAction* form = menu.addAction(QStringLiteral("多地区定制"));
  const std::string stored = MutiArea();
  QAction* apply = stored.empty() ? nullptr : menu.addAction(FromGbk(stored));
  QPushButton* button = window_.Button(kButtonMultiArea);
  QAction* chosen = menu.exec(button->mapToGlobal(QPoint(0, button->height())));
  if (chosen == form) OpenMultiAreaForm();
  if (chosen != nullptr && chosen == apply) feed_->ApplyMultiArea(stored);
}

void FeedAttachment::OpenMultiAreaForm() {
  MultiAreaForm form([this](const std::string& text) { feed_->ApplyMultiArea(text); }, &window_);
  form.exec();
}

void FeedAttachment::AddFriend(const AddedFriend& row) {
  feed_->Friends().Append(FriendRow{row.entry_id, row.name, row.qq, row.net_phone, row.user_id});
  tree_->AddFriendItem(FromGbk(row.name));
}

void AttachFeed(MainWindow& window) {
  auto* feed = new FeedAttachment(window);
  InstallFeedTestHooks(*feed);
}

FeedAttachment* FeedOf(MainWindow& window) {
  return window.findChild<FeedAttachment*>(QString::fromLatin1(kAttachmentName),
                                           Qt::FindDirectChildrenOnly);
}

}  // namespace tv
