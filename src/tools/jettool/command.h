// The subcommands of jettool, each in a file of its own.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace jettool {

// Each returns the process exit status. Arguments follow the subcommand's name.
int runTables(const std::vector<std::string>& args, std::ostream& out);
int runSchema(const std::vector<std::string>& args, std::ostream& out);
int runExport(const std::vector<std::string>& args, std::ostream& out);
int runCheck(const std::vector<std::string>& args, std::ostream& out);
int runImport(const std::vector<std::string>& args, std::ostream& out);
int runExec(const std::vector<std::string>& args, std::ostream& out);
int runDrop(const std::vector<std::string>& args, std::ostream& out);
int runRename(const std::vector<std::string>& args, std::ostream& out);
int runDropRelations(const std::vector<std::string>& args, std::ostream& out);
int runCopyStructure(const std::vector<std::string>& args, std::ostream& out);
int runCreate(const std::vector<std::string>& args, std::ostream& out);
int runRecover(const std::vector<std::string>& args, std::ostream& out);

}  // namespace jettool
