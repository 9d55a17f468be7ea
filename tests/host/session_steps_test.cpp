// README's table of session steps says exactly what `velloquin-host --help` says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "session.h"

namespace {

std::string Escaped(std::string text) {
    for (std::size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at + 2)) text.insert(at, "\\");
    return text;
}

TEST(SessionSteps, ReadmeTableMatchesTheStepTable) {
    std::ifstream readme(std::string(VELLOQUIN_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme);
    std::string line, table;
    while (std::getline(readme, line) && line != "| step | what it does |") {
    }
    std::getline(readme, line);  // the rule under the heading
    while (std::getline(readme, line) && line.rfind("| ", 0) == 0) table += line + "\n";

    std::string expected;
    for (const TestHost::SessionStep& step : TestHost::SessionSteps()) {
        const std::string words = std::string(step.name) + (*step.arguments ? " " : "") + step.arguments;
        expected += "| `" + Escaped(words) + "` | " + Escaped(step.help) + " |\n";
    }
    EXPECT_EQ(table, expected);
}

}  // namespace
