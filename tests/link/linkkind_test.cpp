// The rules that tell a serial link text from a network address, side by side: they
// differ on purpose, and the rows where they disagree are the ones that matter.
#include "link/linkkind.h"

#include <gtest/gtest.h>

namespace {

TEST(LinkKind, EachRuleOverTheSameTexts)
{
    struct Case
    {
        const char* text;
        bool serial;   // isSerialLinkText: 6 characters or fewer
        bool comPort;  // namesComPort: "COM" in any case
        bool dotted;   // hasDottedAddress: a dot
    };
    const Case cases[] = {
        {"COM1", true, true, false},
        {"com4", true, true, false},
        {"COM255", true, true, false},
        {"COM", true, true, false},
        {"xcOmy", true, true, false},
        {"", true, false, false},
        {"7", true, false, false},
        {"127.2.3.4", false, false, true},
        {"127.0.0.1", false, false, true},
        {"127.100.100.200", false, false, true},
        // Where the rules part: a short text with a dot, a long port text.
        {"a.b", true, false, true},
        {"1.2.3", true, false, true},
        {"COM1234", false, true, false},
        {"COM1.example", false, true, true},
        {"devicehost", false, false, false},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(isSerialLinkText(text), c.serial) << c.text;
        EXPECT_EQ(isNetworkLinkText(text), !c.serial) << c.text;
        EXPECT_EQ(namesComPort(text), c.comPort) << c.text;
        EXPECT_EQ(hasDottedAddress(text), c.dotted) << c.text;
    }
}

}  // namespace
