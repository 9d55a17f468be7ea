// The session language as README documents it: one row a step, spelt as the
// host's own table of steps spells it, and no row for a step the host lacks.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "session.h"

TEST(SessionSteps, ReadmeStepTableMatchesTheHostsTable) {
    std::ifstream readme(std::string(VELLOQUIN_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    std::set<std::string> documented;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| step | what it does |") inTable = true;
        else if (inTable && line.rfind("| `", 0) == 0) documented.insert(line);
        else if (inTable && line.rfind("|---", 0) != 0) inTable = false;
    }
    std::set<std::string> expected;
    for (const TestHost::SessionStep& step : TestHost::SessionSteps()) {
        std::string words = std::string(step.name) + (*step.arguments ? " " : "") + step.arguments;
        std::string escaped;
        for (char c : words) escaped += c == '|' ? std::string("\\|") : std::string(1, c);
        const std::string row = "| `" + escaped + "` | " + step.help + " |";
        EXPECT_TRUE(documented.count(row)) << "README lacks the row:\n" << row;
        expected.insert(row);
    }
    for (const std::string& row : documented) EXPECT_TRUE(expected.count(row)) << "README documents no step of the host:\n" << row;
}
