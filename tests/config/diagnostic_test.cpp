#include "config/diagnostic.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::config;

TEST(ReportError, ReplacesTheErrorWithALocatedMessageAndAnswersFalse) {
    std::u16string error = u"an older message";
    EXPECT_FALSE(reportError(error, u"Scanning Error", SourcePos{3, 7}, u"Invalid character 0x%02X", 0x23));
    EXPECT_EQ(error, u"Scanning Error (3:7): Invalid character 0x23");
    reportError(error, u"Syntax Error", SourcePos{1, 2}, u"");
    EXPECT_EQ(error, u"Syntax Error (1:2): ");
}
