// The common ground of the in-process tests: 15 twips per pixel, the template table filled, and afterwards
// every form the test loaded unloaded (all but the menu form, whose unload would end the process).
#pragma once

#include <gtest/gtest.h>

#include "platform/runtime.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::TestSeams::SetTwipsPerPixel(15.0f);
        toolkit::RGN_InitTemplates();
    }
    void TearDown() override {
        toolkit::RGN_UnloadFormsExcept("frmMenu");
        platform::TestSeams::SetTwipsPerPixel(std::nullopt);
        platform::TestSeams::RecordSleeps(false);
    }
};
