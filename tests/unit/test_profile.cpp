// The settings file: reading and writing with the private-profile rules, damaged files, a writer killed at
// any moment, and where the file lives.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <thread>

#include "../profile_check.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;
using profile_check::contentsOf;

namespace {

// Reads as the program does: a 512-character buffer, size 511.
std::string read(const std::string& path, const char* section, const char* key,
                 const char* fallback = nullptr) {
    char buffer[512];
    std::memset(buffer, ' ', sizeof buffer);
    GetPrivateProfileStringA(section, key, fallback, buffer, 511, path);
    return buffer;
}

class Profile : public ::testing::Test {
  protected:
    std::string file(const std::string& bytes) {
        profile_check::replace(path_, bytes);
        return path_;
    }
    QTemporaryDir dir_;
    std::string path_ = dir_.filePath("kavimo.ini").toStdString();
};

}  // namespace

TEST_F(Profile, ReadingFindsTheFirstMatchingSectionAndKeyWhateverTheirCase) {
    using namespace std::string_literals;
    const struct {
        std::optional<std::string> file;
        const char *section, *key, *expected;
    } cases[] = {
        {std::nullopt, "Data", "X", "d"},
        {"X=1\n[Other]\nX=2\n[Data]\nY=3\n;X=4\nX\n[Later]\nX=5\n", "Data", "X", "d"},  // none of these
        {"X=1\n[Other]\nX=2\n[Data]\nY=3\n", "Data", "Y", "3"},
        {"[data]\nx=1\nX=2\n[DATA]\nY=3\n", "Data", "X", "1"},
        {"[data]\nx=1\nX=2\n[DATA]\nY=3\n", "Data", "Y", "d"},  // only the first Data section counts
        {"[\xC9]\nk=4\n", "\xE9", "k", "d"},                    // only ASCII letters fold
        {"  [ Data ] junk\n \t X \t=  12 0 = a\t \nY=\n", " Data\t", "\tX ", "12 0 = a"},
        {"  [ Data ] junk\n \t X \t=  12 0 = a\t \nY=\n", "Data", "Y", ""},  // empty is not missing
        {"\xEF\xBB\xBF[Data]\r\nX=1\r\n", "Data", "X", "1"},
        {"[Data]\nX= \"120\" \nY='8\"\n", "Data", "X", "120"},  // one pair of matching quotes goes
        {"[Data]\nX= \"120\" \nY='8\"\n", "Data", "Y", "'8\""},
        {"[Data]\nX=12\0"
         "34\n"s,
         "Data", "X", "12"},  // a value ends at a NUL
    };
    for (const auto& c : cases) {
        if (c.file) file(*c.file);
        EXPECT_EQ(read(path_, c.section, c.key, "d"), c.expected) << c.file.value_or("no file");
    }
    file("[Data]\nX=" + std::string(600, '7') + "\n");
    EXPECT_EQ(read(path_, "Data", "X"), std::string(510, '7'));
    char small[2] = {'a', 'b'};
    EXPECT_EQ(GetPrivateProfileStringA("Data", "X", nullptr, small, 1, path_), 0u);
    EXPECT_EQ(small[0], '\0');
}

TEST_F(Profile, WritingReplacesOrAddsInPlaceAndKeepsEveryOtherLine) {
    const struct {
        const char* before;
        std::vector<std::array<const char*, 3>> writes;
        const char* after;
    } cases[] = {
        {nullptr, {{"Data", "X", "7440"}, {"Data", "Y", "5520"}}, "[Data]\nX=7440\nY=5520\n"},
        {"; saved\n[Other]\nX=9\n\n[data]\n  x = 1 \n@#junk\nY=2\n[Data]\nX=3\n",
         {{"Data", "X", "-150"}},
         "; saved\n[Other]\nX=9\n\n[data]\nx=-150\n@#junk\nY=2\n[Data]\nX=3\n"},
        {"[Data]\nX=1\n;note=x\n\n\n[Other]\nZ=0",
         {{"Data", "Y", "2"}, {"New", "K", "v"}},
         "[Data]\nX=1\nY=2\n;note=x\n\n\n[Other]\nZ=0\n[New]\nK=v\n"},
        {"[Data]", {{"Data", "X", "1"}}, "[Data]\nX=1\n"},
        {"[Data]\nY=\n", {{" data ", " y ", "2"}}, "[Data]\nY=2\n"},  // names asked for are trimmed too
        {"\xEF\xBB\xBF[Data]\r\nX=1\r\n[Other]\r\nZ=0",
         {{"Data", "Y", "2"}, {"New", "K", "v"}},
         "\xEF\xBB\xBF[Data]\r\nX=1\r\nY=2\r\n[Other]\r\nZ=0\r\n[New]\r\nK=v\r\n"},
        {"[Data]\nX=1\r",
         {{"Data", "Y", "2"}, {"New", "K", "v"}},
         "[Data]\nX=1\r\nY=2\n[New]\nK=v\n"},  // a lone CR breaks no line
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path_);
        if (c.before) file(c.before);
        for (const auto& [section, key, value] : c.writes)
            EXPECT_TRUE(WritePrivateProfileStringA(section, key, value, path_));
        EXPECT_EQ(contentsOf(path_), c.after);
    }
}

TEST_F(Profile, WhatWouldNotReadBackAsWrittenIsRefusedAndChangesNothing) {
    file("[Data]\nX=1\n");
    const std::array<const char*, 3> refused[] = {
        {nullptr, "X", "1"},  {"Data", nullptr, "1"}, {"Data", "X", nullptr}, {"Data", "X", "1\n[Evil]"},
        {"Data", "X=Y", "1"}, {"Da]ta", "X", "1"},    {"Data", " ;X", "1"},   {"Data", "[X", "1"}};
    for (const auto& [section, key, value] : refused)
        EXPECT_FALSE(WritePrivateProfileStringA(section, key, value, path_));
    EXPECT_EQ(contentsOf(path_), "[Data]\nX=1\n");
    // Neither a pipe (reading it would block) nor a folder is a settings file.
    const std::string fifo = dir_.filePath("fifo.ini").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(read(fifo, "Data", "X", "d"), "d");
    EXPECT_FALSE(WritePrivateProfileStringA("Data", "X", "1", fifo));
    EXPECT_FALSE(WritePrivateProfileStringA("Data", "X", "1", dir_.path().toStdString()));
}

// Damaged files, kept from the fuzzer's seeds and finds: every rule of profile_check.h holds for each.
TEST_F(Profile, DamagedFilesAreReadAndWrittenByTheRules) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KAVIMO_PROFILE_CORPUS))
        files.push_back(entry.path());
    std::ranges::sort(files);
    ASSERT_GE(files.size(), 12u);
    for (const auto& damaged : files)
        EXPECT_EQ(profile_check::check(path_, contentsOf(damaged.string())), "") << damaged.filename();
}

// A writer killed at any moment of a save leaves the old file or the new one, whole; KAVIMO_KILLS sets how
// many times.
TEST_F(Profile, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    const auto fileWith = [](const std::string& x) {
        return "; where the icon stood\n[Other]\nZ=" + std::string(1000, 'z') + "\n[Data]\nX=" + x +
               "\n[Last]\nW=w\n";
    };
    const auto written = [](int k) { return std::to_string(k) + std::string(std::size_t(k % 7), '.'); };
    file(fileWith("7440"));
    std::mt19937 random(20240607);
    const int kills = std::getenv("KAVIMO_KILLS") ? std::atoi(std::getenv("KAVIMO_KILLS")) : 100;
    for (int round = 0; round < kills; ++round) {
        const pid_t writer = fork();
        if (writer == 0)
            for (int k = 0;; ++k) WritePrivateProfileStringA("Data", "X", written(k).c_str(), path_);
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution(0, 3000)(random)));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        const std::string x = read(path_, "Data", "X");
        ASSERT_EQ(contentsOf(path_), fileWith(x)) << "round " << round;
        ASSERT_TRUE(x == "7440" || x == written(std::atoi(x.c_str()))) << x;
    }
}

// Beside the executable when its folder can be written, else in the user's configuration folder, named after
// the executable; a write lands where the next read looks.
TEST(SettingsPlace, BesideTheExecutableOrInTheConfigurationFolder) {
    QTemporaryDir root;
    const auto at = [&](const char* relative) { return root.path().toStdString() + "/" + relative; };
    for (const char* folder : {"portable", "bad\xFF"}) std::filesystem::create_directory(at(folder));
    const struct {
        const char *executable, *xdg, *home, *expected;
    } cases[] = {
        {"portable/puzzle", "xdg", "home", "portable/puzzle.ini"},
        {"bad\xFF/kavimo", "xdg", "home", "bad\xFF/kavimo.ini"},  // a folder's name is bytes, not UTF-8
        {"missing/bin/kavimo", "xdg", "home", "xdg/kavimo/kavimo.ini"},  // stands in for /usr/bin
        {"missing/bin/puzzle", "xdg//", "home", "xdg/kavimo/puzzle.ini"},
        {"missing/bin/kavimo", nullptr, "home", "home/.config/kavimo/kavimo.ini"},
        {"missing/bin/kavimo", "relative/xdg", "home",
         "home/.config/kavimo/kavimo.ini"},  // only absolute paths
    };
    for (const auto& c : cases) {
        platform::TestSeams::SetExecutable(at(c.executable));
        if (c.xdg == nullptr)
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", c.xdg[0] == 'r' ? c.xdg : at(c.xdg).c_str(), 1);
        setenv("HOME", at(c.home).c_str(), 1);
        EXPECT_EQ(toolkit::RGN_IniPath(), at(c.expected));
        toolkit::RGN_WriteIni("Data", "X", "-150");
        EXPECT_EQ(toolkit::RGN_ReadIni("Data", "X"), "-150") << c.expected;
    }
    struct stat made {};
    ASSERT_EQ(stat(at("xdg/kavimo").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);  // made for the user alone
    platform::TestSeams::SetExecutable(std::nullopt);
    std::filesystem::remove_all(at("bad\xFF"));  // a name Qt cannot remove
}
