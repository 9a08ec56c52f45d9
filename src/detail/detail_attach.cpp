#include "detail/detail_attach.h"

#include "core/build_constants.h"
#include "grid/row_store.h"
#include "shell/shell.h"
#include "shell/shell_session.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr char kAttachmentName[] = "detailAttachment";

}  // namespace

DetailAttachment::DetailAttachment(Shell& shell) : QObject(shell.Frame()), shell_(shell) {
  setObjectName(QString::fromLatin1(kAttachmentName));
  ShellSession& session = shell.Session();
  // Through the session: the friends pages carry the member's key.
  loader_ = new FriendsLoader(
      friends_,
      [&session](std::string_view host, std::string_view path) {
        return session.Fetch("GET", host, path);
      },
      [&session] { return session.FeedHost(); }, this);

  DetailView::Owner owner;
  owner.viewer = [&session] {
    return ViewerOf(session.Profile(), session.Flags(), session.IsLoggedIn());
  };
  owner.friend_listed = [this](std::string_view user_id) {
    for (const FriendRow& row : friends_.Rows()) {
      if (row.user_id == user_id) return true;
    }
    return false;
  };
  owner.feed_host = [&session] { return session.FeedHost(); };
  owner.open_profile = [this](const std::string& user_id) { shell_.OpenMemberProfile(user_id); };
  owner.site = WebHost();
  view_ =
      new DetailView(shell.Frame(), owner,
                     [&session](std::string_view verb, std::string_view host,
                                std::string_view path) { return session.Fetch(verb, host, path); });

  InfoGrid* grid = shell.Grid();
  connect(grid, &InfoGrid::doubleClicked, this, [this, grid](int row, int column) {
    const RowStore& rows = grid->Store();
    view_->OnRowDoubleClick(
        column, [&rows, row](int c) { return std::string(rows.GetCellText(row, c)); }, true,
        main_row_extras_ ? main_row_extras_(row) : RowExtras{});
  });
  connect(view_, &DetailView::friendAdded, this, [this](const AddedFriend& row) {
    friends_.Append(FriendRow{row.entry_id, row.name, row.qq, row.net_phone, row.user_id});
  });
  connect(&session, &ShellSession::loggedIn, this,
          [this, &session] { loader_->LoadFriends(session.Profile().UserId); });
}

DetailAttachment& AttachDetail(Shell& shell) { return *new DetailAttachment(shell); }

DetailAttachment* DetailOf(Shell& shell) {
  return shell.Frame()->findChild<DetailAttachment*>(QString::fromLatin1(kAttachmentName),
                                                     Qt::FindDirectChildrenOnly);
}

}  // namespace tv
