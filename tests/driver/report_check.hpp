#pragma once
// The shape of a complete console report of the built-in run.

#include "process.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

/// Checks that out is the whole report of the built-in run and nothing else:
/// the cusp condition map, the critical-point messages in their order with
/// exactly one cusp, the topology check (with its "mince" lines), and no
/// line after its end.
inline void expect_complete_report(const std::string& out)
{
    const std::vector<std::string> lines = lines_of(out);
    ASSERT_GE(lines.size(), 17u) << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(lines[0], "cardinal of independent variables : 2");
    EXPECT_EQ(lines[3], "cardinal of dependent variables : 2");
    EXPECT_EQ(lines[6].rfind("y0 : ", 0), 0u) << lines[6];
    EXPECT_EQ(lines[7].rfind("y1 : ", 0), 0u) << lines[7];

    const std::vector<std::string> critical = {
        "Beginning of the procedure which find the critical points",
        "     The number of cusp points is exactly : 1",
        "     The number of transversal intersection of fold curves in the target is exactly : ",
        "     The number of transversal intersection of boundary curves in the target is exactly : ",
        "     The number of intersection fold curves with boundary is exactly : ",
        "End of the procedure which find the critical points",
        "Beginning of the procedure that check the topology of the singular curve"};
    for (std::size_t i = 0; i < critical.size(); i++) {
        const std::string& line = lines[8 + i];
        if (i >= 2 && i <= 4) {
            // A count follows the message directly.
            ASSERT_EQ(line.rfind(critical[i], 0), 0u) << line;
            const std::string count = line.substr(critical[i].size());
            EXPECT_FALSE(count.empty());
            EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << line;
        } else {
            EXPECT_EQ(line, critical[i]);
        }
    }
    std::size_t k = 8 + critical.size();
    while (k < lines.size() && lines[k] == "mince")
        k++;
    ASSERT_EQ(k + 2, lines.size()) << "unexpected lines after the topology check:\n" << out;
    EXPECT_TRUE(lines[k] == " Failure  " || lines[k] == " The singular curve is known. ") << lines[k];
    EXPECT_EQ(lines[k + 1], "End the procedure that check the topology of the singular curve");
}
