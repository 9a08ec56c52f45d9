#pragma once
// The test client's driver of registration and the preferences (see
// account_driver.cpp for its commands).
class QAction;

namespace tv {

class Shell;

// Installed when TARVOLO_TEST_ACCOUNT_INPUT names a FIFO; `preferences` is
// the claimed "系统设置" action.
void InstallAccountDriver(Shell& shell, QAction* preferences);

}  // namespace tv
