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
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include "../profile_check.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;
using profile_check::contentsOf;
using profile_check::read;

namespace {

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

// The cases of profile_cases.txt, each as the test reads them: a file's bytes, names and values, unescaped.
TEST_F(Profile, ReadsAndWritesFollowTheRulesOfEachCase) {
    const auto fields = [](const std::string& line, char separator) {
        std::vector<std::string> parts;
        std::istringstream in(line);
        for (std::string part; std::getline(in, part, separator);) {
            std::string bytes;
            part = profile_check::trimmed(part);
            for (std::size_t i = 0; i < part.size(); ++i) {
                const char* escaped =
                    part[i] == '\\' && i + 1 < part.size() ? std::strchr("nrt0x", part[++i]) : nullptr;
                if (escaped && *escaped == 'x')
                    bytes += char(std::stoi(part.substr(i + 1, 2), nullptr, 16)), i += 2;
                else
                    bytes += escaped ? "\n\r\t\0"[escaped - "nrt0x"] : part[i];
            }
            parts.push_back(bytes);
        }
        return parts;
    };
    std::ifstream cases(KAVIMO_PROFILE_CASES);
    int count = 0;
    for (std::string line; std::getline(cases, line); ++count) {
        if (line.empty() || line[0] == '#') continue;
        SCOPED_TRACE(line);
        auto c = fields(line + "|", '|');
        std::filesystem::remove(path_);
        if (c[1] != "-") file(c[1]);
        if (c[0] == "read") {
            EXPECT_EQ(read(path_, c[2], c[3], 511, "d"), c[4]);
            continue;
        }
        for (const std::string& write : fields(c[2], ';')) {
            const auto w = fields(write, ',');
            EXPECT_TRUE(WritePrivateProfileStringA(w[0].c_str(), w[1].c_str(), w[2].c_str(), path_));
        }
        EXPECT_EQ(contentsOf(path_), c[3]);
    }
    EXPECT_GE(count, 19);
    char small[2] = {'a', 'b'};
    EXPECT_EQ(GetPrivateProfileStringA("Data", "X", nullptr, small, 1, path_), 0u);
    EXPECT_EQ(small[0], '\0');
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
    EXPECT_EQ(read(fifo, "Data", "X", 511, "d"), "d");
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
        const char *executable, *xdg, *expected;
    } cases[] = {
        {"portable/puzzle", "xdg", "portable/puzzle.ini"},
        {"bad\xFF/kavimo", "xdg", "bad\xFF/kavimo.ini"},           // a folder's name is bytes, not UTF-8
        {"missing/bin/puzzle", "xdg//", "xdg/kavimo/puzzle.ini"},  // stands in for /usr/bin
        {"missing/bin/kavimo", nullptr, "home/.config/kavimo/kavimo.ini"},
        {"missing/bin/kavimo", "relative/xdg", "home/.config/kavimo/kavimo.ini"},  // only absolute paths
    };
    setenv("HOME", at("home").c_str(), 1);
    for (const auto& c : cases) {
        platform::TestSeams::SetExecutable(at(c.executable));
        if (c.xdg == nullptr)
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", c.xdg[0] == 'r' ? c.xdg : at(c.xdg).c_str(), 1);
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
