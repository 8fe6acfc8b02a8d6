#include "tools/synccommand.h"

#include "ical/davclient.h"
#include "ical/syncengine.h"
#include "store/errors.h"
#include "store/filesave.h"

#include <QCoreApplication>

#include <nlohmann/json.hpp>

#include <iostream>
#include <stdexcept>

namespace orvenna::tools {
namespace {

constexpr int ExitRefused = 1;
constexpr int ExitFile = 2;

struct TSyncArgs {
    std::string NotesFile;
    std::string Url;
    std::string User;
    std::string PasswordFile;
    std::string StateFile;
    bool ForceDelete = false;
};

TSyncArgs Parse(const std::vector<std::string>& args)
{
    TSyncArgs parsed;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--user")
            parsed.User = value();
        else if (arg == "--password-file")
            parsed.PasswordFile = value();
        else if (arg == "--state")
            parsed.StateFile = value();
        else if (arg == "--force-delete")
            parsed.ForceDelete = true;
        else if (arg.starts_with("--"))
            throw std::invalid_argument("unknown option " + arg);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        throw std::invalid_argument("");
    parsed.NotesFile = positional[0];
    parsed.Url = positional[1];
    return parsed;
}

// The first line of the file, without its line end.
std::string PasswordOf(const std::string& file)
{
    const std::string text = store::ReadWholeFile(file);
    std::string line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void Print(const ical::TSyncResult& result)
{
    const auto counts = [](const ical::TSyncCounts& c) {
        return nlohmann::ordered_json{
            {"added", c.Added}, {"changed", c.Changed}, {"deleted", c.Deleted}};
    };
    const nlohmann::ordered_json json{
        {"sent", counts(result.Sent)},
        {"received", counts(result.Received)},
        {"conflicts", result.Conflicts},
        {"error", result.Done() ? nlohmann::ordered_json() : nlohmann::ordered_json(result.Error)}};
    std::cout << json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << std::endl;
}

int ExitOf(ical::TSyncFailure failure)
{
    switch (failure) {
    case ical::TSyncFailure::None: return 0;
    case ical::TSyncFailure::LocalFile: return ExitFile;
    default: return ExitRefused;
    }
}

}  // namespace

int SyncCommand(const std::vector<std::string>& args)
{
    const TSyncArgs parsed = Parse(args);
    ical::TSyncResult result;
    ical::TDavAccount account;
    account.Url = QUrl::fromUserInput(QString::fromStdString(parsed.Url));
    account.User = QString::fromStdString(parsed.User);
    try {
        if (!parsed.PasswordFile.empty())
            account.Password = QString::fromStdString(PasswordOf(parsed.PasswordFile));
    } catch (const store::EStoreError& failure) {
        result.Failure = ical::TSyncFailure::LocalFile;
        result.Error = "the password file cannot be read: " + failure.Text();
        Print(result);
        return ExitFile;
    }
    int argc = 1;
    char name[] = "orvenna-notes";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    ical::TDavClient client(account);
    ical::TSyncOptions options;
    options.NotesFile = parsed.NotesFile;
    options.StateFile = parsed.StateFile;
    options.ForceDelete = parsed.ForceDelete;
    result = ical::SyncNotes(client, options);
    Print(result);
    if (!result.Done())
        std::cerr << "orvenna-notes: " << result.Error << '\n';
    return ExitOf(result.Failure);
}

}  // namespace orvenna::tools
