#pragma once
// `tarvolo-service admin …`: operator accounts and the console's actions from
// a shell.

namespace tv {

// Runs the command when argv[1] is "admin"; returns its exit status, or -1
// when the command line is not one.
int RunAdminCommand(int argc, char** argv);

}  // namespace tv
