#pragma once
// How the window and its features talk without knowing each other. The window
// emits its commands and toggles here; features emit what others may want to
// follow (an own message published, the main list rebuilt, display settings
// saved) and connect to what they follow. QtCore only.
#include <QObject>

#include "core/own_message.h"

namespace tv {

enum class PageCommand;

class ShellEvents : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  // --- from the window -----------------------------------------------------------
  // One of the six views was chosen: "inType" and direction.
  void viewChosen(int view_type, int direction);
  // "刷新显示" and the four page buttons.
  void pageCommand(tv::PageCommand command);
  // The scrolling toggle (the live lists' polls stop and start with it).
  void scrollingChanged(bool on);
  // The masking toggle, or the lock the login put on it.
  void maskingChanged(bool masked);

  // --- between features ------------------------------------------------------------
  // The member's own message was published and its identifier and display
  // text are known: lists that show it put it on top when it concerns them.
  void ownMessagePublished(const tv::OwnMessage& message);
  // The main list rebuilt the rows on screen (new deleted or closed
  // identifiers): other lists built from the same marks rebuild theirs.
  void mainRowsRebuilt();
  // The display settings (colours, font, tree side) were saved: everything
  // that paints rows reads them again.
  void displaySettingsChanged();
  // The side of the region tree was chosen (and stored): the window moves
  // the tree there at once.
  void treeSideChanged();
  // The main list's first page after a login was written, or did not come:
  // what waited so as not to hold the list up may start once it is painted.
  void mainListStarted();
  // Folding the copies of a message into one row was switched (tool-bar
  // button, preferences): every list folds or unfolds.
  void foldingChanged(bool on);
  // A member was blocked or unblocked (BlockedMembers::Shared()): every
  // list hides or shows his rows.
  void blockedMembersChanged();
};

}  // namespace tv
