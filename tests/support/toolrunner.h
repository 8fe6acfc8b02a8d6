#pragma once
// Runs a built command-line tool of the project with arguments and standard input, capturing
// its exit code, standard output and standard error through files in a temporary folder.

#include "tests/support/tempfolder.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace orvenna::test {

struct TToolResult {
    int Exit = -1;  // -1 when the tool did not exit normally
    std::string Out;
    std::string Err;
};

inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program at that path; the captured streams go through files in folder.
inline TToolResult RunProgram(const TTempFolder& folder, const std::string& program,
                              const std::vector<std::string>& args, const std::string& input = {})
{
    WriteBytes(folder.File("stdin"), input);
    std::string command = ShellQuote(program);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    command += " <" + ShellQuote(folder.File("stdin")) + " >" + ShellQuote(folder.File("stdout")) +
               " 2>" + ShellQuote(folder.File("stderr"));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(folder.File("stdout")),
            ReadBytes(folder.File("stderr"))};
}

// The tool is looked up in the program folder of the build (ORVENNA_BIN_DIR).
inline TToolResult RunTool(const TTempFolder& folder, const std::string& tool,
                           const std::vector<std::string>& args, const std::string& input = {})
{
    return RunProgram(folder, std::string(ORVENNA_BIN_DIR) + "/" + tool, args, input);
}

}  // namespace orvenna::test
