// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/InstanceMessage.h"

#include <gtest/gtest.h>

using namespace tolvane;
using Command = InstanceMessage::Command;

TEST(InstanceMessageTest, EncodesAndParsesEachCommand) {
    const InstanceMessage messages[] = {
        {Command::Activate, 0},      {Command::Close, 0},        {Command::Done, 0},
        {Command::Show, 40},         {Command::Show, 0},         {Command::Show, -7},
        {Command::Show, 2147483647}, {Command::Show, INT32_MIN},
    };
    for (const InstanceMessage& m : messages) {
        const std::string bytes = m.encode();
        SCOPED_TRACE(bytes);
        EXPECT_LE(bytes.size(), InstanceMessage::kMaxSize);
        const auto parsed = InstanceMessage::parse(bytes);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, m);
    }
    EXPECT_EQ((InstanceMessage{Command::Show, 40}.encode()), "TOLVANE 1 SHOW 40\n");
}

TEST(InstanceMessageTest, RefusesEverythingElse) {
    const char* const refused[] = {
        "",
        "\n",
        "TOLVANE 1 SHOW 40",   // no line end: half a message
        "TOLVANE 2 SHOW 40\n", // another version
        "tolvane 1 SHOW 40\n",
        "TOLVANE 1 show 40\n",
        "TOLVANE 1 SHOW\n",
        "TOLVANE 1 SHOW \n",
        "TOLVANE 1 SHOW  40\n",
        "TOLVANE 1 SHOW 40 \n",
        "TOLVANE 1 SHOW +40\n",
        "TOLVANE 1 SHOW 040\n",
        "TOLVANE 1 SHOW -0\n",
        "TOLVANE 1 SHOW 2147483648\n",
        "TOLVANE 1 SHOW 4x\n",
        "TOLVANE 1 ACTIVATE\r\n",
        "TOLVANE 1 CLOSE\nTOLVANE 1 CLOSE\n",
        "TOLVANE 1 QUIT\n",
        "TOLVANE 1 SHOW 99999999999999999999\n",
    };
    for (const char* bytes : refused) {
        SCOPED_TRACE(bytes);
        EXPECT_FALSE(InstanceMessage::parse(bytes));
    }
    EXPECT_FALSE(InstanceMessage::parse(std::string_view("TOLVANE 1 CLOSE\0\n", 17)));
    EXPECT_FALSE(InstanceMessage::parse(std::string(100, 'A') + "\n"));
}
