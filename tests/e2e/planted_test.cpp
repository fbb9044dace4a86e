// DLLs of system names planted beside a downloaded setup.exe, in the current directory and in
// the temporary directory the uninstaller continues from: none may ever be loaded.
#include "scenario.h"

#include <memory>

#include "testutil.h"

using namespace e2e;

namespace {

// Not among the DLLs Windows always takes from the system directory; version.dll is left out,
// since Wine loads it before the program itself runs.
const char *const kPlanted[] = {"lz32", "uxtheme", "dwmapi", "comctl32", "winmm", "cryptbase"};

// The DLLs copied into dir for the scope; taken away with their marks after.
class PlantedDlls {
public:
    explicit PlantedDlls(const std::string &dir) : dir_(dir)
    {
        for (const char *name : kPlanted) {
            std::string from = HostToWinPath(PLANTED_DLL_DIR) + "\\" + name + ".dll";
            std::string to = dir + "\\" + name + ".dll";
            EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
        }
    }
    ~PlantedDlls()
    {
        for (const char *name : kPlanted) {
            DeleteFileA((dir_ + "\\" + name + ".dll").c_str());
            DeleteFileA((dir_ + "\\" + name + ".dll.loaded").c_str());
        }
    }
    std::vector<std::string> Loaded() const { return ListFiles(dir_, "*.loaded"); }

private:
    std::string dir_;
};

// Wine told to look for these DLLs as Windows does, the program's own directory first, for
// the scope. Wine takes WINEDLLOVERRIDES from the environment it was started with, not from
// the one a Windows parent hands its child, so the overrides go into the prefix's registry,
// which every process started meanwhile reads: "native,builtin" is the variable's n,b, "" its
// disabling.
class ScopedDllOverrides {
public:
    ScopedDllOverrides(const char *const *names, size_t count, const char *mode)
    {
        for (size_t i = 0; i < count; ++i)
            values_.emplace_back(new ScopedRegValue(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", names[i], mode));
    }

private:
    std::vector<std::unique_ptr<ScopedRegValue>> values_;
};

}  // namespace

TEST(Planted, SilentInstallAndRemovalLoadNoneOfThem)
{
    ScratchDir downloads("downloads");
    std::string setup = downloads.file("setup.exe");
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), setup.c_str(), FALSE));
    PlantedDlls besideSetup(downloads.path()), inTemp(TempDir());
    ScopedDllOverrides nativeFirst(kPlanted, sizeof kPlanted / sizeof *kPlanted, "native,builtin");

    RunOptions install;
    install.exe = setup;
    install.args = "-s -l";
    install.cwd = downloads.path();
    EXPECT_RUN(Play(install), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");

    // The installed uninstaller, which hands over to a copy of itself in the temporary directory.
    RunOptions removal;
    removal.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    RunResult r = Play(removal);
    EXPECT_RUN(r, 0);
    ASSERT_EQ(1u, r.copies.size());
    EXPECT_EQ(0u, r.copies[0]);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);

    EXPECT_TRUE(besideSetup.Loaded().empty()) << "loaded beside setup.exe:\n" << Lines(besideSetup.Loaded());
    EXPECT_TRUE(inTemp.Loaded().empty()) << "loaded from the temporary directory:\n" << Lines(inTemp.Loaded());
    CleanUpFailedInstall(kDefaultDir);
}

// Without LZ32 nothing can be expanded: the install says so and ends before it changes anything.
TEST(Planted, NoLz32EndsTheInstallBeforeAnyChange)
{
    const char *const lz32[] = {"lz32"};
    ScopedDllOverrides disabled(lz32, 1, "");
    RunResult r = PlaySetup("-s -l");
    EXPECT_RUN(r, 1603);
    EXPECT_TRUE(LogHas(r, "LZ32.DLL could not be loaded from the Windows system directory.\r\n")) << r.log;
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();
    CleanUpFailedInstall(kDefaultDir);
}
