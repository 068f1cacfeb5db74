#include "kavimo.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace e2e {
namespace {

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

Piece readPiece(WindowId window) {
    Piece piece{window, placeOf(window), outlineOf(window), {}};
    for (int y = 0; y < piece.place.height / 8; ++y)
        for (int x = 0; x < piece.place.width / 8; ++x)
            if (std::ranges::includes(piece.outline, pixelsOf({{x, y}}))) piece.cells.insert({x, y});
    return piece;
}

std::ostream& operator<<(std::ostream& out, const Piece& piece) {
    out << "piece at " << piece.place.topLeft() << " with cells";
    for (Cell cell : piece.cells) out << " " << cell;
    return out;
}

std::set<Point> pixelsOf(const std::set<Cell>& cells) {
    std::set<Point> pixels;
    for (Cell cell : cells)
        for (int i = 0; i < 64; ++i) pixels.insert({cell.x * 8 + i % 8, cell.y * 8 + i / 8});
    return pixels;
}

std::set<Cell> turned(const std::set<Cell>& cells, int n) {
    std::set<Cell> result;
    for (Cell cell : cells) result.insert({n - 1 - cell.y, cell.x});
    return result;
}

Kavimo::Kavimo(const Launch& launch) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kavimo-e2e-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    std::filesystem::copy_file(KAVIMO_BINARY, folder_ / "kavimo");
    if (launch.settings) std::ofstream(folder_ / "kavimo.ini") << *launch.settings;
    std::vector<std::string> argv{(folder_ / "kavimo").string()};
    argv.insert(argv.end(), launch.arguments.begin(), launch.arguments.end());
    xclient::waitForWindowManager();  // done with the windows of the program before
    if ((pid_ = fork()) != 0) return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test that crashes leaves no program behind to hold ctest's output
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);  // as in a desktop session, where Qt wants one
    for (const auto& [name, value] : launch.environment)
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    dup2(open((folder_ / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

Kavimo::~Kavimo() {
    releaseHeldButtons();
    if (running()) kill(pid_, SIGKILL), waitForExit();
    std::filesystem::remove_all(folder_);
}

std::string Kavimo::settings() const {
    return contentsOf(folder_ / "kavimo.ini");
}

void Kavimo::replaceBinary() const {
    std::filesystem::remove(folder_ / "kavimo");
    std::filesystem::copy_file(KAVIMO_BINARY, folder_ / "kavimo");
}

std::string Kavimo::errors() const {
    return contentsOf(folder_ / "stderr.txt");
}

std::optional<int> Kavimo::waitForExit(int milliseconds) {
    eventually(
        [&] {
            int status = 0;
            if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_.has_value();
        },
        milliseconds);
    return status_;
}

std::optional<WindowId> Kavimo::waitForIcon() {
    std::optional<WindowId> icon;
    eventually([&] {
        for (WindowId window : windowsOf(pid_, "Form1"))
            if (isViewable(window)) icon = window;
        return icon.has_value();
    });
    if (!icon)  // what the program and the window manager were doing, for the report
        std::system(("ps -o pid,stat,wchan:24,etime,args -p " + std::to_string(pid_) +
                     "; xprop -root _NET_CLIENT_LIST_STACKING; xwininfo -root -tree | grep -v 'has no name'")
                        .c_str());
    return icon;
}

std::vector<Piece> Kavimo::pieces() const {
    std::vector<Piece> found;
    for (WindowId window : windowsOf(pid_, "Form2"))  // a window kept for the next piece shows no cell
        if (Piece piece = readPiece(window); isViewable(window) && !piece.cells.empty())
            found.push_back(piece);
    return found;
}

std::vector<Piece> Kavimo::waitForPieces(std::size_t count) const {
    std::vector<Piece> found, before;
    eventually([&] {
        before = std::exchange(found, pieces());
        return found.size() == count && found == before;
    });
    return found;
}

std::optional<WindowId> Kavimo::openMenuAt(Point at) const {
    click(at, 3);
    std::optional<WindowId> menu;
    eventually([&] { return (menu = popupOf(pid_)).has_value(); }, 3000);
    return menu;
}

}  // namespace e2e
