// The common ground of the in-process tests: 15 twips per pixel, the template table filled, and afterwards
// every form the test loaded unloaded (all but the menu form, whose unload would end the process). Game adds
// a started program: the icon window loaded from no settings file, the menu form behind it, a fixed seed.
#pragma once

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QRegion>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

#include "../xclient.h"
#include "game/Form1.h"
#include "game/Form2.h"
#include "game/Module1.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"

// The pixels of a region, to compare outlines however their rectangles are cut.
inline std::set<xclient::Point> pixelsOf(const QRegion& region) {
    std::set<xclient::Point> pixels;
    for (const QRect& r : region)
        for (int i = 0; i < r.width() * r.height(); ++i)
            pixels.insert({r.x() + i % r.width(), r.y() + i / r.width()});
    return pixels;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::TestSeams::SetTwipsPerPixel(15.0f);
        toolkit::RGN_InitTemplates();
    }
    void TearDown() override {
        toolkit::RGN_UnloadFormsExcept("frmMenu");
        platform::DeleteKeptForms();  // each test starts as a new program does
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::TestSeams::SetTwipsPerPixel(std::nullopt);
        platform::TestSeams::RecordSleeps(false);
    }
    // A loaded form at the pixel place and size.
    template <class F = platform::Form, class... Name>
    static F& form(QRect place, Name... name) {
        auto& made = platform::NewForm<F>(name...);
        platform::Load(made);
        made.setLeft(place.x() * 15);
        made.setTop(place.y() * 15);
        made.setWidth(place.width() * 15);
        made.setHeight(place.height() * 15);
        return made;
    }
};

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
        game::CommandLineFlag = false;
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

    // Gives piece p exactly these cells (no marker), repaints it and puts its corner at the pixel.
    static void setPiece(int p, const std::vector<std::pair<int, int>>& cells, int x, int y) {
        for (int i = 0; i < game::TileCountX * game::TileCountY; ++i)
            game::PieceCells(p, i % int(game::TileCountX), i / int(game::TileCountX)) = 0;
        for (const auto& [cx, cy] : cells) game::PieceCells(p, cx, cy) = 1;
        game::PaintPiece(piece(p), static_cast<float>(p));
        piece(p).setLeft(x * 15);
        piece(p).setTop(y * 15);
    }
    static std::set<std::pair<int, int>> cellsOf(int p) {
        std::set<std::pair<int, int>> cells;
        for (int i = 0; i < game::TileCountX * game::TileCountY; ++i)
            if (int(game::PieceCells(p, i % int(game::TileCountX), i / int(game::TileCountX))) % 2 == 1)
                cells.insert({i % int(game::TileCountX), i / int(game::TileCountX)});
        return cells;
    }
    // Piece p's cells made row by row from the block's cell 4p: all pieces at one place fill the block.
    static void cutIntoRows(int x, int y) {
        const int n = static_cast<int>(game::TileCountX);
        for (int p = 0; p < game::PieceCount; ++p) {
            std::vector<std::pair<int, int>> cells;
            for (int k = 4 * p; k < 4 * p + 4; ++k) cells.push_back({k % n, k / n});
            setPiece(p, cells, x, y);
        }
    }
};
