#pragma once
// Where the program keeps its files, as one rule for the program and its command-line tools.
// Standard library only: the tools link it without Qt.
//
// A portable copy (the executable in a folder the user can write, its images/ beside it, as
// the build leaves it) keeps every file in the executable's folder, as it always did. An
// installed program (its shipped images in <prefix>/share/orvenna/images, beside
// <prefix>/bin) and a copy in a folder the user cannot write keep them in the user's data
// folder, <data home>/orvenna/. That folder is made on the first start, and the shipped images
// are copied into its images/, where the program also writes its own pictures.

#include <filesystem>
#include <functional>
#include <string>

namespace orvenna::platform {

struct TProgramFiles {
    // The program folder, ending in '/'; empty when the running executable cannot be found.
    std::filesystem::path Folder;
    // The shipped images to copy into Folder/images/; empty for a portable copy, whose images
    // are already in place.
    std::filesystem::path ShippedImages;
    friend bool operator==(const TProgramFiles&, const TProgramFiles&) = default;
};

// Where an installed program's shipped images sit, relative to the prefix above its bin/.
inline constexpr const char* InstalledImagesFolder = "share/orvenna/images";
// The program folder's name inside the data home.
inline constexpr const char* DataFolderName = "orvenna";

// The rule, with the system's answers passed in: the executable's folder, the user's data
// home (DataHome()) and whether the user may write into a folder. An installed program uses
// the data folder even where its folder is writable (root, or a prefix in the home folder):
// an installed bin/ is no place for a user's notes.
TProgramFiles ChooseProgramFiles(const std::filesystem::path& executableFolder,
                                 const std::filesystem::path& dataHome,
                                 const std::function<bool(const std::filesystem::path&)>& writable);

// The rule for the running executable, this user and this environment.
TProgramFiles FindProgramFiles();

// Makes the program folder ready: for a data folder, the folder and its images/ are made and
// each shipped image that is missing there, or differs from the shipped one (an upgrade), is
// copied; the program's own files are never touched. Nothing is done for a portable copy.
// Returns the first failure in the system's words, "Cannot create folder "<folder>". <reason>"
// or "Cannot create file "<file>". <reason>"; empty when the folder is ready.
std::string PrepareProgramFiles(const TProgramFiles& files);

// The freedesktop base folders: $XDG_DATA_HOME or $XDG_CONFIG_HOME when it holds an absolute
// path, else $HOME/.local/share or $HOME/.config (a relative or empty value is ignored, as the
// base-directory rules say; without HOME, the home folder of the user's account). No trailing
// '/'. Read anew on every call.
std::filesystem::path DataHome();
std::filesystem::path ConfigHomePath();

// The full path of the running executable, symlinks resolved; empty when it cannot be found.
std::filesystem::path RunningExecutable();

}  // namespace orvenna::platform
