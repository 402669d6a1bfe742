#include <gtest/gtest.h>

#include "core/ClsBase.h"
#include "core/StringBuffer.h"
#include "platform/SystemInfo.h"

namespace {

class Component : public ClsBase {
public:
    bool Work(bool succeed) {
        MethodScope scope(*this, "Work");
        log_.AddData("step", "1");
        LogOutcome(succeed);
        return succeed;
    }
};

std::string Text(Logger& log) {
    StringBuffer out;
    log.GetAsText(out);
    return out.GetString();
}

}  // namespace

TEST(ClsBase, StandardEntryClearsTheLogAndRecordsTheEnvironment) {
    Component component;
    component.GetLog().AddInfo("from an earlier call");
    component.Work(true);
    const std::string expected = "QuorvelLog:\r\n"
                                 "  Work:\r\n"
                                 "    DllDate: Feb 28 2011\r\n"
                                 "    Username: " + platform::UserName() + "\r\n"
                                 "    Architecture: Little Endian; 32-bit\r\n"
                                 "    Language: C++ / Linux native\r\n"
                                 "    step: 1\r\n"
                                 "    Success.\r\n";
    EXPECT_EQ(Text(component.GetLog()), expected);
    component.Work(false);
    EXPECT_NE(Text(component.GetLog()).find("    Failed.\r\n"), std::string::npos);
    EXPECT_EQ(component.GetLog().Tree().OpenContextCount(), 1u) << "the method context is left";
}

TEST(ClsBase, EditionTexts) {
    EXPECT_STREQ(EditionLanguageText(2), ".NET 2.0");
    EXPECT_STREQ(EditionLanguageText(464), ".NET 4.0 / x64");
    EXPECT_STREQ(EditionLanguageText(0), "C++ / Linux native");
    EXPECT_FALSE(Component().QueryA());
    EXPECT_FALSE(Component().QueryB());
}
