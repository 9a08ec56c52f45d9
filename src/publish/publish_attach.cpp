#include "publish/publish_attach.h"

#include <QAction>
#include <QWidget>

#include "core/notice.h"
#include "publish/keypad_publish_form.h"
#include "publish/quick_publish_form.h"
#include "publish/submission.h"
#include "shell/shell.h"
#include "shell/shell_events.h"
#include "shell/shell_session.h"

namespace tv {

PublishAttachment::PublishAttachment(Shell& shell, std::function<void()> register_member)
    : QObject(shell.Frame()), shell_(shell), register_member_(std::move(register_member)) {
  setObjectName(QStringLiteral("publishing"));
  publisher_ = std::make_unique<PublishController>(Session());
  loop_ = std::make_unique<LoopController>(Session());

  // Both commands stay usable once logged in: who may not publish learns it
  // when asking for a form.
  connect(shell.ClaimCommand(MainCommand::kPublishClassic), &QAction::triggered, this,
          &PublishAttachment::OpenKeypadForm);
  connect(shell.ClaimCommand(MainCommand::kPublishQuick), &QAction::triggered, this,
          &PublishAttachment::OpenQuickForm);
}

PublishAttachment::~PublishAttachment() = default;

PublishForm* PublishAttachment::OpenForm() const { return form_.data(); }

PublishSession PublishAttachment::Session() {
  PublishSession s;
  s.profile = [this] { return shell_.Session().Profile(); };
  s.feed_host = [this] { return shell_.Session().FeedHost(); };
  // Through the session: publications carry the member's key.
  s.fetch = [this](std::string_view verb, std::string_view host, std::string_view path) {
    return shell_.Session().Fetch(verb, host, path);
  };
  s.post_own_message = [this](const OwnMessage& message) {
    emit shell_.Events().ownMessagePublished(message);
  };
  return s;
}

bool PublishAttachment::MayOpenForm() {
  if (!shell_.Session().IsLoggedIn()) return false;
  if (form_) {
    // Closed while it sends: it shows again, still sending.
    if (!form_->isVisible()) Run(form_);
    return false;
  }
  const PublishFormGate gate =
      DecidePublishForm(shell_.Session().Profile(), shell_.Session().Flags());
  switch (gate.kind) {
    case PublishFormGate::Kind::kOpen:
      return true;
    case PublishFormGate::Kind::kRefuse:
      ShowNotice(gate.text);
      return false;
    case PublishFormGate::Kind::kOfferRegistration:
      if (AskYesNo(gate.text) && register_member_) register_member_();
      return false;
  }
  return false;
}

void PublishAttachment::OpenQuickForm() {
  if (!MayOpenForm()) return;
  Run(new QuickPublishForm(*publisher_, *loop_, shell_.Session().Profile(), shell_.Frame()));
}

void PublishAttachment::OpenKeypadForm() {
  if (!MayOpenForm()) return;
  Run(new KeypadPublishForm(*publisher_, *loop_, shell_.Session().Profile(), shell_.Frame()));
}

void PublishAttachment::Run(PublishForm* form) {
  form_ = form;
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->show();
  emit formShown(form);
  form->exec();
}

PublishAttachment& AttachPublishing(Shell& shell, std::function<void()> register_member) {
  auto* attachment = new PublishAttachment(shell, std::move(register_member));
  return *attachment;
}

PublishAttachment* PublishingOf(Shell& shell) {
  return shell.Frame()->findChild<PublishAttachment*>(QStringLiteral("publishing"),
                                                      Qt::FindDirectChildrenOnly);
}

}  // namespace tv
