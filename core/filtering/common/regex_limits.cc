#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/common/regex_limits.h"

#include <pcre2.h>

#include <memory>

#include "core/commons/logger.h"

namespace {

pcre2_match_context *create_context() {
    pcre2_match_context *context = pcre2_match_context_create(nullptr);
    OV_ASSERT(context != nullptr);
    pcre2_set_match_limit(context, REGEX_MATCH_LIMIT);
    pcre2_set_depth_limit(context, REGEX_DEPTH_LIMIT);
    return context;
}

struct MatchDataDeleter {
    void operator()(pcre2_match_data *data) const { pcre2_match_data_free(data); }
};

// One ovector pair is all a yes/no match needs, whatever the pattern.
pcre2_match_data *thread_match_data() {
    thread_local std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create(1, nullptr));
    return data.get();
}

struct MatchContextDeleter {
    void operator()(pcre2_match_context *context) const { pcre2_match_context_free(context); }
};

}  // namespace

// Freed at exit after every engine made before its first use, so that leak
// checkers see a clean exit.
pcre2_match_context *regex_match_context() {
    static std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(create_context());
    return context.get();
}

int regex_match(const pcre2_code *code, const char *subject, size_t length) {
    pcre2_match_data *data = thread_match_data();
    if (data == nullptr) {
        return PCRE2_ERROR_NOMEMORY;
    }
    int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject), length, 0, PCRE2_NO_JIT, data,
                         regex_match_context());
    if (rc >= 0) {
        return 1;
    }
    return rc == PCRE2_ERROR_NOMATCH ? 0 : rc;
}

bool regex_limited_match(const pcre2_code *code, const char *subject, size_t length) {
    return regex_match(code, subject, length) == 1;
}
