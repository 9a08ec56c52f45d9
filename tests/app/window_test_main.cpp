// GoogleTest main of the programs that run the real main window: the
// application object a test made ends before the program does, so the web
// engine is shut down while everything it uses still exists.
#include <gtest/gtest.h>

#include "window_app.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  tv::EndMainWindowTestApp();
  return result;
}
