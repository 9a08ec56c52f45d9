#include "secrets/password_keeper.h"

#include <qt6keychain/keychain.h>

#include "core/gbk.h"
#include "settings/store.h"
#include "settings/values.h"

namespace tv {
namespace {

// The keyring entry: this program's, named as the setting it replaces.
const QString kService = QStringLiteral("tarvolo");
const QString kKey = QStringLiteral("passwordtavrelomin");

// The copy the settings store holds, empty when none.
std::string SettingsCopy() {
  std::string stored = ReadSetting(kMainKey, kPassword);
  return stored == kError ? std::string() : stored;
}

}  // namespace

PasswordKeeper::PasswordKeeper(QObject* parent) : QObject(parent) {}

PasswordKeeper::~PasswordKeeper() = default;

void PasswordKeeper::Queue(Step step) {
  steps_.push_back(std::move(step));
  if (!running_) RunNext();
}

void PasswordKeeper::RunNext() {
  if (steps_.empty()) {
    emit idle();
    return;
  }
  running_ = true;
  Step step = std::move(steps_.front());
  steps_.pop_front();
  step();
}

void PasswordKeeper::StepDone() {
  running_ = false;
  RunNext();
}

void PasswordKeeper::SetPlace(Place place) {
  if (place == place_) return;
  place_ = place;
  emit placeChanged(place);
}

void PasswordKeeper::MoveFromSettings() {
  Queue([this] {
    const std::string stored = SettingsCopy();
    if (stored.empty()) {
      ReadKeyring([this](Answer answer, const QByteArray&) {
        SetPlace(answer == Answer::kNoKeyring ? Place::kSettingsFile : Place::kKeyring);
        StepDone();
      });
      return;
    }
    WriteKeyring(stored, [this](Answer answer) {
      if (answer == Answer::kOk) {
        EraseSetting(kMainKey, kPassword);
        SetPlace(Place::kKeyring);
      } else {
        SetPlace(Place::kSettingsFile);
      }
      StepDone();
    });
  });
}

void PasswordKeeper::Read() {
  Queue([this] {
    ReadKeyring([this](Answer answer, const QByteArray& secret) {
      SetPlace(answer == Answer::kNoKeyring ? Place::kSettingsFile : Place::kKeyring);
      if (answer == Answer::kOk) {
        emit passwordRead(secret);
      } else {
        // No keyring, or none in it: a copy an older client left in the
        // settings store still serves.
        const std::string stored = SettingsCopy();
        emit passwordRead(QByteArray(stored.data(), static_cast<qsizetype>(stored.size())));
      }
      StepDone();
    });
  });
}

void PasswordKeeper::Keep(std::string gbk_password) {
  Queue([this, password = std::move(gbk_password)] {
    WriteKeyring(password, [this, password](Answer answer) {
      if (answer == Answer::kOk) {
        EraseSetting(kMainKey, kPassword);
        SetPlace(Place::kKeyring);
      } else {
        SetStoredPassword(password);
        SetPlace(Place::kSettingsFile);
      }
      emit kept(place_);
      StepDone();
    });
  });
}

void PasswordKeeper::Forget() {
  Queue([this] {
    DeleteKeyring([this] {
      EraseSetting(kMainKey, kPassword);
      StepDone();
    });
  });
}

namespace {

// Found, not there, or no keyring to ask (no session bus, no Secret Service,
// a locked keyring whose prompt was refused, an error on the way).
template <typename Answer>
Answer AnswerOf(const QKeychain::Job& job) {
  switch (job.error()) {
    case QKeychain::NoError:
      return Answer::kOk;
    case QKeychain::EntryNotFound:
      return Answer::kNotFound;
    default:
      return Answer::kNoKeyring;
  }
}

// A job without a parent that deletes itself once it has finished: the
// keyring library calls back into it whenever the answer comes, so it must
// outlive the keeper that started it. What it reports after the keeper is
// gone goes nowhere (the keeper is the context of the connections).
template <typename Job>
Job* NewJob() {
  auto* job = new Job(kService);
  job->setAutoDelete(true);
  job->setKey(kKey);
  return job;
}

}  // namespace

void PasswordKeeper::ReadKeyring(std::function<void(Answer, QByteArray)> done) {
  auto* job = NewJob<QKeychain::ReadPasswordJob>();
  connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
    auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
    const Answer answer = AnswerOf<Answer>(*read);
    done(answer, answer == Answer::kOk ? read->binaryData() : QByteArray());
  });
  job->start();
}

void PasswordKeeper::WriteKeyring(const std::string& gbk_password,
                                  std::function<void(Answer)> done) {
  auto* job = NewJob<QKeychain::WritePasswordJob>();
  // GBK bytes as they are: the keyring keeps what the login request sends.
  job->setBinaryData(QByteArray(gbk_password.data(), static_cast<qsizetype>(gbk_password.size())));
  connect(job, &QKeychain::Job::finished, this,
          [done = std::move(done)](QKeychain::Job* j) { done(AnswerOf<Answer>(*j)); });
  job->start();
}

void PasswordKeeper::DeleteKeyring(std::function<void()> done) {
  auto* job = NewJob<QKeychain::DeletePasswordJob>();
  connect(job, &QKeychain::Job::finished, this,
          [done = std::move(done)](QKeychain::Job*) { done(); });
  job->start();
}

}  // namespace tv
