// Names planted where other accounts can write: DLLs of system names beside a downloaded
// setup.exe and in the temporary directory, none of which may ever be loaded; links at the
// fixed names of the temporary directory and at setup.log, never followed.
#include "scenario.h"

#include <cstring>
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

// Links and a directory planted, as another account could, at every fixed name the setup and
// the uninstaller's copy once used in the temporary directory, and a setup.log link in the
// removal's current directory: all point at one file outside, which must stay as it is, while
// the install and the removal go through and leave nothing behind, in TEMP either.
class PlantedLinks {
public:
    PlantedLinks(const std::string &target, const std::string &logLink)
    {
        const std::string temp = UnixPath(TempDir()), to = UnixPath(target), log = UnixPath(logLink);
        EXPECT_FALSE(temp.empty() || to.empty() || log.empty());
        // A directory at mib.txt, links at the other payload names and at removetw-N.exe for
        // every process id below 8192 (Wine hands out multiples of 4).
        std::string plant = "mkdir '" + temp + "/mib.txt' && ln -s '" + to + "' '" + log + "'";
        unplant_ = "rm -rf '" + temp + "/mib.txt' '" + log + "' '" + temp + "'/removetw-*.exe";
        for (const PayloadFile &f : kPayload) {
            if (strcmp(f.name, "mib.txt") != 0) {
                plant += " && ln -s '" + to + "' '" + temp + "/" + f.name + "'";
                unplant_ += " '" + temp + "/" + f.name + "'";
            }
        }
        plant += " && perl -e 'for ($n = 4; $n < 8192; $n += 4) { symlink $ARGV[0], $ARGV[1] . $n . q(.exe) or die }' '" +
                 to + "' '" + temp + "/removetw-'";
        EXPECT_TRUE(RunOnHost(plant)) << plant;
    }
    ~PlantedLinks() { RunOnHost(unplant_); }

private:
    std::string unplant_;
};

TEST(Planted, LinksAtFixedNamesInTempAreNeverFollowed)
{
    const std::string targetDir = "C:\\planted-target", target = targetDir + "\\target.txt";
    const std::string content = "another account's file\r\n";
    ASSERT_TRUE(CreateDirectoryA(targetDir.c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(WriteWholeFile(target, content));
    ScratchDir downloads("downloads"), redirected("redirected");
    std::string setup = downloads.file("setup.exe");
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), setup.c_str(), FALSE));
    // A folder reached through a link of its own (a redirected folder): its setup.log is made.
    const std::string alias = redirected.path() + "-alias";
    ASSERT_TRUE(RunOnHost("ln -s '" + UnixPath(redirected.path()) + "' '" + UnixPath(alias) + "'"));
    {
        PlantedLinks planted(target, downloads.file("setup.log"));
        ASSERT_EQ(2047u, ListFiles(TempDir(), "removetw-*.exe").size());
        ASSERT_TRUE(FileExists(downloads.file("setup.log")));
        PrefixState before = TakePrefixState(true);
        // A -log that names a link is refused as the line's bad part, not written through.
        RunOptions aimed;
        aimed.exe = setup;
        aimed.args = "-s -log \"" + downloads.file("setup.log") + "\"";
        EXPECT_RUN(Play(aimed), 1639);

        RunOptions install;
        install.exe = setup;
        install.args = "-s -l";
        install.cwd = alias;
        RunResult installed = Play(install);
        EXPECT_RUN(installed, 0);
        EXPECT_TRUE(LogHas(installed, "Installation successful!\r\n")) << installed.log;
        std::vector<std::string> all;
        for (const PayloadFile &f : kPayload)
            all.push_back(f.name);
        ExpectFilesInstalled(kDefaultDir, all);

        RunOptions removal;
        removal.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString") + " -l";
        removal.cwd = downloads.path();
        RunResult r = Play(removal);
        EXPECT_RUN(r, 0);
        ASSERT_EQ(1u, r.copies.size());
        EXPECT_EQ(0u, r.copies[0]);

        std::string now;
        EXPECT_TRUE(ReadWholeFile(target, &now) && now == content) << "the planted links' target now holds:\n" << now;
        // Give the uninstaller's copy a moment to take its working directory away.
        std::vector<std::string> diff;
        for (int i = 0; i < 40 && !(diff = PrefixDifferences(before, TakePrefixState(true))).empty(); ++i)
            Sleep(50);
        EXPECT_TRUE(diff.empty()) << "install and removal left the prefix, TEMP included, changed:\n" << Lines(diff);
    }
    EXPECT_TRUE(RunOnHost("rm '" + UnixPath(alias) + "'"));
    EXPECT_TEMP_CLEAN();
    RemoveTree(targetDir);
    CleanUpFailedInstall(kDefaultDir);
}
