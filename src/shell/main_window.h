#pragma once
// The client's single top-level window: menus, the row of buttons, the region
// tree panel, the information grid, the status line with the counts, the two
// advert pages, and the web page window its menu items open.
//
// How other parts of the client plug in (they connect; this file needs no edit):
//
//   AttachFeed(MainWindow&) (feed/feed_attach.h) is called once, right after
//   construction and before the login loop runs. It may take:
//     Grid()                the information grid (InfoGrid) in the middle
//     TreeArea()            an empty panel (vertical layout) at the tree side,
//                           126 wide; the region tree goes in here
//     CaptionLabel()        the caption line above the grid (region caption)
//     TotalLabel(), NationalLabel()   the count labels of the status line
//     SearchArea()          an empty panel below the grid, hidden until
//                           SetSearchPanelOpen(true) gives it two thirds
//     Button(id)            every button by its control number (1001 ... 1021)
//     ViewMenu(), ViewPopup(), ViewActions()   the six views in both menus
//     CommandAction(c)      menu items of commands whose forms come later
//                           (search, publish, preferences); they start disabled
//     State()               the view state (ViewType, ViewDirection, Masked ...)
//     Profile(), Flags(), FeedHost(), SetFeedHost(), IsLoggedIn(), Environment()
//   and listen to the signals below. The window itself only keeps captions,
//   check marks and flags right; the work behind a view change, a reload, the
//   page buttons, scrolling and masking is done by whoever connects to them.
//
// Order after a successful login: LoggedIn and FeedHost are set, the title is
// set, masking is forced for restricted members, then loggedIn() is emitted
// (the feed starts its first page, friends, tree and counts), then the two
// advert pages load and the window shows maximised.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "net/login_answer.h"

class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QWebEngineView;
class QSplitter;

namespace tv {

class InfoGrid;
class WebPageWindow;

// What the program hands the window: its login sequence and its servers. The
// window knows neither the login form nor the discovery behind them.
struct ShellEnvironment {
  // A new login form, not yet shown; the window opens it and it deletes
  // itself when closed. Accepted: the member asked to log in.
  std::function<QDialog*()> login_form;
  // After an accepted form: the login request. It ends in LoginSucceeded()
  // or, after its notice, in RunLoginLoop() again.
  std::function<void()> authenticate;
  // The data server discovery settled on (any thread).
  std::function<std::string()> current_host;
  // A new discovery; true when the current host answered (worker thread).
  std::function<bool()> discover;
};

// View and display state read and written by the feed.
struct MainViewState {
  int view_type = 8;       // "inType": 0 cargo, 1 trucks, 8 both
  int view_direction = 0;  // 0 departing, 1 arriving, 2 one friend, 8 whole country
  std::string view_friend_id;
  bool masked = false;
  bool mask_locked = false;  // the masking button cannot be pressed
  bool scrolling_on = true;
  bool tree_left = true;
  bool tree_shown = true;
  bool search_panel_open = false;
  int refresh_period_ms = 10000;
};

// Control numbers of the buttons.
enum MainButton : int {
  kButtonView = 1001,
  kButtonMultiArea = 1002,
  kButtonScroll = 1003,
  kButtonMask = 1004,
  kButtonSearch1 = 1005,
  kButtonSearch2 = 1006,
  kButtonPublish1 = 1007,
  kButtonPublish2 = 1008,
  kButtonTree = 1009,
  kButtonReload = 1017,
  kButtonTop = 1018,
  kButtonPageUp = 1019,
  kButtonPageDown = 1020,
  kButtonEnd = 1021,
};

// Menu items (and their buttons) whose forms belong to other parts of the
// client; disabled until those parts connect and enable them.
enum class MainCommand {
  kLocalSearch,
  kWideSearch,
  kPublishClassic,
  kPublishQuick,
  kPreferences,
};

// The page buttons and "刷新显示".
enum class PageCommand { kReload, kTop, kPageUp, kPageDown, kEnd };

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(ShellEnvironment environment, QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- session -------------------------------------------------------------
  bool IsLoggedIn() const { return logged_in_; }
  const MemberProfile& Profile() const { return profile_; }
  const LoginFlags& Flags() const { return flags_; }
  const std::string& FeedHost() const { return feed_host_; }
  void SetFeedHost(std::string host) { feed_host_ = std::move(host); }
  MainViewState& State() { return state_; }
  const ShellEnvironment& Environment() const { return environment_; }

  // --- areas and controls ----------------------------------------------------
  InfoGrid* Grid() const { return grid_; }
  QWidget* TreeArea() const { return tree_area_; }
  QWidget* SearchArea() const { return search_area_; }
  QLabel* CaptionLabel() const { return caption_label_; }
  QLabel* TotalLabel() const { return total_label_; }
  QLabel* NationalLabel() const { return national_label_; }
  QLabel* StatusLabel() const { return status_label_; }
  QPushButton* Button(MainButton id) const;
  QMenu* ViewMenu() const { return view_menu_; }
  QMenu* ViewPopup() const { return view_popup_; }
  // The six views in menu order; index i of both lists is the same view.
  const std::array<QAction*, 6>& ViewActions() const { return view_menu_actions_; }
  const std::array<QAction*, 6>& ViewPopupActions() const { return view_popup_actions_; }
  QAction* CommandAction(MainCommand command) const;
  QWebEngineView* AdvertView(int which) const { return which == 0 ? advert1_ : advert2_; }

  // --- commands --------------------------------------------------------------
  // Runs the login loop (hides the window; shows the login form).
  void RunLoginLoop();
  // The login sequence succeeded for this member: the post-login set-up.
  void LoginSucceeded(const MemberProfile& profile, const LoginFlags& flags);
  // Sets caption, check mark and view state of view `index` (0..5), then
  // emits viewSelected(). `from_popup` gives the pop-up's caption spelling.
  void SelectView(int index, bool from_popup = false);
  void SetScrolling(bool on);
  void SetMasked(bool masked);
  void SetTreeShown(bool shown);
  void SetSearchPanelOpen(bool open);

  // The web page window: at most one at a time; nothing while one is open.
  void OpenWebAddress(const QString& url, const QString& title);
  // The member's own messages (modal); refused for guests and members
  // without contact rights.
  void OpenOwnMessages();
  // A member's profile page; nothing for an empty identifier or "0".
  void OpenMemberProfile(const std::string& user_id);
  bool WebPageOpen() const { return !web_page_.isNull(); }
  WebPageWindow* WebPage() const;

  // Starts the calculator or text editor of the desktop.
  void StartCalculator();
  void StartTextEditor();
  void ShowAbout();

 signals:
  // The login loop succeeded and the post-login set-up reached the feed.
  void loggedIn();
  // A view was chosen (state already updated): reload the first page.
  void viewSelected();
  // "刷新显示" and the four page buttons.
  void pageCommand(tv::PageCommand command);
  // After the scrolling / masking toggles changed the state.
  void scrollingToggled(bool on);
  void maskToggled(bool masked);
  // The window finished its post-login set-up and is shown.
  void shownAfterLogin();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void BuildWebMenus(QMenu* system_menu);
  void LayOutTree();
  QAction* AddWebItem(QMenu* menu, const QString& caption, const char* path,
                      const QString& title = QString());
  void StartFirstProgram(bool calculator);

  ShellEnvironment environment_;
  MemberProfile profile_;
  LoginFlags flags_;
  MainViewState state_;
  bool logged_in_ = false;
  std::string feed_host_;
  std::string window_title_;

  InfoGrid* grid_ = nullptr;
  QWidget* tree_area_ = nullptr;
  QWidget* search_area_ = nullptr;
  QWidget* grid_column_ = nullptr;
  QWidget* central_ = nullptr;
  QLabel* caption_label_ = nullptr;
  QLabel* total_label_ = nullptr;
  QLabel* national_label_ = nullptr;
  QLabel* status_label_ = nullptr;
  QWebEngineView* advert1_ = nullptr;
  QWebEngineView* advert2_ = nullptr;
  QMenu* view_menu_ = nullptr;
  QMenu* view_popup_ = nullptr;
  std::array<QAction*, 6> view_menu_actions_{};
  std::array<QAction*, 6> view_popup_actions_{};
  std::array<QAction*, 5> command_actions_{};
  std::array<QPushButton*, 21> buttons_{};  // by control number - 1001
  QPointer<WebPageWindow> web_page_;
  QPointer<QWidget> login_form_;
};

}  // namespace tv
