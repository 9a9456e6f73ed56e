// One edit apart, against the textbook distance on random calls, and the
// variants the search of miscopied calls walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "checker/call_edits.h"

namespace {

// Optimal string alignment distance: the model oneEditApart must agree with.
std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = i + j;
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

TEST(CallEdits, OneEditApartAtEveryPlaceOfTheCall)
{
    const struct {
        const char* a;
        const char* b;
        bool apart;
    } cases[] = {
        {"RB2B", "RB2B", false}, {"RB2B", "XB2B", true},    {"RB2B", "RB2X", true},  {"RB2B", "B2B", true},
        {"RB2B", "RB2", true},   {"RB2B", "RB2BB", true},   {"RB2B", "XRB2B", true}, {"RB2B", "BR2B", true},
        {"RB2B", "RBB2", true},  {"RB2B", "RB2BXY", false}, {"RB2B", "B2BR", false}, {"RB2B", "XB2X", false},
        {"", "A", true},         {"A", "", true},           {"AB", "BA", true},      {"RB2B", "2BRB", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(oneEditApart(c.a, c.b), c.apart) << c.a << " " << c.b;
        EXPECT_EQ(oneEditApart(c.b, c.a), c.apart) << c.b << " " << c.a;
    }
}

TEST(CallEdits, AgreesWithTheEditDistanceOnRandomCalls)
{
    std::mt19937 random(20251220);
    const std::string alphabet = "AB2/";
    for (int round = 0; round < 20000; ++round) {
        std::string a, b;
        for (int i = std::uniform_int_distribution<int>(0, 5)(random); i > 0; --i)
            a += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        for (int i = std::uniform_int_distribution<int>(0, 5)(random); i > 0; --i)
            b += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        ASSERT_EQ(oneEditApart(a, b), editDistance(a, b) == 1) << "\"" << a << "\" \"" << b << "\"";
    }
}

// Every variant but the call itself is one edit away, and calls one edit
// away at either end are among them.
TEST(CallEdits, TheVariantsAreExactlyTheCallsOneEditAway)
{
    for (const std::string call : {"R2B", "UA3ABC", "DL1ABC/P", "AB"}) {
        std::set<std::string> variants;
        forEachOneEditFrom(call, [&](const std::string& variant) {
            if (variant == call)
                return;
            variants.insert(variant);
            EXPECT_EQ(editDistance(call, variant), 1u) << call << " " << variant;
        });
        for (const std::string near : {call.substr(1), call.substr(0, call.size() - 1), "Q" + call, call + "/",
                                       call.substr(1, 1) + call.substr(0, 1) + call.substr(2),
                                       call.substr(0, call.size() - 2) + call.back() + call[call.size() - 2]})
            EXPECT_TRUE(variants.count(near)) << call << " " << near;
    }
}

}  // namespace
