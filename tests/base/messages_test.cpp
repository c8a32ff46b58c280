#include <gtest/gtest.h>

#include <string>

#include "base/messages.h"
#include "platform/log.h"
#include "support/temp_dir.h"

TEST(ShowMessage, OneLogLineWhetherOrNotTheTextEndsInALineFeed) {
    TempDir dir;
    std::string path = dir.path + "/log.txt";
    log(nullptr);
    log("NOLT_LOGFILE=%s", path.c_str());
    show_message("Warning: no closing addtile\n");
    show_message("Setup updated");
    log(nullptr);
    std::string text = dir.read("log.txt");
    EXPECT_NE(text.find("] Warning: no closing addtile\n["), std::string::npos) << text;
    EXPECT_NE(text.find("] Setup updated\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\n\n"), std::string::npos) << text;
}
