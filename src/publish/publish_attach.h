#pragma once
// Wires publishing into the main window: the menu items "发布信息(经典)" and
// "发布信息(改进)" (and the buttons that follow them) open the two forms once
// the member has logged in and may publish (a guest is offered registration,
// a member without the right is told); the publish controller and the loop
// re-send live for the run; accepted messages go to the lists as the shell's
// ownMessagePublished. Called once, before the login loop.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "publish/loop_controller.h"
#include "publish/publish_controller.h"

namespace tv {

class PublishForm;
class Shell;

class PublishAttachment : public QObject {
  Q_OBJECT

 public:
  // `register_member` opens the registration form (for a guest who asks for
  // a publishing form and wants to register).
  PublishAttachment(Shell& shell, std::function<void()> register_member);
  ~PublishAttachment() override;

  PublishController& Publisher() { return *publisher_; }
  LoopController& Loop() { return *loop_; }
  // The form shown now (nullptr when none).
  PublishForm* OpenForm() const;

  // The two forms, modal; nothing before login. A form closed while it
  // sends comes back instead of a new one.
  void OpenQuickForm();
  void OpenKeypadForm();

 signals:
  void formShown(tv::PublishForm* form);

 private:
  PublishSession Session();
  // Whether a new form may open now (its notice or question when not).
  bool MayOpenForm();
  void Run(PublishForm* form);

  Shell& shell_;
  std::function<void()> register_member_;
  std::unique_ptr<PublishController> publisher_;
  std::unique_ptr<LoopController> loop_;
  QPointer<PublishForm> form_;
};

PublishAttachment& AttachPublishing(Shell& shell, std::function<void()> register_member = {});
// The attachment of a window that AttachPublishing wired (nullptr otherwise).
PublishAttachment* PublishingOf(Shell& shell);

}  // namespace tv
