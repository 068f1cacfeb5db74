// Damaged settings files, kept from the fuzzer's seeds and finds: each is read under the program's own names
// and the names it holds, written once and read again, and every rule of profile_check.h must hold.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../profile_check.h"

TEST(ProfileCorpus, DamagedFilesAreReadAndWrittenByTheRules) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KAVIMO_PROFILE_CORPUS))
        files.push_back(entry.path());
    std::ranges::sort(files);
    ASSERT_GE(files.size(), 12u);

    QTemporaryDir dir;
    profile_check::Checker checker(dir.filePath("kavimo.ini").toStdString());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        EXPECT_EQ(checker.check(profile_check::contentsOf(file.string())), "");
    }
}
