// Matching one request: the referrer's page-level rules first, then the
// candidates the index yields for the URL, each through the cheap checks
// before its expression runs.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/commons/strview.h"
#include "core/filtering/common/plain_pattern.h"
#include "core/filtering/common/public_suffix.h"
#include "core/filtering/common/regex_limits.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"
#include "core/filtering/urlfilter/urlfilter_internal.h"

namespace {

const char kMatchRule[] = "match_rule";

enum { MATCH_NOTFOUND = 0, MATCH_EXCEPTION = 1, MATCH_BLOCKING = 2, MATCH_BROKEN = -1 };

// A matched rule. The result builder clones what it keeps, so the match list
// holds the shared rule itself (alive even if the cache evicts it) and a
// shallow copy carrying the tag of the index entry that found it.
struct Found {
    int32_t kind;
    rule_ptr rule;
    cached_rule_t view;  // borrows everything from `rule`; never released
};

using FoundList = std::vector<Found>;

struct MatchContext {
    urlfilter_request_t request;
    url_components_t url;
    std::string url_lower;
    const char *url_domain = nullptr;
    bool url_has_line_break = false;
    bool has_referrer = false;
    url_components_t referrer;
    std::string referrer_lower;
    const char *referrer_domain = nullptr;
    std::vector<Found> results;
    bool generic_blocked = false;
    bool third_party = false;
    bool trace = false;  // looked up once: matching tests it at every step
};

// Matching reuses one pair of contexts per thread, so that their buffers keep
// their capacity from request to request. A lease clears what the contexts
// hold when the match is over; a nested match on the same thread (a log
// callback asking again) gets a pair of its own.
struct ContextPair {
    MatchContext request;
    MatchContext page;
    bool busy = false;
};

class ContextLease {
  public:
    ContextLease() {
        thread_local ContextPair pair;
        if (pair.busy) {
            owned_ = std::make_unique<ContextPair>();
        }
        pair_ = owned_ ? owned_.get() : &pair;
        pair_->busy = true;
    }
    ~ContextLease() {
        pair_->request.results.clear();
        pair_->page.results.clear();
        pair_->busy = false;
    }
    ContextLease(const ContextLease &) = delete;
    ContextLease &operator=(const ContextLease &) = delete;

    MatchContext *request() { return &pair_->request; }
    MatchContext *page() { return &pair_->page; }

  private:
    std::unique_ptr<ContextPair> owned_;
    ContextPair *pair_;
};

void lower_into(const char *text, size_t length, std::string *out) {
    out->assign(text, length);
    for (char &c : *out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

std::string_view referrer_host(const MatchContext &ctx) {
    return ctx.has_referrer ? std::string_view(ctx.referrer.host.text, ctx.referrer.host.length)
                            : std::string_view();
}

std::string_view url_host(const MatchContext &ctx) {
    return {ctx.url.host.text, ctx.url.host.length};
}

// Fills the URL and referrer parts. Returns false when the URL does not parse.
bool build_context(const urlfilter_request_t *request, logger_s *log, MatchContext *ctx) {
    ctx->request = *request;
    ctx->trace = logger_trace_enabled(log);
    ctx->url_domain = ctx->referrer_domain = nullptr;
    ctx->has_referrer = ctx->generic_blocked = false;
    ctx->results.clear();
    ctx->third_party = (request->request_flags & URLFILTER_THIRD_PARTY) != 0;
    if (url_components_parse(request->url, request->url_len, &ctx->url) != 0) {
        return false;
    }
    lower_into(request->url, request->url_len, &ctx->url_lower);
    ctx->url_has_line_break = memchr(request->url, '\n', request->url_len) != nullptr ||
                              memchr(request->url, '\r', request->url_len) != nullptr;
    ctx->url_domain = registrable_domain(ctx->url.host.text);
    if (request->referrer_len > 0 &&
        url_components_parse(request->referrer, request->referrer_len, &ctx->referrer) == 0) {
        ctx->has_referrer = true;
        lower_into(request->referrer, request->referrer_len, &ctx->referrer_lower);
        ctx->referrer_domain = registrable_domain(ctx->referrer.host.text);
    }
    if (ctx->url_domain && ctx->referrer_domain &&
        !(request->request_flags & URLFILTER_PARTY_GIVEN)) {
        ctx->third_party =
            ctx->third_party || !strview::equals_nocase(ctx->url_domain, ctx->referrer_domain);
    }
    return true;
}

bool has_permitted_domains(const cached_rule_t *rule) {
    return rule->options != nullptr && !rule_domains_generic(&rule->options->domains);
}

bool is_excluded(const MatchContext &ctx, const cached_rule_t *rule) {
    for (uint32_t i = 0; i < ctx.request.excluded_count; ++i) {
        const urlfilter_text_t &t = ctx.request.excluded[i];
        if (t.length == rule->text_len && memcmp(t.text, rule->text, t.length) == 0) {
            return true;
        }
    }
    return false;
}

bool party_ok(const MatchContext &ctx, const cached_rule_t *rule) {
    if (rule->party == RULE_PARTY_THIRD) {
        return ctx.has_referrer ? ctx.third_party
                                : (ctx.request.request_flags & URLFILTER_THIRD_PARTY) != 0;
    }
    if (rule->party == RULE_PARTY_FIRST) {
        return ctx.has_referrer && !ctx.third_party;
    }
    return true;
}

bool type_ok(const MatchContext &ctx, const cached_rule_t *rule) {
    uint32_t type = ctx.request.request_type;
    if (type == 0) {
        return true;
    }
    const uint32_t kPageFlags = RULE_GENERICBLOCK | RULE_GENERICHIDE | RULE_ELEMHIDE |
                                RULE_JSINJECT | RULE_CONTENT | RULE_URLBLOCK | RULE_EXTENSION |
                                RULE_SPECIFICHIDE;
    if (!(type & (CONTENT_DOCUMENT | CONTENT_SUBDOCUMENT)) && (rule->flags & kPageFlags)) {
        return false;
    }
    const rule_options_t *o = rule->options;
    if (o == nullptr) {
        return true;
    }
    return (o->permitted_types == 0 || (o->permitted_types & type)) &&
           !(o->restricted_types & type);
}

rule_domains_match_t check_host(std::string_view host, const cached_rule_t *rule) {
    return match_rule_domains(host.data(), host.size(),
                              rule->options ? &rule->options->domains : nullptr);
}

bool domains_ok(const MatchContext &ctx, const cached_rule_t *rule) {
    uint32_t type = ctx.request.request_type;
    bool document = type == CONTENT_DOCUMENT || type == (CONTENT_DOCUMENT | CONTENT_SUBDOCUMENT);
    bool allowed;
    if (!document || (pattern_targets_domain(rule) &&
                      (rule->options == nullptr || has_permitted_domains(rule)))) {
        rule_domains_match_t r = check_host(referrer_host(ctx), rule);
        if (r.allowed || r.restricted_hit) {
            allowed = r.allowed;
        } else {
            allowed =
                (rule->flags & (RULE_CSP | RULE_COOKIE)) && check_host(url_host(ctx), rule).allowed;
        }
    } else {
        std::string_view ref = referrer_host(ctx);
        rule_domains_match_t r{false, false};
        if (!ref.empty()) {
            r = check_host(ref, rule);
        }
        allowed =
            (r.allowed || r.restricted_hit) ? r.allowed : check_host(url_host(ctx), rule).allowed;
    }
    if (!allowed) {
        return false;
    }
    const rule_options_t *o = rule->options;
    if (o != nullptr && !string_set_empty(o->denyallow.permitted)) {
        std::string_view host = url_host(ctx);
        return !match_rule_domains(host.data(), host.size(), &o->denyallow).allowed;
    }
    return true;
}

logger_s *log_of(urlfilter_s *engine) {
    return engine->context.logger;
}

void append_result(MatchContext *ctx, int kind, const rule_ptr &rule, int32_t user_tag) {
    Found found{kind, rule, *rule};
    found.view.user_tag = user_tag;
    ctx->results.push_back(std::move(found));
}

bool host_in_badfilter(std::string_view host, const cached_rule_t *badfilter) {
    const rule_domains_t &d = badfilter->options->domains;
    if (string_set_contains_suffix(d.permitted, host.data(), host.size())) {
        return true;
    }
    size_t key = any_tld_key_length(host.data(), host.size());
    return key > 0 && string_set_contains_suffix(d.permitted_any_tld, host.data(), key);
}

// Finds the badfilter rule that switches `rule` off, if any.
rule_ptr find_badfilter(urlfilter_s *engine, const MatchContext &ctx, const cached_rule_t *rule,
                        int32_t *user_tag) {
    std::string text(rule->text, rule->text_len);
    auto by_text = engine->badfilter_by_text.find(text);
    if (by_text != engine->badfilter_by_text.end()) {
        *user_tag = by_text->second.user_tag;
        return storage_get(&engine->storage, by_text->second.id);
    }
    const rule_options_t *o = rule->options;
    if (!has_permitted_domains(rule) || !string_set_empty(o->domains.restricted) ||
        !string_set_empty(o->domains.restricted_any_tld)) {
        return nullptr;
    }
    std::string stripped = strip_domain_option(text);
    auto bucket =
        engine->badfilter_by_hash.find(urlfilter_key_hash(stripped.data(), stripped.size()));
    if (bucket == engine->badfilter_by_hash.end()) {
        return nullptr;
    }
    std::string_view host = referrer_host(ctx).empty() ? url_host(ctx) : referrer_host(ctx);
    for (int32_t id : bucket->second) {
        rule_ptr b = storage_get(&engine->storage, id);
        if (b == nullptr || !(b->flags & RULE_BADFILTER) ||
            strip_domain_option(b->options->badfilter_text) != stripped ||
            !string_set_empty(b->options->domains.restricted) ||
            !string_set_empty(b->options->domains.restricted_any_tld) ||
            !host_in_badfilter(host, b.get())) {
            continue;
        }
        *user_tag = b->user_tag;
        return b;
    }
    return nullptr;
}

bool is_limit_error(int rc) {
    return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
           rc == PCRE2_ERROR_HEAPLIMIT;
}

// Runs the rule's expression. Returns 1 matched, 0 not, -1 broken.
int match_regex(urlfilter_s *engine, const MatchContext &ctx, cached_rule_t *rule) {
    if (!ctx.url_has_line_break && plain_pattern_supported(rule->pattern, rule->pattern_len)) {
        bool case_sensitive = (rule->flags & RULE_CASE_SENSITIVE) != 0;
        const char *subject = case_sensitive ? ctx.request.url : ctx.url_lower.data();
        return plain_pattern_match(rule->pattern, rule->pattern_len, case_sensitive, subject,
                                   ctx.request.url_len)
                   ? 1
                   : 0;
    }
    logger_s *log = log_of(engine);
    if (rule->regex == nullptr && urlfilter_compile_rule(&engine->context, rule) != 0) {
        logger_log(log, LOG_LEVEL_WARN, "%s(): Delayed compilation of rule '%.*s' failed",
                   kMatchRule, static_cast<int>(rule->text_len), rule->text);
        return -1;
    }
    int rc = regex_match(rule->regex, ctx.request.url, ctx.request.url_len);
    if (rc >= 0 || rc == PCRE2_ERROR_PARTIAL) {
        return rc == 1 ? 1 : 0;
    }
    // A URL that drives an expression into its limits says nothing about the
    // rule: it stays (or any page could strip rules), this request just
    // does not match it.
    if (is_limit_error(rc)) {
        if (engine->limit_reported.insert(rule->id).second) {
            logger_log(log, LOG_LEVEL_WARN,
                       "%s(): Matching rule '%.*s' hit the match limit on URL '%s': %d", kMatchRule,
                       static_cast<int>(rule->text_len), rule->text, ctx.request.url, rc);
        }
        return 0;
    }
    logger_log(log, LOG_LEVEL_WARN, "%s(): Matching rule '%.*s' failed against URL '%s': %d",
               kMatchRule, static_cast<int>(rule->text_len), rule->text, ctx.request.url, rc);
    return -1;
}

// Matching runs for every request: trace lines cost a level test, not a call.
#define TRACE_RULE(log, msg)                                            \
    do {                                                                \
        if (trace)                                                      \
            logger_log(log, LOG_LEVEL_TRACE, "%s(): " msg, kMatchRule); \
    } while (0)

int match_rule(urlfilter_s *engine, MatchContext *ctx, cached_rule_t *rule) {
    logger_s *log = log_of(engine);
    bool trace = ctx->trace;
    if (trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): URL '%s' -- considering rule '%.*s'...", kMatchRule,
                   ctx->request.url, static_cast<int>(rule->text_len), rule->text);
    }
    if (is_excluded(*ctx, rule)) {
        TRACE_RULE(log, "...rule is excluded from matching");
        return MATCH_NOTFOUND;
    }
    if (rule->shortcut != nullptr && rule->shortcut[0] != '\0' &&
        ctx->url_lower.find(rule->shortcut) == std::string::npos) {
        if (trace) {
            logger_log(log, LOG_LEVEL_TRACE, "%s(): ...url doesn't contain shortcut (%s)",
                       kMatchRule, rule->shortcut);
        }
        return MATCH_NOTFOUND;
    }
    if (!party_ok(*ctx, rule)) {
        TRACE_RULE(log, "...thirdparty check failed");
        return MATCH_NOTFOUND;
    }
    if (!type_ok(*ctx, rule)) {
        TRACE_RULE(log, "...request type check failed");
        return MATCH_NOTFOUND;
    }
    if (!(ctx->request.request_flags & URLFILTER_SKIP_DOMAIN_CHECK) && !domains_ok(*ctx, rule)) {
        TRACE_RULE(log, "...domain check failed");
        return MATCH_NOTFOUND;
    }
    if (ctx->generic_blocked && !has_permitted_domains(rule)) {
        TRACE_RULE(log, "...generic rules check failed");
        return MATCH_NOTFOUND;
    }
    if (!(ctx->request.request_flags & URLFILTER_SKIP_APP_CHECK) && rule->options != nullptr &&
        !match_rule_apps(ctx->request.app_name, &rule->options->apps)) {
        TRACE_RULE(log, "...appname check failed");
        return MATCH_NOTFOUND;
    }
    int matched = match_regex(engine, *ctx, rule);
    if (matched <= 0) {
        if (matched == 0) {
            TRACE_RULE(log, "...url was not matched against rule regex");
        }
        return matched < 0 ? MATCH_BROKEN : MATCH_NOTFOUND;
    }
    if (trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): URL '%s' matched rule '%.*s'!", kMatchRule,
                   ctx->request.url, static_cast<int>(rule->text_len), rule->text);
    }
    TRACE_RULE(log, "making sure this rule is not disabled by badfilter rules");
    int32_t badfilter_tag = 0;
    rule_ptr badfilter = find_badfilter(engine, *ctx, rule, &badfilter_tag);
    if (badfilter == nullptr) {
        return (rule->flags & RULE_WHITELIST) ? MATCH_EXCEPTION : MATCH_BLOCKING;
    }
    TRACE_RULE(log, "Rule is disabled by $badfilter, returning URLFILTER_NOTFOUND");
    append_result(
        ctx,
        (badfilter->flags & RULE_WHITELIST) ? URLFILTER_ITEM_EXCEPTION : URLFILTER_ITEM_BLOCKING,
        badfilter, badfilter_tag);
    return MATCH_NOTFOUND;
}

bool already_found(const MatchContext &ctx, const cached_rule_t *rule) {
    for (const Found &found : ctx.results) {
        if (found.view.text_len == rule->text_len &&
            memcmp(found.view.text, rule->text, rule->text_len) == 0) {
            return true;
        }
    }
    return false;
}

// Removes rules that cannot be compiled or matched, after their bucket.
void remove_broken(urlfilter_s *engine, const std::vector<int32_t> &broken) {
    for (int32_t id : broken) {
        rule_ptr rule = storage_get(&engine->storage, id);
        if (rule != nullptr) {
            std::string text(rule->text, rule->text_len);
            rule = nullptr;
            urlfilter_clearrule(engine, text.c_str());
        }
    }
}

// Whether the URL holds the entry's shortcut. Through a shortcut bucket the
// shortcut can only sit where the key was found (`window`), which the entry's
// first bytes check without touching the shortcut itself; every occurrence of
// the key is a window of its own.
bool has_shortcut(const MatchContext &ctx, const index_entry_t &entry, long window) {
    if (entry.shortcut_len == 0) {
        return true;
    }
    const std::string &url = ctx.url_lower;
    if (window < 0) {
        return url.find(entry.shortcut, 0, entry.shortcut_len) != std::string::npos;
    }
    size_t start = static_cast<size_t>(window);
    if (start < entry.key_offset || start - entry.key_offset + entry.shortcut_len > url.size()) {
        return false;
    }
    start -= entry.key_offset;
    size_t head_length = entry.shortcut_len < 8 ? entry.shortcut_len : 8;
    return shortcut_head(url.data() + start, head_length) == entry.head &&
           memcmp(url.data() + start + head_length, entry.shortcut + head_length,
                  entry.shortcut_len - head_length) == 0;
}

// `bucket` must stay untouched while it is walked: broken rules are removed
// only after the walk. `window` is where a shortcut bucket's key was found in
// the URL, -1 for the other tables.
void match_rules_from_table(urlfilter_s *engine, MatchContext *ctx, const bucket_t &bucket,
                            long window) {
    std::vector<int32_t> broken;
    logger_s *log = log_of(engine);
    for (const index_entry_t &entry : bucket) {
        // The shortcut check without the parsed rule: most candidates stop here.
        if (!has_shortcut(*ctx, entry, window)) {
            continue;
        }
        rule_ptr rule = storage_get(&engine->storage, entry.id);
        if (rule == nullptr) {
            broken.push_back(entry.id);
            continue;
        }
        if (already_found(*ctx, rule.get())) {
            continue;
        }
        if (ctx->trace) {
            logger_log(log, LOG_LEVEL_TRACE, "%s(): -> examining rule %.*s",
                       "match_rules_from_table", static_cast<int>(rule->text_len), rule->text);
        }
        int rc = match_rule(engine, ctx, rule.get());
        if (rc == MATCH_BROKEN) {
            broken.push_back(entry.id);
        } else if (rc == MATCH_EXCEPTION || rc == MATCH_BLOCKING) {
            append_result(
                ctx, rc == MATCH_EXCEPTION ? URLFILTER_ITEM_EXCEPTION : URLFILTER_ITEM_BLOCKING,
                rule, entry.user_tag);
        }
    }
    remove_broken(engine, broken);
}

void search_domain_key(urlfilter_s *engine, MatchContext *ctx, table_set_t *set, const char *key,
                       size_t length) {
    const char kFn[] = "search_by_domain";
    logger_s *log = log_of(engine);
    const bucket_t *found = set->domains.find(urlfilter_key_hash(key, length));
    if (found == nullptr) {
        if (ctx->trace) {
            logger_log(log, LOG_LEVEL_TRACE,
                       "%s(): ...domains table did not find anything for %.*s", kFn,
                       static_cast<int>(length), key);
        }
        return;
    }
    size_t before = ctx->results.size();
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): url %s has %zu rules for domain %.*s", kFn,
                   ctx->request.url, found->size(), static_cast<int>(length), key);
    }
    match_rules_from_table(engine, ctx, *found, -1);
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): ...domains table found %u rules for %.*s", kFn,
                   static_cast<unsigned>(ctx->results.size() - before), static_cast<int>(length),
                   key);
    }
}

// Down to the registrable domain every suffix of a host keeps the host's
// public suffix: what follows the registrable domain's first label (a
// trailing dot left out, as the suffix lookup does).
size_t registry_of_domain(const char *domain, size_t length) {
    if (length > 0 && domain[length - 1] == '.') {
        --length;
    }
    const char *dot = static_cast<const char *>(memchr(domain, '.', length));
    return dot ? length - static_cast<size_t>(dot - domain) - 1 : 0;
}

// Walks the host's suffixes down to its registrable domain (or its last
// label), looking up each suffix and its any-TLD key.
void search_domains_for_host(urlfilter_s *engine, MatchContext *ctx, table_set_t *set,
                             std::string_view host, const char *domain) {
    if (host.empty() || set->domains.empty()) {
        return;
    }
    if (ctx->trace) {
        logger_log(log_of(engine), LOG_LEVEL_TRACE,
                   "%s(): searching for '%.*s' in domains table (%zu elements)...",
                   "urlfilter_search_domains_for_host", static_cast<int>(host.size()), host.data(),
                   set->domains.size());
    }
    size_t min_length = domain ? strlen(domain) : 0;
    size_t host_registry = domain ? registry_of_domain(domain, min_length) : 0;
    for (size_t start = 0; start < host.size();) {
        std::string_view suffix = host.substr(start);
        if (suffix.size() < min_length) {
            break;
        }
        search_domain_key(engine, ctx, set, suffix.data(), suffix.size());
        size_t l = suffix.size();
        size_t r = domain ? host_registry : registry_length(suffix.data(), l);
        if (l <= 255 && r + 1 < l) {
            search_domain_key(engine, ctx, set, suffix.data(), l - r - 1);
        }
        size_t dot = suffix.find('.');
        if (dot == std::string_view::npos) {
            break;
        }
        start += dot + 1;
    }
}

bool shortcut_bit_set(const table_set_t *set, const char *piece) {
    uint32_t bit = shortcut_bit(piece);
    return (set->shortcut_bits[bit / 64] >> (bit % 64)) & 1;
}

void search_shortcuts(urlfilter_s *engine, MatchContext *ctx, table_set_t *set) {
    if (set->shortcuts.empty()) {
        return;
    }
    const char kFn[] = "urlfilter_search_shortcuts";
    logger_s *log = log_of(engine);
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE,
                   "%s(): searching for '%s' in shortcuts table (%zu elements)...", kFn,
                   ctx->url_lower.c_str(), set->shortcuts.size());
    }
    const std::string &url = ctx->url_lower;
    for (size_t p = 0; p + URLFILTER_SHORTCUT_KEY_LENGTH <= url.size(); ++p) {
        if (!shortcut_bit_set(set, url.data() + p)) {
            continue;
        }
        const bucket_t *found =
            set->shortcuts.find(urlfilter_key_hash(url.data() + p, URLFILTER_SHORTCUT_KEY_LENGTH));
        if (found == nullptr) {
            continue;
        }
        if (ctx->trace) {
            logger_log(log, LOG_LEVEL_TRACE,
                       "%s(): shortcut %.*s matched for url %s, rules table has %zu elements", kFn,
                       static_cast<int>(URLFILTER_SHORTCUT_KEY_LENGTH), url.data() + p,
                       ctx->request.url, found->size());
        }
        match_rules_from_table(engine, ctx, *found, static_cast<long>(p));
    }
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): ...shortcuts table found %u rules", kFn,
                   static_cast<unsigned>(ctx->results.size()));
    }
}

void search_leftovers(urlfilter_s *engine, MatchContext *ctx, table_set_t *set) {
    if (set->leftovers.empty()) {
        return;
    }
    const char kFn[] = "urlfilter_search_leftovers";
    logger_s *log = log_of(engine);
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE,
                   "%s(): searching for '%s' in leftovers table (%zu elements)...", kFn,
                   ctx->url_lower.c_str(), set->leftovers.size());
    }
    match_rules_from_table(engine, ctx, set->leftovers, -1);
    if (ctx->trace) {
        logger_log(log, LOG_LEVEL_TRACE, "%s(): ...leftovers table found %u rules", kFn,
                   static_cast<unsigned>(ctx->results.size()));
    }
}

void search_table_set(urlfilter_s *engine, MatchContext *ctx, table_set_t *set) {
    search_domains_for_host(engine, ctx, set, referrer_host(*ctx), ctx->referrer_domain);
    search_domains_for_host(engine, ctx, set, url_host(*ctx), ctx->url_domain);
    search_shortcuts(engine, ctx, set);
    search_leftovers(engine, ctx, set);
}

// The page's own rules: the referrer matched as a document against itself,
// left in `page`'s results.
void match_referrer(urlfilter_s *engine, const urlfilter_request_t *request, MatchContext *page) {
    page->results.clear();
    if (request->referrer_len == 0) {
        return;
    }
    urlfilter_request_t document = *request;
    document.url = request->referrer;
    document.url_len = request->referrer_len;
    document.request_type = CONTENT_DOCUMENT;
    document.request_flags &= static_cast<uint8_t>(~URLFILTER_THIRD_PARTY);
    if (!build_context(&document, log_of(engine), page)) {
        logger_log(log_of(engine), LOG_LEVEL_WARN, "%s(): Couldn't parse referer '%.*s'",
                   "match_referrer", static_cast<int>(request->referrer_len), request->referrer);
        page->results.clear();
        return;
    }
    search_table_set(engine, page, &engine->document_tables);
}

// Applies the page's rules to the request context; true when the page is
// whitelisted as a whole.
bool apply_page_rules(MatchContext *ctx, const FoundList &page) {
    bool whitelisted = false;
    for (const Found &found : page) {
        uint32_t flags = found.view.flags;
        if (flags & RULE_BADFILTER) {
            continue;
        }
        ctx->generic_blocked = ctx->generic_blocked || (flags & RULE_GENERICBLOCK);
        whitelisted = whitelisted || (flags & (RULE_URLBLOCK | RULE_DOCUMENT));
    }
    return whitelisted;
}

std::vector<urlfilter_item_t> as_items(FoundList &found) {
    std::vector<urlfilter_item_t> items;
    items.reserve(found.size());
    for (Found &f : found) {
        f.view.owner = &f.rule;  // the list no longer moves
        items.push_back({f.kind, &f.view});
    }
    return items;
}

urlfilter_multirules_t finish(MatchContext *ctx, MatchContext *page) {
    std::vector<urlfilter_item_t> request_items = as_items(ctx->results);
    std::vector<urlfilter_item_t> page_items = as_items(page->results);
    urlfilter_rule_list_t request_list{request_items.data(), request_items.size()};
    urlfilter_rule_list_t page_list{page_items.data(), page_items.size()};
    return build_multirules(&request_list, &page_list);
}

}  // namespace

urlfilter_multirules_t urlfilter_matchurl(urlfilter_s *engine, const urlfilter_request_t *request) {
    ContextLease lease;
    MatchContext *ctx = lease.request();
    if (!build_context(request, log_of(engine), ctx)) {
        logger_log(
            log_of(engine), LOG_LEVEL_DEBUG, "%s(): Couldn't parse url '%.*s' and referer '%.*s'",
            "urlfilter_matchurl", static_cast<int>(request->url_len), request->url,
            static_cast<int>(request->referrer_len), request->referrer ? request->referrer : "");
        return {};
    }
    match_referrer(engine, request, lease.page());
    bool whitelisted = apply_page_rules(ctx, lease.page()->results);
    search_table_set(engine, ctx, whitelisted ? &engine->document_tables : &engine->request_tables);
    return finish(ctx, lease.page());
}

urlfilter_multirules_t urlfilter_match_rule_text(urlfilter_s *engine, const char *text,
                                                 size_t length,
                                                 const urlfilter_request_t *request) {
    cached_rule_t rule{};
    if (parse_rule(&engine->context, text, length, 0, &rule) != RULE_PARSE_OK) {
        return {};
    }
    // Released however the match ends, std::bad_alloc included.
    std::unique_ptr<cached_rule_t, decltype(&rule_release)> parsed(&rule, rule_release);
    ContextLease lease;
    MatchContext *ctx = lease.request();
    if (!build_context(request, log_of(engine), ctx)) {
        return {};
    }
    ctx->third_party = (request->request_flags & URLFILTER_THIRD_PARTY) != 0;
    match_referrer(engine, request, lease.page());
    bool whitelisted = apply_page_rules(ctx, lease.page()->results);
    bool page_exception = (rule.flags & RULE_WHITELIST) && (rule.flags & RULE_DOCUMENT);
    if (!whitelisted || page_exception) {
        match_rule(engine, ctx, &rule);
    }
    return finish(ctx, lease.page());
}
