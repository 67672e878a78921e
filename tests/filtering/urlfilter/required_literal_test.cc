#include "core/filtering/urlfilter/required_literal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RequiredLiteral, TakesOnlyWhatEveryMatchHolds) {
    struct {
        const char *expr;
        const char *literal;
    } rows[] = {
        {R"((https?:\/\/)104\.154\..{100,})", "104.154."},
        {R"(^https?:\/\/146\.59\.211\.(\d){1,3}.*)", "://146.59.211."},
        {R"(BannerAd\d+)", "bannerad"},
        {R"(ads?/banner)", "/banner"},  // 's' is optional
        {R"(abc*defgh)", "defgh"},      // 'c' may be absent
        {R"(xy+zzz)", "zzz"},           // "xy" and "zzz" are both held
        {R"(foo|barbaz)", ""},          // an alternative: nothing is certain
        {R"((a|b)cdef)", "cdef"},
        {R"([a-z]{3}track)", "track"},
        {R"(\x{41}\x{42}qq)", "qq"},  // escapes are not literals
        {R"(a\/b\.c)", "a/b.c"},
        {"", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.expr);
        EXPECT_EQ(regex_required_literal(row.expr, strlen(row.expr)), row.literal);
    }
}

}  // namespace
