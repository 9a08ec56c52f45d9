#include "subscribe/subscription_feed.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_set>

#include "net/answers.h"
#include "subscribe/subscription_match.h"

namespace tv {

// What the feed's workers and the UI thread share: the filter (fixed), the
// newest identifier seen, the kept matches a start shows, and the records
// the filter let through that the UI thread has not taken yet.
struct SubscriptionFeed::Shared {
  explicit Shared(const Subscription& subscription)
      : filter(subscription), request(RequestOf(subscription)) {}

  const MatchFilter filter;
  const SubscriptionRequest request;
  std::atomic<std::int64_t> newest_seen{0};
  std::mutex mutex;
  // Set by Start() when the subscription has run before: its first page is
  // what it kept, not the server's.
  std::optional<std::vector<InfoRecord>> kept_page;
  std::vector<InfoRecord> arrived;

  void See(std::int64_t id) {
    std::int64_t seen = newest_seen.load();
    while (id > seen && !newest_seen.compare_exchange_weak(seen, id)) {
    }
  }
};

namespace {

void AppendRecord(std::string& out, const InfoRecord& r) {
  for (const std::string* field :
       {&r.InfoID, &r.City, &r.Type, &r.Content, &r.Tel, &r.QQ, &r.Company, &r.Flag, &r.Deal}) {
    out += *field;
    out += "||";
  }
  out += r.Time;
  out += "@@";
}

bool IsAction(std::string_view path, std::string_view action) {
  return path.find("action=" + std::string(action) + "&") != std::string_view::npos;
}

}  // namespace

SubscriptionFeed::SubscriptionFeed(const Subscription& subscription, RowStore& rows,
                                   FeedServices services, SubscriptionStore& store, QObject* parent)
    : QObject(parent),
      subscription_(subscription),
      kept_(store),
      grid_(rows),
      store_(grid_),
      shared_(std::make_shared<Shared>(subscription)) {
  // Discovery stays with the main feed; a failed poll waits for its next tick.
  services.discover = nullptr;
  services = WithDefaults(std::move(services));
  // Every answer through the filter, on the worker that fetched it.
  services.fetch = [inner = services.fetch, shared = shared_](std::string_view host,
                                                              std::string_view path) {
    const bool first_page = IsAction(path, "GetTopDatas");
    if (first_page) {
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (shared->kept_page) {
        std::string body = "@@" + std::to_string(shared->kept_page->size()) + "@@";
        for (const InfoRecord& r : *shared->kept_page) AppendRecord(body, r);
        return body;
      }
    }
    std::string body = inner(host, path);
    if (!HasItems(body) || !(first_page || IsAction(path, "GetNewDatas"))) return body;
    std::vector<InfoRecord> kept;
    const auto keep = [&](const InfoRecordView& view) {
      InfoRecord record = view.ToRecord();
      shared->See(LeadingNumber(record.InfoID));
      if (shared->filter.Matches(record)) kept.push_back(std::move(record));
    };
    std::string out = "@@";
    if (first_page) {
      ParseCountedPage(body, keep);
      // The count is what the list holds: no empty rows below to page into,
      // the server's numbering counts what the filter dropped.
      out += std::to_string(kept.size()) + "@@";
    } else {
      ParseRecords(body, keep);
    }
    for (const InfoRecord& r : kept) AppendRecord(out, r);
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->arrived.insert(shared->arrived.end(), kept.begin(), kept.end());
    return out;
  };

  feed_ = std::make_unique<FeedController>(store_, services);
  paging_ = std::make_unique<PagingController>(*feed_);
  feed_->SetPacing(0, 0, 0);
  // The tab holds the matches the subscription store keeps, newest first:
  // the same list a restart shows. Its rows are not refetched by number,
  // so they keep their texts.
  RowLimits limits;
  limits.spare = 0;
  limits.max_rows = SubscriptionStore::kKeptMatches;
  store_.SetLimits(limits);
  FeedRowRules& rules = store_.Rules();
  rules.type_as_word = false;
  rules.highlight_region = false;
  rules.skip_own_always = true;

  FeedQueries queries;
  queries.first_page = [shared = shared_] { return SubscriptionFirstPagePath(shared->request); };
  queries.new_records = [shared =
                             shared_](const std::string& max_id) -> std::optional<std::string> {
    // From the newest the answers brought, matched or not.
    const std::int64_t from = std::max(LeadingNumber(max_id), shared->newest_seen.load());
    return SubscriptionNewRecordsPath(shared->request, from > 0 ? std::to_string(from) : "");
  };
  queries.page = [shared = shared_](std::int32_t start_num, std::int32_t total) {
    return SubscriptionPagePath(shared->request, start_num, total);
  };
  feed_->SetQueries(std::move(queries));

  connect(feed_.get(), &FeedController::reloadApplied, this, [this](bool filled) {
    TakeArrived(grid_.RowCount(), false);
    // An answer, even without matches (no answer: the reload tries again).
    if (filled || !feed_->ConnectionLost()) emit started(grid_.RowCount());
  });
  connect(feed_.get(), &FeedController::newRecordsApplied, this,
          [this](int inserted) { TakeArrived(inserted, true); });
}

SubscriptionFeed::~SubscriptionFeed() = default;

std::int64_t SubscriptionFeed::NewestSeen() const { return shared_->newest_seen.load(); }

void SubscriptionFeed::Start() {
  // Empty until a first page was answered: then it holds the newest
  // identifier seen, "0" when the search had nothing yet.
  const std::string newest_text = kept_.NewestId(subscription_.id);
  stored_newest_ = newest_text;
  const std::int64_t newest = LeadingNumber(newest_text);
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->arrived.clear();
    if (!newest_text.empty()) {
      std::vector<InfoRecord> page;
      for (StoredMatch& match : kept_.Matches(subscription_.id)) {
        page.push_back(std::move(match.record));
      }
      shared_->kept_page = std::move(page);
    }
  }
  shared_->See(newest);
  started_ = true;
  feed_->SetScrolling(polling_);
  feed_->ReloadFirstPage();
}

void SubscriptionFeed::Stop() {
  started_ = false;
  feed_->Stop();
}

void SubscriptionFeed::SetPolling(bool on) {
  polling_ = on;
  if (started_) feed_->SetScrolling(on);
}

void SubscriptionFeed::TakeArrived(int rows_on_top, bool announce) {
  std::vector<InfoRecord> arrived;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    arrived.swap(shared_->arrived);
    // From now on a reload shows what is kept.
    if (!shared_->kept_page) shared_->kept_page.emplace();
  }
  // What the list took: the records whose rows are on top (the member's own
  // are not put in).
  std::unordered_set<std::string> shown;
  for (int row = 0; row < rows_on_top; ++row) {
    shown.emplace(grid_.CellText(row, kColInfoId));
  }
  std::vector<InfoRecord> taken;
  for (InfoRecord& record : arrived) {
    if (shown.count(record.InfoID) != 0) taken.push_back(std::move(record));
  }
  // A first page lists the newest first; the store keeps them oldest first.
  if (!announce) std::reverse(taken.begin(), taken.end());
  // Matches that could not be kept (a full disk) stay in the list for this
  // run; the stored poll mark then stays behind them for the rest of it, so
  // that the next start asks for them again and keeps them.
  if (!taken.empty() && kept_.AddMatches(subscription_.id, taken) < 0) unkept_ = true;
  // Written when it moved (and once after the first page): most polls of a
  // narrow route bring nothing, and a write each would cost a disk sync.
  const std::string newest = std::to_string(NewestSeen());
  if (!unkept_ && newest != stored_newest_ && kept_.SetNewestId(subscription_.id, newest)) {
    stored_newest_ = newest;
  }
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->kept_page) {
      // The next reload shows these too, newest first.
      for (const InfoRecord& r : taken) shared_->kept_page->insert(shared_->kept_page->begin(), r);
      if (shared_->kept_page->size() > static_cast<std::size_t>(SubscriptionStore::kKeptMatches)) {
        shared_->kept_page->resize(SubscriptionStore::kKeptMatches);
      }
    }
  }
  if (announce && !taken.empty()) emit matchesArrived(taken);
}

}  // namespace tv
