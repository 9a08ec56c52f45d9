#include "search/search_attach.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QWindow>

#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "feed/list_tools.h"
#include "feed/live_grid.h"
#include "feed/row_text.h"
#include "net/transport.h"
#include "notify/desktop_notifier.h"
#include "notify/match_notice.h"
#include "notify/window_front.h"
#include "search/comprehensive_search_form.h"
#include "search/local_search_form.h"
#include "search/search_panel_view.h"
#include "search/sound_effect_player.h"
#include "settings/store.h"
#include "settings/values.h"
#include "shell/shell.h"
#include "shell/shell_events.h"
#include "shell/shell_session.h"
#include "widgets/color_label.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr char kAttachmentName[] = "searchAttachment";

SearchResultsPanel::Setup ProgramSetup(AlertPlayer* player) {
  SearchResultsPanel::Setup setup;
  setup.services.fetch = [](std::string_view host, std::string_view path) {
    return FetchEncodedPage("GET", host, path);
  };
  setup.services.row_style = [] {
    return RowStyle{FontFace(), FontSize(), static_cast<int>(FontColor().value)};
  };
  setup.player = player;
  setup.sound_on = [] { return SoundOn(); };
  return setup;
}

// The panel's rows keep `Type` as received and the time as received; the
// detail view shows the type word and the short time.
}  // namespace

SearchAttachment::SearchAttachment(Shell& shell, FeedAttachment& feed, DetailAttachment& detail)
    : QObject(shell.Frame()),
      shell_(shell),
      feed_(feed),
      detail_(detail),
      view_(new SearchPanelView(shell.Frame())),
      sounds_(std::make_unique<SoundEffectPlayer>()) {
  setObjectName(QString::fromLatin1(kAttachmentName));
  view_->hide();
  panel_ = std::make_unique<SearchResultsPanel>(view_->Grid()->Store(), feed.Feed().Store(),
                                                ProgramSetup(sounds_.get()));
  live_grid_ = new LiveGrid(
      view_->Grid(), panel_->Grid(), panel_->Feed(), panel_->Paging(), shell,
      [this] { return panel_->Active(); }, this);

  connect(shell.ClaimCommand(MainCommand::kLocalSearch), &QAction::triggered, this,
          [this] { OpenLocalForm(true); });
  connect(shell.ClaimCommand(MainCommand::kWideSearch), &QAction::triggered, this,
          [this] { OpenWideForm(true); });

  // The panel's own controls.
  // A new search shows a blank grid until its answer is in; an answer
  // without matches says so, while no answer at all (the server gone) does
  // not pass for one.
  connect(panel_.get(), &SearchResultsPanel::titleChanged, this, [this](const QString& title) {
    view_->TitleLabel()->SetText(title);
    view_->Grid()->SetEmptyText(QString());
  });
  connect(panel_.get(), &SearchResultsPanel::firstPageApplied, this, [this](bool answered) {
    view_->Grid()->SetEmptyText(answered ? QStringLiteral("没有找到匹配的信息") : QString());
  });
  connect(panel_.get(), &SearchResultsPanel::countChanged, this,
          [this](const QString& count) { view_->CountLabel()->SetText(count); });
  view_->CountLabel()->SetText(panel_->CountText());
  connect(view_, &SearchPanelView::pageCommand, live_grid_, &LiveGrid::Scroll);
  connect(view_, &SearchPanelView::closeRequested, this, &SearchAttachment::CloseSearch);
  connect(view_->Grid(), &InfoGrid::doubleClicked, this, &SearchAttachment::OnDoubleClick);

  // What the window and the other features tell the panel.
  ShellSession& session = shell.Session();
  ShellEvents& events = shell.Events();
  connect(&session, &ShellSession::loggedIn, this, &SearchAttachment::OnLoggedIn);
  connect(&session, &ShellSession::feedHostChanged, this,
          [this](const QString& host) { panel_->SetHost(host.toStdString()); });
  connect(&events, &ShellEvents::scrollingChanged, this,
          [this](bool on) { panel_->SetScrolling(on); });
  connect(&events, &ShellEvents::maskingChanged, this, [this](bool masked) {
    panel_->SetMasked(masked);
    if (panel_->Active()) panel_->RefreshVisibleRows(SearchResultsPanel::Refresh::kMasking);
  });
  connect(&events, &ShellEvents::mainRowsRebuilt, this, [this] {
    if (panel_->Active()) panel_->RefreshVisibleRows(SearchResultsPanel::Refresh::kMarks);
  });
  connect(&events, &ShellEvents::ownMessagePublished, this,
          [this](const OwnMessage& message) { panel_->AddPublishedMessage(message); });
  // New colours and font: the shown search's rows are built again, as the
  // main list's are.
  connect(&events, &ShellEvents::displaySettingsChanged, this, [this] {
    view_->Grid()->SetBackColour(static_cast<Colour>(BackColor().value));
    if (panel_->Active()) panel_->Feed().ReloadFirstPage();
  });

  // New matches while the window is out of sight: a desktop notification,
  // and a click on it brings the window back.
  auto* notifier = new DesktopNotifier(DesktopNotifier::SessionBus, this);
  notifier_ = notifier;
  connect(panel_.get(), &SearchResultsPanel::matchesInserted, notifier,
          [this, notifier](int inserted) {
            MatchNoticeFacts facts;
            facts.window_in_front = WindowInFront(shell_.Frame());
            facts.switched_on = DesktopNotifyOn();
            facts.search_active = panel_->Active();
            facts.inserted = inserted;
            facts.top_row_text = panel_->Grid().CellText(0, kColRowText);
            if (const auto notice = DecideMatchNotice(facts)) {
              notifier->Show(FromGbk(notice->summary), FromGbk(notice->body));
            }
          });
  connect(notifier, &DesktopNotifier::activated, this, [this] { BringToFront(shell_.Frame()); });
  // Back at the window, the notification has done its work.
  connect(qApp, &QApplication::focusWindowChanged, notifier, [this, notifier] {
    if (WindowInFront(shell_.Frame())) notifier->Withdraw();
  });
}

SearchAttachment::~SearchAttachment() = default;

AlertPlayer& SearchAttachment::Sounds() { return *sounds_; }

void SearchAttachment::OnLoggedIn() {
  const ShellSession& session = shell_.Session();
  panel_->SetMember(session.Profile().UserId);
  panel_->SetHost(session.FeedHost());
  panel_->SetRefreshPeriodMs(session.RefreshPeriodMs());
  panel_->SetMasked(shell_.Masked());
  panel_->SetScrolling(shell_.ScrollingOn());
}

namespace {

// A form closes for good: shown and handed back, or run until it is closed.
template <typename Form>
Form* ShowForm(Form* form, bool modal) {
  form->setAttribute(Qt::WA_DeleteOnClose);
  if (!modal) {
    form->show();
    return form;
  }
  form->exec();
  return nullptr;
}

}  // namespace

LocalSearchForm* SearchAttachment::OpenLocalForm(bool modal) {
  if (!shell_.Session().IsLoggedIn()) return nullptr;
  return ShowForm(new LocalSearchForm(
                      Settings(), feed_.Feed().Store().Code(), shell_.Session().Profile().City,
                      [this](const SearchTerms& terms) { StartSearch(terms); }, shell_.Frame()),
                  modal);
}

ComprehensiveSearchForm* SearchAttachment::OpenWideForm(bool modal) {
  if (!shell_.Session().IsLoggedIn()) return nullptr;
  const FeedStore& main = feed_.Feed().Store();
  return ShowForm(
      new ComprehensiveSearchForm(
          Settings(), main.Code(), shell_.Session().Profile().City, main.View().direction,
          [this](const SearchTerms& terms) { StartSearch(terms); }, shell_.Frame()),
      modal);
}

void SearchAttachment::StartSearch(const SearchTerms& terms) {
  view_->Grid()->SetBackColour(static_cast<Colour>(BackColor().value));
  shell_.OpenLowerPanel(view_);
  panel_->StartSearch(terms);
}

void SearchAttachment::CloseSearch() {
  notifier_->Withdraw();
  panel_->Close();
  shell_.CloseLowerPanel();
}

void SearchAttachment::OnDoubleClick(int row, int column) {
  const RowStore& rows = view_->Grid()->Store();
  detail_.View().OnRowDoubleClick(
      column, [&rows, row](int c) { return PanelCellText(rows, row, c); }, false,
      live_grid_->Tools().DetailExtras(row));
}

SearchAttachment& AttachSearch(Shell& shell, FeedAttachment& feed, DetailAttachment& detail) {
  return *new SearchAttachment(shell, feed, detail);
}

SearchAttachment* SearchOf(Shell& shell) {
  return shell.Frame()->findChild<SearchAttachment*>(QString::fromLatin1(kAttachmentName),
                                                     Qt::FindDirectChildrenOnly);
}

}  // namespace tv
