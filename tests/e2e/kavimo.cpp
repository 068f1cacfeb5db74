#include "kavimo.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace e2e {
namespace {

std::filesystem::path freshDirectory() {
    const std::string base = (std::filesystem::temp_directory_path() / "kavimo-e2e-XXXXXX").string();
    std::vector<char> pattern(base.begin(), base.end());
    pattern.push_back('\0');
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
    return pattern.data();
}

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

Piece readPiece(WindowId window) {
    Piece piece;
    piece.window = window;
    piece.place = placeOf(window);
    piece.outline = outlineOf(window);
    for (int y = 0; y < piece.place.height / cellSize; ++y)
        for (int x = 0; x < piece.place.width / cellSize; ++x) {
            bool whole = true;
            for (int py = 0; py < cellSize && whole; ++py)
                for (int px = 0; px < cellSize && whole; ++px)
                    whole = piece.outline.count({x * cellSize + px, y * cellSize + py}) != 0;
            if (whole) piece.cells.insert({x, y});
        }
    return piece;
}

std::string describe(const Piece& piece) {
    std::ostringstream text;
    text << "piece at " << piece.place.topLeft() << " with cells";
    for (Cell cell : piece.cells) text << " " << cell;
    return text.str();
}

std::set<Point> pixelsOf(const std::set<Cell>& cells) {
    std::set<Point> pixels;
    for (Cell cell : cells)
        for (int py = 0; py < cellSize; ++py)
            for (int px = 0; px < cellSize; ++px)
                pixels.insert({cell.x * cellSize + px, cell.y * cellSize + py});
    return pixels;
}

std::set<Cell> turned(const std::set<Cell>& cells, int n) {
    std::set<Cell> result;
    for (Cell cell : cells) result.insert({n - 1 - cell.y, cell.x});
    return result;
}

Kavimo::Kavimo(const Launch& launch) : directory_(freshDirectory()) {
    const auto binary = directory_ / "kavimo";
    std::filesystem::copy_file(KAVIMO_BINARY, binary);
    std::filesystem::permissions(binary, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    if (launch.settings) std::ofstream(settingsFile()) << *launch.settings;

    std::vector<std::string> argv{binary.string()};
    argv.insert(argv.end(), launch.arguments.begin(), launch.arguments.end());
    const std::string errorsFile = (directory_ / "stderr.txt").string();

    pid_ = fork();
    if (pid_ == 0) {
        // Should the program ever look for its settings in the user's configuration folder, that is ours too.
        setenv("XDG_CONFIG_HOME", (directory_ / "config").c_str(), 1);
        for (const auto& [name, value] : launch.environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        std::vector<char*> args;
        for (auto& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
}

Kavimo::~Kavimo() {
    releaseHeldButtons();
    if (running()) {
        kill(pid_, SIGKILL);
        waitForExit();
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

std::string Kavimo::settings() const {
    return contentsOf(settingsFile());
}

std::string Kavimo::errors() const {
    return contentsOf(directory_ / "stderr.txt");
}

bool Kavimo::running() {
    return !waitForExit(0);
}

void Kavimo::signal(int number) {
    kill(pid_, number);
}

std::optional<int> Kavimo::waitForExit(int milliseconds) {
    eventually(
        [&] {
            if (status_) return true;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        },
        milliseconds);
    return status_;
}

std::optional<WindowId> Kavimo::iconWindow() const {
    const auto icons = windowsNamed(pid_, "Form1");
    if (icons.empty()) return std::nullopt;
    return icons.front();
}

std::optional<WindowId> Kavimo::waitForIcon(int milliseconds) {
    std::optional<WindowId> icon;
    eventually(
        [&] {
            icon = iconWindow();
            return icon && isViewable(*icon);
        },
        milliseconds);
    if (icon && !isViewable(*icon)) return std::nullopt;
    return icon;
}

std::vector<Piece> Kavimo::pieces() const {
    std::vector<Piece> found;
    for (WindowId window : windowsNamed(pid_, "Form2"))
        if (isViewable(window)) found.push_back(readPiece(window));
    return found;
}

std::vector<Piece> Kavimo::waitForPieces(std::size_t count, int milliseconds) const {
    // The deal is complete when the right number of windows show their shapes and have stopped moving (each
    // piece is snapped to the grid after it is shown).
    std::vector<Piece> found, before;
    eventually(
        [&] {
            before = std::exchange(found, pieces());
            if (found.size() != count) return false;
            for (const Piece& piece : found)
                if (piece.cells.empty()) return false;
            return sameLayout(found, before);
        },
        milliseconds);
    return found;
}

std::vector<Piece> Kavimo::dealFromTheIcon(std::size_t count) {
    const auto icon = waitForIcon();
    if (!icon) return {};
    click(placeOf(*icon).topLeft() + Point{16, 16});
    return waitForPieces(count);
}

std::optional<WindowId> Kavimo::openMenuAt(Point at) const {
    click(at, 3);
    std::optional<WindowId> menu;
    eventually([&] {
        for (WindowId window : viewableWindowsOf(pid_))
            if (isPopupMenu(window)) menu = window;
        return menu.has_value();
    });
    return menu;
}

bool sameLayout(const std::vector<Piece>& a, const std::vector<Piece>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].window != b[i].window || a[i].place != b[i].place || a[i].outline != b[i].outline)
            return false;
    return true;
}

}  // namespace e2e
