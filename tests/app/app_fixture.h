#pragma once
// Shared pieces of the client's tests: a fresh settings store in a temp
// folder, a port where nothing listens, waiting on a condition.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "settings/store.h"

namespace tv {

class TempSettings {
 public:
  TempSettings() { UseSettingsStore(SettingsStore::Open(Path())); }
  ~TempSettings() { UseSettingsStore(nullptr); }
  std::string Path() const { return dir_.filePath(QStringLiteral("settings.db")).toStdString(); }
  std::string Dir() const { return dir_.path().toStdString(); }

 private:
  QTemporaryDir dir_;
};

// "127.0.0.1:PORT" of a port held bound but not listening for the rest of
// the run: connections to it are refused at once.
std::string DeadHost();

// Runs the event loop until `done` holds or `timeout_ms` passed.
bool WaitFor(const std::function<bool()>& done, int timeout_ms = 20000);

// One QCoreApplication for the whole test program.
QCoreApplication& TestApp();

}  // namespace tv
