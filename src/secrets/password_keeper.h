#pragma once
// Where the member's remembered password lives: in the desktop's keyring (the
// Secret Service) whenever one answers, never beside the other settings; in
// the settings store (a file only its owner reads) only where no keyring
// answers, as on a bare X session or a server. A password that the settings
// store holds from before is moved into the keyring and erased from the file.
//
// Keyring calls are asynchronous: every operation queues one step, the steps
// run one after another in the order called, and each ends in a signal. The
// event loop of the calling thread must run.
#include <QByteArray>
#include <QObject>
#include <deque>
#include <functional>
#include <string>

namespace tv {

class PasswordKeeper : public QObject {
  Q_OBJECT

 public:
  enum class Place { kUnknown, kKeyring, kSettingsFile };
  Q_ENUM(Place)

  explicit PasswordKeeper(QObject* parent = nullptr);
  ~PasswordKeeper() override;

  // A password in the settings store goes into the keyring and is erased
  // from the store; with nothing to move the keyring is only asked whether it
  // answers. Either way place() is known afterwards.
  void MoveFromSettings();
  // Ends in passwordRead(): the keyring's, else the settings store's, else
  // empty.
  void Read();
  // Ends in kept(): the keyring's place, else the settings store's (whose
  // failed write shows the store's notice).
  void Keep(std::string gbk_password);
  // Removes the password from both places.
  void Forget();

  // Where the password goes: unknown until the keyring first answered or
  // failed to.
  Place place() const { return place_; }
  bool Busy() const { return running_ || !steps_.empty(); }

 signals:
  void passwordRead(const QByteArray& gbk_password);
  void kept(tv::PasswordKeeper::Place place);
  // place() changed (from unknown, or because the keyring came or went).
  void placeChanged(tv::PasswordKeeper::Place place);
  // The last queued step is done.
  void idle();

 private:
  enum class Answer { kOk, kNotFound, kNoKeyring };
  using Step = std::function<void()>;

  void Queue(Step step);
  void RunNext();
  void StepDone();
  void SetPlace(Place place);

  void ReadKeyring(std::function<void(Answer, QByteArray)> done);
  void WriteKeyring(const std::string& gbk_password, std::function<void(Answer)> done);
  void DeleteKeyring(std::function<void()> done);

  Place place_ = Place::kUnknown;
  std::deque<Step> steps_;
  bool running_ = false;
};

}  // namespace tv
