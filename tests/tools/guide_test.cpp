// The language guide's examples are run here, so the guide cannot drift from the library.
//
// docs/language.md pairs every ```cfg block with the ```out block (what the printer writes for the
// loaded store) or the ```err block (the loader's error) that follows it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_parser.h"
#include "config/printer.h"
#include "value/text.h"

namespace {

using namespace orvane;

// line: of the ```cfg fence, for the failure message; expectKind: "out" or "err".
struct Example { int line = 0; std::string source, expectKind, expected; };

std::vector<Example> examplesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<Example> examples;
    std::string line, kind, body;
    int lineNo = 0, fenceLine = 0;
    bool inside = false;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!inside && line.rfind("```", 0) == 0 && line.size() > 3) {
            inside = true;
            kind = line.substr(3);
            body.clear();
            fenceLine = lineNo;
        } else if (inside && line == "```") {
            inside = false;
            if (kind == "cfg") {
                examples.push_back({fenceLine, body, "", ""});
            } else if ((kind == "out" || kind == "err") && !examples.empty() &&
                       examples.back().expectKind.empty()) {
                examples.back().expectKind = kind;
                examples.back().expected = body;
            }
        } else if (inside) {
            body += line + "\n";
        }
    }
    return examples;
}

TEST(LanguageGuide, EveryExampleLoadsAndPrintsAsShown) {
    const std::string path = std::string(ORVANE_SOURCE_DIR) + "/docs/language.md";
    const std::vector<Example> examples = examplesOf(path);
    ASSERT_GE(examples.size(), 10u) << "the guide at " << path << " lost its examples";
    for (const Example& e : examples) {
        ASSERT_FALSE(e.expectKind.empty()) << "the cfg block at line " << e.line << " has no out/err block";
        config::ConfigParser parser;
        const bool loaded = parser.parseText(fromUtf8(e.source), Value(), false);
        if (e.expectKind == "out") {
            EXPECT_TRUE(loaded) << "line " << e.line << ": " << toUtf8(parser.error);
            EXPECT_EQ(toUtf8(config::printConfig(parser.variables, Value())), e.expected) << "line " << e.line;
        } else {
            EXPECT_FALSE(loaded) << "line " << e.line;
            EXPECT_EQ(toUtf8(parser.error) + "\n", e.expected) << "line " << e.line;
        }
    }
}

}  // namespace
