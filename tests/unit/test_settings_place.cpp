// Where the settings file lives: beside the executable when its folder is writable, else in the user's
// configuration folder; a write lands where the next read looks.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <string>

#include "../scoped_env.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"

using toolkit::RGN_IniPath;
using toolkit::RGN_ReadIni;
using toolkit::RGN_WriteIni;

namespace {

std::string contents(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<none>";
}

class SettingsPlace : public ::testing::Test {
  protected:
    void TearDown() override { platform::TestSeams::SetExecutable(std::nullopt); }

    std::string at(const char* relative) const { return QDir(root_.path()).filePath(relative).toStdString(); }
    void runAs(const char* relativeExecutable) const {
        platform::TestSeams::SetExecutable(at(relativeExecutable));
    }

    QTemporaryDir root_;
};

}  // namespace

TEST_F(SettingsPlace, BesideAnExecutableInAWritableFolder) {
    ASSERT_TRUE(QDir(root_.path()).mkpath("portable"));
    ScopedEnv config("XDG_CONFIG_HOME", at("config"));
    runAs("portable/puzzle");
    EXPECT_EQ(RGN_IniPath(), at("portable/puzzle.ini"));
    RGN_WriteIni("Data", "X", "7440");
    RGN_WriteIni("Data", "Y", "5520");
    EXPECT_EQ(contents(at("portable/puzzle.ini")), "[Data]\nX=7440\nY=5520\n");
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "7440");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(at("config"))));  // nothing made elsewhere
}

TEST_F(SettingsPlace, InTheConfigurationFolderWhenTheExecutablesFolderIsNotWritable) {
    ScopedEnv config("XDG_CONFIG_HOME", at("config"));
    // The folder of an installed program: one that is not there at all stands in for /usr/bin even where
    // permission bits do not stop this process (root).
    runAs("missing/bin/kavimo");
    EXPECT_EQ(RGN_IniPath(), at("config/kavimo/kavimo.ini"));
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "");  // no file yet: the caller centres the icon

    RGN_WriteIni("Data", "X", "-150");  // makes the missing folders, open to the user alone
    RGN_WriteIni("Data", "Y", "4425");
    EXPECT_EQ(contents(at("config/kavimo/kavimo.ini")), "[Data]\nX=-150\nY=4425\n");
    for (const char* folder : {"config", "config/kavimo"}) {
        struct stat info {};
        ASSERT_EQ(stat(at(folder).c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "-150");
    EXPECT_EQ(RGN_ReadIni("Data", "Y"), "4425");

    // The file is named after the executable, in the same folder.
    runAs("missing/bin/puzzle");
    EXPECT_EQ(RGN_IniPath(), at("config/kavimo/puzzle.ini"));
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "");
}

TEST_F(SettingsPlace, AFolderWithoutWritePermissionCounts) {
    ASSERT_TRUE(QDir(root_.path()).mkpath("bin"));
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(at("bin")), QFile::ReadOwner | QFile::ExeOwner));
    if (access(at("bin").c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore permissions";
    ScopedEnv config("XDG_CONFIG_HOME", at("config"));
    runAs("bin/kavimo");
    RGN_WriteIni("Data", "X", "7440");
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "7440");
    EXPECT_EQ(contents(at("config/kavimo/kavimo.ini")), "[Data]\nX=7440\n");
}

TEST_F(SettingsPlace, TheConfigurationFolderFollowsXdgElseHome) {
    runAs("missing/kavimo");
    ScopedEnv home("HOME", at("home"));
    const struct {
        std::optional<std::string> xdg;
        std::string expected;
    } cases[] = {
        {at("xdg"), at("xdg/kavimo/kavimo.ini")},
        {at("xdg") + "//", at("xdg/kavimo/kavimo.ini")},
        {std::nullopt, at("home/.config/kavimo/kavimo.ini")},
        {"", at("home/.config/kavimo/kavimo.ini")},
        {"relative/config", at("home/.config/kavimo/kavimo.ini")},  // only absolute paths count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("(unset)"));
        ScopedEnv config("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(RGN_IniPath(), c.expected);
    }

    // Without HOME, the home folder of the user's account.
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(
        RGN_IniPath(),
        QDir::cleanPath(QString::fromLocal8Bit(entry->pw_dir) + "/.config/kavimo/kavimo.ini").toStdString());
}

TEST_F(SettingsPlace, AConfigurationFolderThatCannotBeMadeFailsSilently) {
    QFile blocker(QString::fromStdString(at("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
    blocker.close();
    ScopedEnv config("XDG_CONFIG_HOME", at("config"));
    runAs("missing/kavimo");
    RGN_WriteIni("Data", "X", "7440");
    EXPECT_EQ(RGN_ReadIni("Data", "X"), "");
    EXPECT_EQ(contents(at("config")), "");
}
