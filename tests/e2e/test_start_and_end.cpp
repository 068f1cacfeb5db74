// Starting the program, moving the icon, and every way of ending it.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The keys of one section of a settings file, names in lower case.
std::map<std::string, std::string> sectionOf(const std::string& file, const std::string& section) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(file);
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (line.starts_with('[')) {
            inside = lowered(line) == "[" + lowered(section) + "]";
        } else if (inside && line.find('=') != std::string::npos) {
            const auto equals = line.find('=');
            keys[lowered(trimmed(line.substr(0, equals)))] = trimmed(line.substr(equals + 1));
        }
    }
    return keys;
}

std::map<std::string, std::string> savedAt(int x, int y) {
    return {{"x", std::to_string(x)}, {"y", std::to_string(y)}};
}

// Drags the icon with the real pointer, gripping it 16 pixels in from its top-left corner, so that its
// top-left corner ends at the point.
void dragIcon(WindowId icon, Point to) {
    const Point grip = placeOf(icon).topLeft() + Point{16, 16};
    movePointer(grip);
    pressButton(1);
    glide(grip, to + Point{16, 16});
    eventually([&] { return placeOf(icon).topLeft() == to; }, 2000);
    releaseButton(1);
    waitUntilPointerIsFree();
}

}  // namespace

TEST(Icon, FirstStartCentresTheIconAndADragMovesItWithoutDealing) {
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    EXPECT_EQ(placeOf(*icon), (Rect{496, 368, 32, 32}));  // the middle of a 1024 x 768 screen
    EXPECT_FALSE(isAbove(*icon));

    // The window follows the pointer while the button is held, keeping the gripped point under it.
    const Point grip{496 + 10, 368 + 21};
    movePointer(grip);
    pause(30);
    pressButton(1);
    glide(grip, grip + Point{-100, -50});
    EXPECT_TRUE(eventually(
        [&] {
            return placeOf(*icon).topLeft() == Point{396, 318};
        },
        2000))
        << "the icon did not follow the pointer: " << placeOf(*icon);
    glide(grip + Point{-100, -50}, grip + Point{-293, -197});
    EXPECT_TRUE(eventually([&] { return placeOf(*icon).topLeft() == Point{203, 171}; }, 2000));
    releaseButton(1);
    EXPECT_TRUE(waitUntilPointerIsFree());

    // It stays where it was let go, off the 8-pixel grid of the pieces, and the release dealt nothing.
    pause(500);
    EXPECT_EQ(placeOf(*icon), (Rect{203, 171, 32, 32}));
    EXPECT_TRUE(isViewable(*icon));
    EXPECT_TRUE(windowsNamed(kavimo.pid(), "Form2").empty());
}

TEST(Icon, QuitFromTheMenuSavesWhereTheIconStandsAndTheNextStartPutsItThere) {
    std::string saved;
    {
        Kavimo kavimo;
        const auto icon = kavimo.waitForIcon();
        ASSERT_TRUE(icon) << kavimo.errors();
        dragIcon(*icon, {160, 240});
        ASSERT_EQ(placeOf(*icon).topLeft(), (Point{160, 240}));

        ASSERT_TRUE(kavimo.openMenuAt({176, 256})) << "no pop-up menu";
        for (const char* key : {"Down", "Down", "Down", "Return"}) tapKey(key);  // 終了
        EXPECT_EQ(kavimo.waitForExit(), 0);
        saved = kavimo.settings();
        EXPECT_EQ(sectionOf(saved, "Data"), savedAt(2400, 3600)) << saved;  // twips: 15 per pixel
    }
    Launch restart;
    restart.settings = saved;
    Kavimo again(restart);
    const auto icon = again.waitForIcon();
    ASSERT_TRUE(icon) << again.errors();
    EXPECT_EQ(placeOf(*icon), (Rect{160, 240, 32, 32}));
}

TEST(Icon, QuitAfterADealSavesThePlaceTheIconWasDealtFrom) {
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    dragIcon(*icon, {320, 160});
    const auto pieces = kavimo.dealFromTheIcon();
    ASSERT_EQ(pieces.size(), 4u);
    ASSERT_TRUE(kavimo.openMenuAt(pieces.back().screenCentreOf(*pieces.back().cells.begin())));
    for (const char* key : {"Down", "Down", "Down", "Return"}) tapKey(key);  // 終了
    EXPECT_EQ(kavimo.waitForExit(), 0);
    EXPECT_EQ(sectionOf(kavimo.settings(), "Data"), savedAt(4800, 2400)) << kavimo.settings();
}

// The end of the session (log-off, shutdown, a terminal closed, Ctrl+C) ends the program the orderly way.
class EndOfSession : public testing::TestWithParam<int> {};

TEST_P(EndOfSession, EndsTheProgramCleanlyAndSavesWhereTheIconStands) {
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    dragIcon(*icon, {320, 160});
    kavimo.signal(GetParam());
    EXPECT_EQ(kavimo.waitForExit(), 0) << kavimo.errors();
    EXPECT_EQ(sectionOf(kavimo.settings(), "Data"), savedAt(4800, 2400)) << kavimo.settings();
}

TEST_P(EndOfSession, OnAFreshStartSavesTheMiddleOfTheScreen) {
    Kavimo kavimo;
    ASSERT_TRUE(kavimo.waitForIcon()) << kavimo.errors();
    kavimo.signal(GetParam());
    EXPECT_EQ(kavimo.waitForExit(), 0) << kavimo.errors();
    EXPECT_EQ(sectionOf(kavimo.settings(), "Data"), savedAt(7440, 5520)) << kavimo.settings();
}

INSTANTIATE_TEST_SUITE_P(Signals, EndOfSession, testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const testing::TestParamInfo<int>& info) -> std::string {
                             switch (info.param) {
                                 case SIGTERM:
                                     return "SIGTERM";
                                 case SIGHUP:
                                     return "SIGHUP";
                                 default:
                                     return "SIGINT";
                             }
                         });

// Without an X display the program says so in one line and fails, whatever the Qt platform setting.
struct NoDisplayCase {
    const char* name;
    std::map<std::string, std::optional<std::string>> environment;
};

void PrintTo(const NoDisplayCase& environment, std::ostream* out) {
    *out << environment.name;
}

class NoDisplay : public testing::TestWithParam<NoDisplayCase> {};

TEST_P(NoDisplay, SaysSoInOneLineAndFails) {
    Launch launch;
    launch.environment = GetParam().environment;
    Kavimo kavimo(launch);
    const auto status = kavimo.waitForExit(10000);
    ASSERT_TRUE(status) << "still running";
    EXPECT_NE(*status, 0);
    const std::string errors = kavimo.errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(lowered(errors).find("display"), std::string::npos) << errors;
    EXPECT_EQ(kavimo.settings(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Environments, NoDisplay,
    testing::Values(
        NoDisplayCase{"DisplayUnset", {{"DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}}},
        NoDisplayCase{"DisplayUnsetWithXcbChosen", {{"DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", "xcb"}}},
        NoDisplayCase{"DisplayNotThere", {{"DISPLAY", ":731"}, {"QT_QPA_PLATFORM", std::nullopt}}}),
    [](const testing::TestParamInfo<NoDisplayCase>& info) { return std::string(info.param.name); });
