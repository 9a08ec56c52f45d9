#pragma once
// The main window as a feature sees it: the frame that the feed, the detail
// view, publishing, search and account attach to, without the window knowing
// their insides. A feature's Attach…(Shell&) is called once by the program,
// after the window is built and before the login loop runs; the feature
// makes its objects children of Frame() and connects to what it needs here.
//
//   Session()   who is logged in (profile, flags), the feed's data server,
//               the current host and server discovery; loggedIn() fires once
//               the login loop succeeded, before the window shows.
//   Events()    how features talk without knowing each other: the window's
//               toggles and commands, an own message published, the main
//               list rebuilt, display settings changed (ShellEvents).
//   Commands    the menu items and buttons whose forms a feature owns
//               (search, publish, preferences). The window keeps their
//               captions and places; ClaimCommand() hands the feature the
//               action and says when it may be used. Until claimed they stay
//               disabled.
//   Areas       the main list (Grid()) with its caption strip and count
//               labels, the panel beside it (TreeArea()), a panel that splits
//               in below the list (OpenLowerPanel()), the status line.
//   Pages       the web page window: OpenWebAddress(), OpenMemberProfile().
//
// Settings are read and written with the functions of settings/values.h;
// notices and yes/no questions go through ShowNotice()/AskYesNo() of
// core/notice.h (tests install a recorder).
#include <QString>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace tv {

class InfoGrid;
class ShellEvents;
class ShellSession;

// Control numbers of the window's buttons.
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
  kButtonSubscriptions = 1022,
  kButtonFold = 1023,  // checkable: the copies of a message folded into one row
};

// Menu items (and the buttons that follow them) whose forms belong to a
// feature.
enum class MainCommand {
  kLocalSearch,
  kWideSearch,
  kPublishClassic,
  kPublishQuick,
  kPreferences,
  kSubscriptions,
};

// When a claimed command may be used, asked once the member is logged in
// and again at RefreshCommands(). Before login every claimed command is
// disabled and its trigger ignored. Unset: whenever logged in.
using CommandRule = std::function<bool(const ShellSession& session)>;

// The page buttons and "刷新显示".
enum class PageCommand { kReload, kTop, kPageUp, kPageDown, kEnd };

class Shell {
 public:
  // --- the frame and its session ----------------------------------------------
  // The main window: parent of a feature's objects and dialogs.
  virtual QWidget* Frame() = 0;
  virtual ShellSession& Session() = 0;
  virtual ShellEvents& Events() = 0;

  // --- commands ----------------------------------------------------------------
  // The action of `command`, enabled by `rule` from now on; connect its
  // triggered(). Its button, where it has one, follows it. A new command of
  // a feature gets a MainCommand and its place in the window's menus.
  virtual QAction* ClaimCommand(MainCommand command, CommandRule rule = {}) = 0;
  // Asks every claimed command's rule again (after what a rule reads changed).
  virtual void RefreshCommands() = 0;
  // A button by its control number (a pop-up opens below it).
  virtual QPushButton* Button(MainButton id) const = 0;

  // --- areas -------------------------------------------------------------------
  // The main list and the labels around it.
  virtual InfoGrid* Grid() const = 0;
  virtual QLabel* CaptionLabel() const = 0;
  virtual QLabel* TotalLabel() const = 0;
  virtual QLabel* NationalLabel() const = 0;
  // An empty panel (vertical layout) at the tree side, 126 wide until the
  // member drags its border.
  virtual QWidget* TreeArea() const = 0;
  // Splits the message area: the list keeps its upper third, `panel` takes
  // the rest below a splitter bar. The window takes ownership of `panel`; a
  // panel already open is replaced.
  virtual void OpenLowerPanel(QWidget* panel) = 0;
  // Hides the lower panel; the list takes the whole area again.
  virtual void CloseLowerPanel() = 0;
  virtual bool LowerPanelOpen() const = 0;
  // The text at the left of the status line.
  virtual void ShowStatus(const QString& text) = 0;

  // --- the window's toggles (their changes: ShellEvents) ---------------------------
  // Telephones and user names hidden in the lists.
  virtual bool Masked() const = 0;
  // The live lists poll for new messages.
  virtual bool ScrollingOn() const = 0;

  // --- pages and login -----------------------------------------------------------
  // The web page window: at most one at a time; nothing while one is open.
  virtual void OpenWebAddress(const QString& url, const QString& title) = 0;
  // A member's profile page; nothing for an empty identifier or "0".
  virtual void OpenMemberProfile(const std::string& user_id) = 0;
  // Runs the login loop (a click that needs a member, made before login).
  virtual void RunLoginLoop() = 0;

 protected:
  ~Shell() = default;
};

}  // namespace tv
