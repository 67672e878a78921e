#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/filtering/converter/rule_converter.h"

#include <pcre2.h>

#include <cstdlib>
#include <string_view>

#include "core/commons/strview.h"
#include "core/filtering/common/regex_limits.h"
#include "core/filtering/converter/conv_str.h"
#include "core/filtering/converter/rule_converter_internal.h"
#include "core/filtering/converter/rule_syntax.h"

namespace {

// Longest PCRE2 error text we report.
constexpr size_t kErrorTextMax = 256;

constexpr conv_pattern_t entry(std::string_view precheck, int mode, std::string_view pattern,
                               int group, conv_handler_t handler) {
    return {mode,
            static_cast<unsigned>(precheck.size()),
            precheck.data(),
            static_cast<unsigned>(pattern.size()),
            pattern.data(),
            group,
            handler,
            nullptr};
}

// Tried in this order; the first entry whose handler yields rules wins. The
// pre-check is a cheap literal test that spares most rules the match.
constexpr conv_pattern_t kTemplate[CONV_PATTERN_COUNT] = {
    entry("##^script:has-text", PRECHECK_EXACT,
          R"re((.*)(##\^script:has-text\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2, convert_has_text),
    entry("#@#^script:has-text", PRECHECK_EXACT,
          R"re((.*)(#@#\^script:has-text\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2, convert_has_text),
    entry("##", PRECHECK_EXACT, R"re(^(.*?)##(.*?):style\((.*?)\)(.*)$)re", 1, convert_css),
    entry("#@#", PRECHECK_EXACT, R"re(^(.*?)#@#(.*?):style\((.*?)\)(.*)$)re", 1, convert_css),
    entry("#?#", PRECHECK_EXACT, R"re(^(.*?)#\?#(.*?):style\((.*?)\)(.*)$)re", 1, convert_css),
    entry("#@?#", PRECHECK_EXACT, R"re(^(.*?)#@\?#(.*?):style\((.*?)\)(.*)$)re", 1, convert_css),
    entry("##+js", PRECHECK_EXACT, R"re((.*)(##\+js\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_ubo_scriptlet),
    entry("#@#+js", PRECHECK_EXACT, R"re((.*)(#@#\+js\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_ubo_scriptlet),
    entry("##script:inject", PRECHECK_EXACT,
          R"re((.*)(##script:inject\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2, convert_ubo_scriptlet),
    entry("#@#script:inject", PRECHECK_EXACT,
          R"re((.*)(#@#script:inject\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2, convert_ubo_scriptlet),
    entry("#$#", PRECHECK_EXACT, R"re(.*?(#\$#(?!.+{.*}))([^\s]+ *)+$)re", 1, convert_abp_snippet),
    entry("#?#+js", PRECHECK_EXACT, R"re((.*)(#\?#\+js\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_ubo_scriptlet),
    entry("#@?#+js", PRECHECK_EXACT, R"re((.*)(#@\?#\+js\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_ubo_scriptlet),
    entry("inline-script", PRECHECK_NOCASE, R"re(((.*?)\$(.+,)?)(inline-script(=.+)?)(,.*|$))re", 4,
          convert_csp_option),
    entry("inline-font", PRECHECK_NOCASE, R"re(((.*?)\$(.+,)?)(inline-font(=.+)?)(,.*|$))re", 4,
          convert_csp_option),
    entry("all", PRECHECK_NOCASE, R"re(((.*?)\$(.+,)?)(all(=.+)?)(,.*|$))re", 4,
          convert_csp_option),
    entry("rewrite=abp-resource:", PRECHECK_NOCASE,
          R"re(^.*?\$(.+?,)*(rewrite=abp-resource:).*$)re", 2, convert_rewrite),
    entry("mp4", PRECHECK_NOCASE, R"re(((.*?)\$(.+,)?)(mp4(=.+)?)(,.*|$))re", 4,
          convert_redirect_option),
    entry("empty", PRECHECK_NOCASE, R"re(((.*?)\$(.+,)?)(empty(=.+)?)(,.*|$))re", 4,
          convert_redirect_option),
    entry("##^responseheader(", PRECHECK_EXACT,
          R"re((.*)(##\^responseheader\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_response_header),
    entry("#@#^responseheader(", PRECHECK_EXACT,
          R"re((.*)(#@#\^responseheader\()((?!\/.*\/)[ -~]*?)\)(.*)$)re", 2,
          convert_response_header),
    entry(":matches-path(", PRECHECK_NOCASE,
          R"re(^((?!.*:not\()(.*?)(:matches-path\()(.+)\)(.*)).*$)re", 3, convert_matches_path),
    entry(":not(:matches-path(", PRECHECK_NOCASE, R"re((.*?)(:not\(:matches-path\()(.+)\)\)(.*))re",
          2, convert_not_matches_path),
};

void compile_entry(rule_converter_s *converter, conv_pattern_t *e) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    e->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(e->pattern), e->pattern_len, 0, &error,
                            &offset, nullptr);
    if (e->code == nullptr) {
        char text[kErrorTextMax];
        pcre2_get_error_message(error, reinterpret_cast<PCRE2_UCHAR *>(text), sizeof text);
        logger_log(converter->logger, LOG_LEVEL_ERROR,
                   "%s(): Couldn't compile pattern (%s) for rule conversion -- %s (offset=%zu)",
                   "rule_converter_alloc", e->pattern, text, offset);
    }
}

// Case-sensitive entries test only the first occurrence of the pre-check's
// first byte: their markers ("##", "#@#", "#$#", ...) start at the first '#'
// of a cosmetic rule, so a later '#' (in a selector) never starts them.
bool precheck_passes(const conv_pattern_t *e, std::string_view s) {
    if (e->precheck_len == 0) {
        return true;
    }
    if (s.size() <= e->precheck_len) {
        return false;
    }
    std::string_view precheck(e->precheck, e->precheck_len);
    if (e->precheck_mode == PRECHECK_NOCASE) {
        std::string_view c_text = s.substr(0, strview::find_char(s, '\0'));
        return strview::find_nocase(c_text, precheck) < c_text.size();
    }
    return strview::starts_with(s.substr(strview::find_char(s, precheck[0])), precheck);
}

// Runs one entry on `s` with its match data and, when the match is usable,
// its handler; the handler's rules (possibly none) go to `*out`.
void run_entry(rule_converter_s *converter, int index, std::string_view s, pcre2_match_data *data,
               conv_rules_t *out) {
    const conv_pattern_t *e = &converter->table[index];
    int rc = pcre2_match(e->code, reinterpret_cast<PCRE2_SPTR>(s.data()), s.size(), 0, 0, data,
                         regex_match_context());
    if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL) {
        return;
    }
    if (rc < 0) {
        logger_log(converter->logger, LOG_LEVEL_WARN,
                   "%s(): Matching '%.*s' failed against pattern '%s': %d", "convert_rule",
                   static_cast<int>(s.size()), s.data(), e->pattern, rc);
        return;
    }
    logger_log(converter->logger, LOG_LEVEL_TRACE, "%s(): got retval = %d", "convert_rule", rc);
    uint32_t pairs = pcre2_get_ovector_count(data);
    if (pairs < static_cast<uint32_t>(e->group) + 1) {
        logger_log(converter->logger, LOG_LEVEL_ERROR,
                   "%s(): Rule matched against pattern, but vector of offsets is too small "
                   "(expected at least %zu, got %zu offsets)",
                   "convert_rule", 2 * static_cast<size_t>(e->group) + 1, 2 * size_t{pairs});
        return;
    }
    conv_match_t match{s.data(), s.size(), pcre2_get_ovector_pointer(data), pairs};
    *out = e->handler(converter, index, &match, e->group);
}

// Applies the table to `s`: the rules of the first entry whose handler
// yields any. Returns false when memory ran out.
bool apply_table(rule_converter_s *converter, std::string_view s, conv_rules_t *out) {
    for (int index = 0; index < CONV_PATTERN_COUNT && out->count == 0; ++index) {
        const conv_pattern_t *e = &converter->table[index];
        if (!precheck_passes(e, s) || e->code == nullptr) {
            continue;
        }
        pcre2_match_data *data = pcre2_match_data_create_from_pattern(e->code, nullptr);
        if (data == nullptr) {
            return false;
        }
        run_entry(converter, index, s, data, out);
        pcre2_match_data_free(data);
    }
    return true;
}

// One round for the string at the head of the queue: its rewrites join the
// end of the queue; a string nothing rewrites is a result, unless it is the
// input itself.
bool convert_one(rule_converter_s *converter, conv_str_t *taken, bool first_round,
                 conv_rules_t *queue, conv_rules_t *result) {
    conv_rules_t yielded{};
    bool ok = apply_table(converter, {taken->data, taken->length}, &yielded);
    if (yielded.count > 0) {
        conv_str_free(taken);
        return conv_rules_move_all(queue, &yielded) && ok;
    }
    if (first_round || !ok) {
        conv_str_free(taken);
        return ok;
    }
    return conv_rules_push(result, taken);
}

}  // namespace

std::string_view conv_group(const conv_match_t *match, int n) {
    if (n < 0 || static_cast<uint32_t>(n) >= match->pairs || match->ovector[2 * n] == PCRE2_UNSET) {
        return {};
    }
    size_t start = match->ovector[2 * n];
    return {match->text + start, match->ovector[2 * n + 1] - start};
}

std::string_view conv_before_group(const conv_match_t *match, int n) {
    return {match->text, match->ovector[2 * n]};
}

std::string_view conv_after_group(const conv_match_t *match, int n) {
    size_t end = match->ovector[2 * n + 1];
    return {match->text + end, match->length - end};
}

rule_converter_s *rule_converter_alloc() {
    auto *converter = static_cast<rule_converter_s *>(calloc(1, sizeof(rule_converter_s)));
    if (converter == nullptr) {
        return nullptr;
    }
    // The converter's own level: its messages do not follow the process
    // default, so a busy list load at DEBUG does not trace every rule.
    converter->logger = logger_open("rule converter", LOG_LEVEL_INFO);
    if (converter->logger == nullptr) {
        free(converter);
        return nullptr;
    }
    for (int index = 0; index < CONV_PATTERN_COUNT; ++index) {
        converter->table[index] = kTemplate[index];
        compile_entry(converter, &converter->table[index]);
    }
    return converter;
}

void rule_converter_free(rule_converter_s *converter) {
    if (converter == nullptr) {
        return;
    }
    logger_close(converter->logger);
    for (conv_pattern_t &e : converter->table) {
        pcre2_code_free(e.code);
    }
    free(converter);
}

conv_rules_t convert_rule(rule_converter_s *converter, const char *rule, size_t length) {
    conv_rules_t result{};
    if (is_comment_rule(rule, length) || is_list_header(rule, length)) {
        return result;
    }
    conv_rules_t queue{};
    conv_str_t input{};
    bool ok = conv_str_append(&input, {rule, length}) && conv_rules_push(&queue, &input);
    // Every rewrite is offered to the table again, so a rule using several
    // foreign forms ends up with all of them rewritten.
    for (uint32_t head = 0; ok && head < queue.count; ++head) {
        conv_str_t taken = queue.rules[head];
        queue.rules[head] = conv_str_t{};
        ok = convert_one(converter, &taken, head == 0, &queue, &result);
    }
    conv_str_free(&input);
    conv_rules_free(&queue);
    if (!ok) {
        conv_rules_free(&result);
    }
    return result;
}
