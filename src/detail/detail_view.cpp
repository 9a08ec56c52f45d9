#include "detail/detail_view.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>
#include <utility>

#include "core/notice.h"

namespace tv {

bool StartQqChat(const std::string& address) {
  // The address is built from digits and our own texts only, so it is ASCII.
  return QDesktopServices::openUrl(QUrl(QString::fromLatin1(address), QUrl::StrictMode));
}

DetailView::DetailView(QWidget* window, Owner owner, AddFriendRequest::Fetch fetch)
    : QObject(window),
      window_(window),
      owner_(std::move(owner)),
      add_friend_(new AddFriendRequest(std::move(fetch), this)) {
  connect(add_friend_, &AddFriendRequest::friendAdded, this, &DetailView::friendAdded);
}

void DetailView::OnRowDoubleClick(int column, const RowCellReader& cell, bool member_only_chat,
                                  RowExtras extras) {
  DetailViewer viewer = owner_.viewer ? owner_.viewer() : DetailViewer{};
  RowDoubleClick action = DecideRowDoubleClick(column, cell, viewer, member_only_chat, owner_.site);
  switch (action.kind) {
    case RowDoubleClick::Kind::kNothing:
      return;
    case RowDoubleClick::Kind::kCopyOnly:
    case RowDoubleClick::Kind::kShowDetail:
      // The block action goes with the message it was made for.
      current_ = CurrentMessageFromRow(cell);
      current_.CopyTimes = std::move(extras.copy_times);
      block_member_ = std::move(extras.block_member);
      if (action.kind == RowDoubleClick::Kind::kShowDetail) ShowDetail();
      return;
    case RowDoubleClick::Kind::kOpenChat:
      StartQqChat(action.text);
      return;
    case RowDoubleClick::Kind::kNotice:
      ShowNotice(action.text);
      return;
  }
}

void DetailView::ShowDetail() {
  DetailViewer viewer = owner_.viewer ? owner_.viewer() : DetailViewer{};
  DetailActions actions;
  actions.add_friend = [this] { AddFriend(); };
  actions.open_profile = owner_.open_profile;
  actions.block_member = block_member_;
  // The window and its countdown timer end with this call. Held by a guarded
  // pointer: should the owner go away while it runs, the owner frees it.
  QPointer<DetailWindow> window = new DetailWindow(current_, viewer, std::move(actions), window_);
  open_window_ = window;
  emit windowOpened(window);
  if (window) window->exec();
  delete window;
}

void DetailView::AddFriend() {
  DetailViewer viewer = owner_.viewer ? owner_.viewer() : DetailViewer{};
  std::string host = owner_.feed_host ? owner_.feed_host() : std::string{};
  add_friend_->Start(current_, viewer, owner_.friend_listed, host);
}

}  // namespace tv
