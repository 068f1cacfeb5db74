// The settings file when its writer dies: a process killed at any moment of a save leaves the old or the new
// file, complete, never a damaged or empty one; and two processes saving at once leave a valid file that
// holds, for each key, what one of them wrote.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "platform/profile.h"

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;

namespace {

// A file with more in it than the two keys, so that a save has some work to do and a cut shows.
std::string fileWith(const std::string& x, const std::string& y) {
    return "; where the icon stood\n[Other]\nZ=" + std::string(1000, 'z') + "\n[Data]\nX=" + x + "\nY=" + y +
           "\n[Last]\nW=" + std::string(1000, 'w') + "\n";
}

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string valueOf(const std::string& path, const char* key) {
    char buffer[512];
    GetPrivateProfileStringA("Data", key, nullptr, buffer, sizeof buffer, path);
    return buffer;
}

// Writer w's k-th value; their lengths differ so that a file cut short or mixed cannot pass for whole.
std::string value(char writer, int k) {
    return std::string(1, writer) + std::to_string(k) + std::string(static_cast<std::size_t>(k % 7), '.');
}

// Whether the text is one of the writer's values, or was there before any of them.
bool writtenBy(char writer, const std::string& text, const std::string& before) {
    if (text == before) return true;
    if (text.size() < 2 || text[0] != writer) return false;
    const int k = std::atoi(text.c_str() + 1);
    return text == value(writer, k);
}

// A process that saves X, then Y, with the writer's values 0, 1, 2, ... `count` times, or until it is killed
// when count is negative. It reports each finished save with a byte on its pipe.
class Writer {
  public:
    Writer(const std::string& path, char writer, int count) {
        int ends[2];
        if (pipe(ends) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ends[0]);
            for (int k = 0; count < 0 || k < count; ++k)
                for (const char* key : {"X", "Y"}) {
                    WritePrivateProfileStringA("Data", key, value(writer, k).c_str(), path);
                    [[maybe_unused]] const auto reported = write(ends[1], "s", 1);
                }
            _exit(0);
        }
        close(ends[1]);
        saves_ = ends[0];
    }
    ~Writer() { close(saves_); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool started() const { return pid_ > 0; }
    // Returns once the writer has finished `count` more saves.
    void awaitSaves(int count) {
        char byte;
        for (int i = 0; i < count; ++i) ASSERT_EQ(read(saves_, &byte, 1), 1);
    }
    void kill() { ::kill(pid_, SIGKILL); }
    // The wait status.
    int end() {
        int status = 0;
        EXPECT_EQ(waitpid(pid_, &status, 0), pid_);
        return status;
    }

  private:
    pid_t pid_ = -1;
    int saves_ = -1;
};

// Leftovers of saves that never finished, beside the file.
int strayFiles(const QTemporaryDir& dir) {
    return static_cast<int>(QDir(dir.path()).entryList(QDir::Files).size()) - 1;
}

}  // namespace

TEST(ProfileCrash, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("kavimo.ini").toStdString();
    std::ofstream(path, std::ios::binary) << fileWith("7440", "5520");
    std::mt19937 random(20240607);
    std::set<std::string> seen;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        Writer writer(path, 'A', -1);
        ASSERT_TRUE(writer.started());
        // Let it finish a few saves (or none), then kill it a random moment later, likely in the middle of
        // one.
        writer.awaitSaves(std::uniform_int_distribution<int>(0, 3)(random));
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 800)(random)));
        writer.kill();
        ASSERT_TRUE(WIFSIGNALED(writer.end()));

        // Whatever X and Y hold, the rest of the file is exactly as it was around them.
        const std::string x = valueOf(path, "X"), y = valueOf(path, "Y");
        ASSERT_EQ(contentsOf(path), fileWith(x, y));
        ASSERT_TRUE(writtenBy('A', x, "7440")) << x;
        ASSERT_TRUE(writtenBy('A', y, "5520")) << y;
        seen.insert(x);
    }
    EXPECT_GT(seen.size(), 1u);  // the writers got somewhere before they died
}

TEST(ProfileCrash, TwoWritersAtOnceLeaveAValidFileOfTheirValues) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("kavimo.ini").toStdString();
    std::ofstream(path, std::ios::binary) << fileWith("7440", "5520");
    constexpr int kSaves = 150;
    Writer a(path, 'A', kSaves), b(path, 'B', kSaves);
    ASSERT_TRUE(a.started() && b.started());
    for (Writer* writer : {&a, &b}) {
        const int status = writer->end();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> written;
    for (int k = 0; k < kSaves; ++k) written.insert({value('A', k), value('B', k)});
    // X and Y are saved one after the other, so they may come from different writers.
    const std::string x = valueOf(path, "X"), y = valueOf(path, "Y");
    EXPECT_TRUE(written.contains(x)) << x;
    EXPECT_TRUE(written.contains(y)) << y;
    EXPECT_EQ(contentsOf(path), fileWith(x, y));
    EXPECT_EQ(strayFiles(dir), 0);  // every save that finished cleaned up after itself
}
