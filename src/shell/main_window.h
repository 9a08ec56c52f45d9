#pragma once
// The client's single top-level window: menus, the row of buttons, the region
// tree panel, the information grid, the status line with the counts, the two
// advert pages, and the web page window its menu items open. Features attach
// to it through the Shell interface (shell/shell.h); the program builds it on
// its login sequence and servers (ShellEnvironment).
//
// Order after a successful login: the title is set (a window of the same
// title on the desktop closes this one), masking is locked for restricted
// members, the session signs in (loggedIn(): the features start), the window
// shows maximised and shownAfterLogin() follows. The two advert pages load
// once the main list's first page is painted (ShellEvents::mainListStarted),
// or a moment later without a list; the advert views, and with them the web
// engine, are made then (advertsLoading()).
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <string>
#include <vector>

#include "net/login_answer.h"
#include "shell/shell.h"
#include "shell/shell_events.h"
#include "shell/shell_session.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTimer;
class QWebEngineView;

namespace tv {

class InfoGrid;
class WebPageWindow;

class MainWindow : public QMainWindow, public Shell {
  Q_OBJECT

 public:
  explicit MainWindow(ShellEnvironment environment, QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- Shell -------------------------------------------------------------------
  QWidget* Frame() override { return this; }
  ShellSession& Session() override { return *session_; }
  ShellEvents& Events() override { return *events_; }
  QAction* ClaimCommand(MainCommand command, CommandRule rule = {}) override;
  void RefreshCommands() override;
  QPushButton* Button(MainButton id) const override;
  InfoGrid* Grid() const override { return grid_; }
  QLabel* CaptionLabel() const override { return caption_label_; }
  QLabel* TotalLabel() const override { return total_label_; }
  QLabel* NationalLabel() const override { return national_label_; }
  QWidget* TreeArea() const override { return tree_area_; }
  void OpenLowerPanel(QWidget* panel) override;
  void CloseLowerPanel() override;
  bool LowerPanelOpen() const override { return lower_panel_open_; }
  void ShowStatus(const QString& text) override;
  bool Masked() const override { return masked_; }
  bool ScrollingOn() const override { return scrolling_on_; }
  void OpenWebAddress(const QString& url, const QString& title) override;
  void OpenMemberProfile(const std::string& user_id) override;
  void RunLoginLoop() override;

  // --- the program and tests -----------------------------------------------------
  // The login sequence succeeded for this member: the post-login set-up.
  void LoginSucceeded(const MemberProfile& profile, const LoginFlags& flags);
  bool IsLoggedIn() const { return session_->IsLoggedIn(); }
  QLabel* StatusLabel() const { return status_label_; }
  QMenu* ViewMenu() const { return view_menu_; }
  QMenu* ViewPopup() const { return view_popup_; }
  // The six views in menu order; index i of both lists is the same view.
  const std::array<QAction*, 6>& ViewActions() const { return view_menu_actions_; }
  const std::array<QAction*, 6>& ViewPopupActions() const { return view_popup_actions_; }
  QAction* CommandAction(MainCommand command) const;
  // The advert views; null before the first login.
  QWebEngineView* AdvertView(int which) const { return which == 0 ? advert1_ : advert2_; }
  // Asks again for the advert pages that failed to load (the service was
  // gone); a timer does it half a minute after a failure.
  void RetryFailedAdverts();
  bool WebPageOpen() const { return !web_page_.isNull(); }
  WebPageWindow* WebPage() const;

  // --- commands ------------------------------------------------------------------
  // Caption and check mark of view `index` (0..5), then viewChosen() with its
  // "inType" and direction. `from_popup` gives the pop-up's caption spelling.
  void SelectView(int index, bool from_popup = false);
  void SetScrolling(bool on);
  void SetMasked(bool masked);
  void SetTreeShown(bool shown);
  // The member's own messages (modal); refused for guests and members
  // without contact rights.
  void OpenOwnMessages();
  // Starts the calculator or text editor of the desktop.
  void StartCalculator();
  void StartTextEditor();
  void ShowAbout();

 signals:
  // The window finished its post-login set-up and is shown.
  void shownAfterLogin();
  // The advert views exist and their pages are asked for (after each login,
  // once the main list's first page is on screen).
  void advertsLoading();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Claim {
    MainCommand command;
    CommandRule rule;
  };

  void BuildControls();
  void BuildMenus();
  void BuildWebMenus(QMenu* system_menu);
  void LayOutTree();
  void LockMask();
  // The advert pages of the last login, when the main list has been painted.
  void LoadAdvertsAfterListPaint();
  void LoadAdverts();
  // A menu item (of a menu or the menu bar) that opens a page of the web site.
  QAction* AddWebItem(QWidget* menu, const QString& caption, const char* path,
                      const QString& title = QString());
  void StartFirstProgram(bool calculator);
  // The hosts whose pages the web views show: portal, web and data hosts.
  std::vector<std::string> WebViewHosts() const;

  ShellSession* session_;
  ShellEvents* events_;
  bool masked_ = false;
  bool mask_locked_ = false;  // the masking button cannot be pressed
  bool scrolling_on_ = true;
  bool tree_left_ = true;
  bool tree_shown_ = true;
  // The member drags the border between the tree and the list; the width is
  // kept for the next run once the dragging stops.
  QSplitter* tree_split_ = nullptr;
  int tree_width_ = 0;
  QTimer* tree_width_save_ = nullptr;
  bool lower_panel_open_ = false;
  std::vector<Claim> claims_;

  InfoGrid* grid_ = nullptr;
  QWidget* tree_area_ = nullptr;
  QWidget* lower_area_ = nullptr;
  QWidget* grid_column_ = nullptr;
  QWidget* central_ = nullptr;
  QLabel* caption_label_ = nullptr;
  QLabel* total_label_ = nullptr;
  QLabel* national_label_ = nullptr;
  QLabel* status_label_ = nullptr;
  QWidget* adverts_ = nullptr;  // the strip the two pages go into
  QWebEngineView* advert1_ = nullptr;
  QWebEngineView* advert2_ = nullptr;
  // The pages the last login asked for, while they wait for the list.
  std::array<QUrl, 2> advert_urls_;
  bool adverts_pending_ = false;
  QTimer* advert_fallback_ = nullptr;
  std::array<bool, 2> advert_failed_{};
  QTimer* advert_retry_ = nullptr;
  QMenu* view_menu_ = nullptr;
  QMenu* view_popup_ = nullptr;
  std::array<QAction*, 6> view_menu_actions_{};
  std::array<QAction*, 6> view_popup_actions_{};
  std::array<QAction*, 6> command_actions_{};
  std::array<QPushButton*, 23> buttons_{};  // by control number - 1001
  QPointer<WebPageWindow> web_page_;
  QPointer<QWidget> login_form_;
};

}  // namespace tv
