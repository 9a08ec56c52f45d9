#include "search/search_results_panel.h"

#include "core/qt_gbk.h"

namespace tv {

SearchResultsPanel::SearchResultsPanel(RowStore& rows, const FeedStore& main_list, Setup setup,
                                       QObject* parent)
    : QObject(parent), grid_(rows), store_(grid_), setup_(std::move(setup)) {
  setup_.services.discover = nullptr;
  feed_ = std::make_unique<FeedController>(store_, setup_.services);
  paging_ = std::make_unique<PagingController>(*feed_);
  feed_->SetPacing(kRequestPauseMs, 0, kRequestPauseMs);
  store_.UseMarksOf(main_list);
  FeedRowRules& rules = store_.Rules();
  rules.type_as_word = false;
  rules.highlight_region = false;
  rules.skip_own_always = true;

  // The search's own requests, built from the terms of the running search.
  FeedQueries queries;
  queries.first_page = [this] { return SearchFirstPagePath(terms_.code, terms_.keywords); };
  queries.new_records = [this](const std::string& max_id) -> std::optional<std::string> {
    return SearchNewRecordsPath(max_id, terms_.code, terms_.keywords);
  };
  queries.page = [this](std::int32_t start_num, std::int32_t total) {
    return SearchPagePath(terms_.code, start_num, total, terms_.keywords);
  };
  feed_->SetQueries(std::move(queries));

  connect(feed_.get(), &FeedController::totalChanged, this,
          [this] { emit countChanged(CountText()); });
  connect(feed_.get(), &FeedController::reloadApplied, this, &SearchResultsPanel::firstPageApplied);
  connect(feed_.get(), &FeedController::newRecordsApplied, this, [this](int inserted) {
    AlertForInserted(inserted);
    emit matchesInserted(inserted);
  });
}

SearchResultsPanel::~SearchResultsPanel() = default;

void SearchResultsPanel::SetMember(std::int64_t user_id) { store_.Member().user_id = user_id; }

void SearchResultsPanel::SetHost(std::string host) { feed_->SetFeedHost(std::move(host)); }

void SearchResultsPanel::SetScrolling(bool on) {
  scrolling_on_ = on;
  if (!on) {
    feed_->SetScrolling(false);
  } else if (active_) {
    feed_->SetScrolling(true);
  }
}

void SearchResultsPanel::SetMasked(bool masked) { store_.View().masked = masked; }

QString SearchResultsPanel::Title() const {
  return FromGbk(SearchTitle(terms_.code, terms_.keywords));
}

QString SearchResultsPanel::CountText() const {
  return FromGbk(
      ListCountText(MatchCountText(store_.TotalCount()), store_.Noise(), store_.TotalCount()));
}

void SearchResultsPanel::StartSearch(const SearchTerms& terms) {
  // The search shown before ends here: its polls and pages still under way
  // must not write into the new search's rows.
  feed_->Stop();
  terms_ = terms;
  store_.Rules().keywords = terms.keywords;
  active_ = true;
  // Nor may its rows stand under the new title: should the new search get
  // no answer, the panel is empty rather than showing the old results.
  store_.ApplyReloadPage(CountedPage{}, false);
  grid_.Redraw();
  emit countChanged(CountText());
  // Polling follows the main window's switch; the reload starts it when its
  // answer held matches.
  feed_->SetScrolling(scrolling_on_);
  feed_->ReloadFirstPage();
  emit titleChanged(Title());
}

void SearchResultsPanel::Close() {
  active_ = false;
  feed_->Stop();
}

void SearchResultsPanel::RefreshVisibleRows(Refresh reason) {
  if (reason == Refresh::kMasking) {
    feed_->RebuildRowsOnScreen();
  } else {
    store_.RebuildRowsInView();
  }
}

bool SearchResultsPanel::AddPublishedMessage(const OwnMessage& message) {
  if (!active_ || !scrolling_on_) return false;
  if (!PublishedMessageMatches(terms_.code, terms_.keywords, SentMessage(message))) return false;
  feed_->PutOwnMessage(message.record);
  Alert(message.record.Type);
  return true;
}

void SearchResultsPanel::AlertForInserted(int inserted) {
  // One chime per answer, the one its last sounding match would play: the
  // inserted rows are on top, the last inserted in row 0, and a match of a
  // type without a sound does not silence the cargo or trucks under it.
  // A blocked member's match is never news.
  for (int row = 0, left = inserted; left > 0 && row < grid_.RowCount(); ++row) {
    if (store_.Noise().Blocked(row)) continue;
    --left;
    const std::string_view type = grid_.CellText(row, kColTypeWord);
    if (AlertForType(type)) {
      Alert(type);
      return;
    }
  }
}

void SearchResultsPanel::Alert(std::string_view type) {
  if (setup_.player == nullptr || !setup_.sound_on || !setup_.sound_on()) return;
  if (const auto sound = AlertForType(type)) setup_.player->Play(*sound);
}

}  // namespace tv
