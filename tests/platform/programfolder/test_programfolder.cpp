// The program folder rule on real folder layouts in a temporary folder; whether a folder may be
// written is the test's answer, since tests may run as root, who may write anywhere.

#include "platform/programfolder.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>


#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using orvenna::platform::ChooseProgramFiles;
using orvenna::platform::PrepareProgramFiles;
using orvenna::platform::TProgramFiles;
using orvenna::test::ReadBytes;
using orvenna::test::TTempFolder;
using orvenna::test::WriteBytes;

// A folder with the files named, each holding its own name.
void MakeFiles(const fs::path& folder, std::initializer_list<const char*> names)
{
    fs::create_directories(folder);
    for (const char* name : names)
        WriteBytes(folder / name, name);
}

struct TLayoutCase {
    const char* Name;
    const char* ExecutableFolder;  // under the temporary folder
    bool Writable;
    const char* Folder;         // expected, under the temporary folder
    const char* ShippedImages;  // expected, under the temporary folder; "" none
};

class ProgramFolderRule : public testing::TestWithParam<TLayoutCase> {};

// Every layout in one tree: a build tree's bin/ with its images, an installed prefix, and a
// copy with no images at all.
TEST_P(ProgramFolderRule, ChoosesTheFolderAndWhereTheImagesComeFrom)
{
    const TLayoutCase& c = GetParam();
    TTempFolder temp;
    const fs::path root = temp.Path();
    MakeFiles(root / "build/bin/images", {"2.bmp"});
    MakeFiles(root / "usr/bin", {"orvenna"});
    MakeFiles(root / "usr/share/orvenna/images", {"2.bmp"});
    MakeFiles(root / "bare", {"orvenna"});
    const TProgramFiles files =
        ChooseProgramFiles(root / c.ExecutableFolder, root / "home/.local/share/",
                           [&](const fs::path&) { return c.Writable; });
    EXPECT_EQ(files.Folder.string(), (root / c.Folder).string());
    EXPECT_EQ(files.ShippedImages, *c.ShippedImages ? root / c.ShippedImages : fs::path());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ProgramFolderRule,
    testing::Values(
        TLayoutCase{"build_tree", "build/bin", true, "build/bin/", ""},
        TLayoutCase{"build_tree_trailing_slash", "build/bin/", true, "build/bin/", ""},
        TLayoutCase{"portable_read_only", "build/bin", false, "home/.local/share/orvenna/",
                    "build/bin/images"},
        TLayoutCase{"installed", "usr/bin", false, "home/.local/share/orvenna/",
                    "usr/share/orvenna/images"},
        // Root may write /usr/bin, and a prefix in the home folder is the user's own: an
        // installed bin/ still holds no notes.
        TLayoutCase{"installed_writable", "usr/bin", true, "home/.local/share/orvenna/",
                    "usr/share/orvenna/images"},
        TLayoutCase{"bare_writable", "bare", true, "bare/", ""},
        TLayoutCase{"bare_read_only", "bare", false, "home/.local/share/orvenna/",
                    "bare/images"}),
    [](const testing::TestParamInfo<TLayoutCase>& row) { return row.param.Name; });

class PrepareFolder : public testing::Test {
protected:
    void SetUp() override { MakeFiles(Shipped, {"2.bmp", "bk.bmp", "grdbk.bmp"}); }

    TTempFolder Temp;
    fs::path Shipped = Temp.Path() / "usr/share/orvenna/images";
    fs::path Folder = Temp.Path() / "home/.local/share/orvenna/";
    TProgramFiles Files{Folder, Shipped};
};

TEST_F(PrepareFolder, FirstStartMakesAPrivateFolderWithTheShippedImages)
{
    ASSERT_EQ(PrepareProgramFiles(Files), "");
    struct stat info {};
    ASSERT_EQ(::stat(Folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const char* name : {"2.bmp", "bk.bmp", "grdbk.bmp"})
        EXPECT_EQ(ReadBytes(Folder / "images" / name), name);
}

// The program's own files stay; a shipped image that changed (an upgrade) is replaced, one
// that is the same is left as it is.
TEST_F(PrepareFolder, LaterStartsTouchOnlyShippedImagesThatDiffer)
{
    MakeFiles(Folder / "images", {"applebar.bmp", "grdbk.bmp"});
    WriteBytes(Folder / "images/2.bmp", "an older picture");
    WriteBytes(Folder / "2004.cal", "notes");
    WriteBytes(Folder / "bk.bmp", "the captured background");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(Folder / "images/grdbk.bmp", old);

    ASSERT_EQ(PrepareProgramFiles(Files), "");
    EXPECT_EQ(ReadBytes(Folder / "images/2.bmp"), "2.bmp");
    EXPECT_EQ(ReadBytes(Folder / "images/bk.bmp"), "bk.bmp");
    EXPECT_EQ(fs::last_write_time(Folder / "images/grdbk.bmp"), old);
    EXPECT_EQ(ReadBytes(Folder / "images/applebar.bmp"), "applebar.bmp");
    EXPECT_EQ(ReadBytes(Folder / "2004.cal"), "notes");
    EXPECT_EQ(ReadBytes(Folder / "bk.bmp"), "the captured background");
}

TEST_F(PrepareFolder, APortableCopyIsLeftAsItIs)
{
    EXPECT_EQ(PrepareProgramFiles({Folder, {}}), "");
    EXPECT_FALSE(fs::exists(Folder));
}

// Files in the way fail even for root; the message names the folder or file and the reason.
TEST_F(PrepareFolder, AFailureIsToldInTheSystemsWords)
{
    struct TCase {
        const char* Blocker;  // a file here, or a folder when it ends in '/'
        std::string Expected;
    };
    const TCase cases[] = {
        {"home/.local", "Cannot create folder \"" + Folder.string() + "\". Not a directory"},
        {"home/.local/share/orvenna/images/bk.bmp/",
         "Cannot create file \"" + (Folder / "images/bk.bmp").string() + "\". Is a directory"},
    };
    for (const TCase& c : cases) {
        fs::remove_all(Temp.Path() / "home");
        const fs::path blocker = Temp.Path() / c.Blocker;
        fs::create_directories(blocker.parent_path());
        if (std::string(c.Blocker).ends_with('/'))
            fs::create_directories(blocker);
        else
            WriteBytes(blocker, "in the way");
        EXPECT_EQ(PrepareProgramFiles(Files), c.Expected) << c.Blocker;
    }
}

}  // namespace
