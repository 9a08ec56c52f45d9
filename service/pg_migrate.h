#pragma once
// `tarvolo-service migrate`: a PostgreSQL database of the first recipe
// (SQL_ASCII, GBK bytes as they came) becomes a UTF-8 one under its own name.
#include <string>

namespace tv {

// Copies the database at `conninfo` into a new UTF-8 database, then gives the
// new one the old one's name and the old one the name "<name>_sql_ascii". What
// it did (or why it did nothing) goes to `report`. A database that is UTF-8
// already is left alone (true).
bool MigrateToUtf8(const std::string& conninfo, std::string* report);

// Runs the command when argv[1] is "migrate"; returns its exit status, or -1
// when the command line is not one.
int RunMigrateCommand(int argc, char** argv);

}  // namespace tv
