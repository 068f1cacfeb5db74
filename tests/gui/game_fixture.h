// A started program in the test's own process: the icon window loaded from a fresh settings file, the menu
// form behind it, a fixed seed and 15 twips per pixel.
#pragma once

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "game/Form1.h"
#include "game/Form2.h"
#include "game/Module1.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"
#include "window_test.h"

class Game : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::TestSeams::SetRandomSeed(1234);
        std::remove(toolkit::RGN_IniPath().c_str());
    }
    void TearDown() override {
        WindowTest::TearDown();
        game::Pieces.clear();
        game::PieceCount = 0;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::remove(toolkit::RGN_IniPath().c_str());
        platform::TestSeams::SetRandomSeed(std::nullopt);
    }

    static game::Form1& start() {
        game::Form1& icon = game::Form1::Instance();
        platform::Load(icon);
        icon.show();
        return icon;
    }
    static menu::frmMenu& menuForm() { return menu::frmMenu::Instance(); }
    static game::Form2& piece(int p) { return *game::Pieces.at(static_cast<std::size_t>(p)); }

    // Gives piece p exactly these cells (no marker) and repaints it.
    static void setCells(int p, const std::vector<std::pair<int, int>>& cells) {
        for (int y = 0; y < game::TileCountY; ++y)
            for (int x = 0; x < game::TileCountX; ++x) game::PieceCells(p, x, y) = 0;
        for (const auto& [x, y] : cells) game::PieceCells(p, x, y) = 1;
        game::PaintPiece(piece(p), static_cast<float>(p));
    }
    // Places piece p with its window's corner at the pixel.
    static void place(int p, int x, int y) {
        piece(p).setLeft(x * 15);
        piece(p).setTop(y * 15);
    }
    static std::set<std::pair<int, int>> cellsOf(int p) {
        std::set<std::pair<int, int>> cells;
        for (int y = 0; y < game::TileCountY; ++y)
            for (int x = 0; x < game::TileCountX; ++x)
                if (static_cast<int>(game::PieceCells(p, x, y)) % 2 == 1) cells.insert({x, y});
        return cells;
    }
};
