#include "core/filtering/cosmetic/jsfilter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/filtering/converter/rule_syntax.h"
#include "core/filtering/cosmetic/rule_match.h"

namespace {

constexpr size_t kScriptletMarker = 14;           // "#%#//scriptlet"
constexpr size_t kScriptletExceptionMarker = 15;  // "#@%#//scriptlet"

// What an exception and a rule must share: a scriptlet rule's call (the text
// after its marker), a plain rule's script.
std::string_view script_key(const cosmetic_rule_t *rule) {
    if (rule->script_kind != COSMETIC_SCRIPT_SCRIPTLET) {
        return rule->content;
    }
    size_t skip = rule->marker_pos +
                  (cosmetic_rule_is_exception(rule) ? kScriptletExceptionMarker : kScriptletMarker);
    std::string_view text(rule->text);
    return skip <= text.size() ? text.substr(skip) : std::string_view();
}

const rulecommon_pairing_t kPairing = {script_key, false};

bool same_script(const cosmetic_rule_t *a, const cosmetic_rule_t *b) {
    return a->script_kind == b->script_kind && script_key(a) == script_key(b);
}

int32_t find_scriptlet(const void *arg, const char *name, size_t length) {
    return scriptlets_library_find(static_cast<const scriptlets_library_t *>(arg), name, length);
}

using Matches = std::vector<const cosmetic_rule_t *>;

// The matching rules: exceptions first (they are never rendered, only
// suppress the rules they equal), then the rules none of them suppresses.
void collect(jsfilter_s *filter, const rule_match_ctx_t *ctx, Matches *rules) {
    Matches exceptions;
    for (const auto &[text, rule] : filter->storage.exceptions) {
        if (rulecommon_match_rule(rule, ctx, filter->logger)) {
            exceptions.push_back(rule);
        }
    }
    auto consider = [&](const cosmetic_rule_t *rule) {
        bool suppressed =
            std::any_of(exceptions.begin(), exceptions.end(),
                        [rule](const cosmetic_rule_t *e) { return same_script(e, rule); });
        if (!suppressed && rulecommon_match_rule(rule, ctx, filter->logger)) {
            rules->push_back(rule);
        }
    };
    if (!filter->index_ready || logger_trace_enabled(filter->logger)) {
        for (const auto &entry : filter->storage.rules) {
            consider(entry.second);
        }
        return;
    }
    Matches candidates;
    cosmetic_index_candidates(&filter->index, ctx->domain, ctx->domain_len,
                              COSMETIC_INDEX_DOMAINLESS | COSMETIC_INDEX_DOMAINLESS_EXTENDED,
                              &candidates);
    for (const cosmetic_rule_t *rule : candidates) {
        consider(rule);
    }
}

int render_plain(const cosmetic_rule_t *rule, js_buffer_t *buffer) {
    if (js_buffer_appendf(buffer, "%s", rule->content) != 0) {
        return -1;
    }
    bool ends_with_semicolon = buffer->length > 0 && buffer->data[buffer->length - 1] == ';';
    return js_buffer_appendf(buffer, ends_with_semicolon ? "\n" : ";\n");
}

int render(jsfilter_s *filter, const cosmetic_rule_t *rule, js_buffer_t *buffer) {
    if (rule->script_kind == COSMETIC_SCRIPT_SCRIPTLET) {
        return scriptlets_rule_apply(filter->scriptlets, rule, buffer);
    }
    return render_plain(rule, buffer);
}

// Whether a text is a script rule: after white space and a bracketed
// modifier prefix, no "@@", and its first '#' starts "#%#" or "#@%#".
bool is_script_rule_text(std::string_view text) {
    if (text.substr(0, 2) == "[$") {
        ptrdiff_t close = find_top_level(text.data(), text.size(), "]", 1, "/", 1);
        if (close < 0) {
            return false;
        }
        text.remove_prefix(static_cast<size_t>(close) + 1);
    }
    size_t hash = text.find('#');
    if (text.substr(0, 2) == "@@" || hash == std::string_view::npos) {
        return false;
    }
    std::string_view marker = text.substr(hash);
    return marker.substr(0, 3) == "#%#" || marker.substr(0, 4) == "#@%#";
}

// Drops a rule that failed to render, so that the next build goes on
// without it; comments, list headers and texts that are not script rules
// are left alone.
void remove_failed(jsfilter_s *filter, const cosmetic_rule_t *rule) {
    std::string text(rule->text);
    std::string_view view(text);
    view.remove_prefix(std::min(view.find_first_not_of(" \t"), view.size()));
    if (view.size() < 4 || view.substr(0, 8) == "[Adblock" ||
        is_comment_rule(view.data(), view.size()) || !is_script_rule_text(view)) {
        return;
    }
    rulecommon_storage_remove_rule_by_text(&filter->storage, view, filter->logger);
    filter->whitelists_dirty = true;
}

js_buffer_t build(jsfilter_s *filter, const rule_match_ctx_t *ctx) {
    js_buffer_t buffer{};
    if (filter->whitelists_dirty) {
        filter->index_ready = false;
        if (rulecommon_apply_whitelists(&filter->storage, &kPairing, filter->logger) != 0) {
            return buffer;
        }
        filter->whitelists_dirty = false;
        filter->index_ready = cosmetic_index_build(&filter->index, &filter->storage) == 0;
    }
    Matches rules;
    collect(filter, ctx, &rules);
    std::sort(rules.begin(), rules.end(), [](const cosmetic_rule_t *a, const cosmetic_rule_t *b) {
        return a->order < b->order;
    });
    for (const cosmetic_rule_t *rule : rules) {
        if (render(filter, rule, &buffer) != 0) {
            logger_log(filter->logger, LOG_LEVEL_ERROR,
                       "%s(): Couldn't add matching rule to result (%s)", "jsfilter_buildjs",
                       rule->text);
            js_buffer_release(&buffer);
            remove_failed(filter, rule);
            return buffer;
        }
    }
    return buffer;
}

}  // namespace

jsfilter_s *jsfilter_create(logger_s *logger) {
    auto *filter = new (std::nothrow) jsfilter_s{};
    if (filter == nullptr) {
        return nullptr;
    }
    filter->logger = logger;
    filter->scriptlets = scriptlets_library_create(logger);
    if (filter->scriptlets == nullptr) {
        delete filter;
        return nullptr;
    }
    filter->parser.logger = logger;
    filter->parser.families = COSMETIC_FAMILY_SCRIPT;
    filter->parser.lookup = find_scriptlet;
    filter->parser.lookup_arg = filter->scriptlets;
    return filter;
}

void jsfilter_free(jsfilter_s *filter) {
    if (filter != nullptr) {
        scriptlets_library_free(filter->scriptlets);
        delete filter;
    }
}

int jsfilter_add_rule(jsfilter_s *filter, const char *text, size_t length) {
    return rulecommon_add_rule_text(&filter->storage, &filter->parser, text, length,
                                    &filter->whitelists_dirty, "jsfilter_add_rule");
}

int jsfilter_remove_rule(jsfilter_s *filter, const char *text, size_t length) {
    return rulecommon_remove_rule_text(&filter->storage, text, length, &filter->whitelists_dirty,
                                       filter->logger);
}

js_buffer_t jsfilter_buildjs(jsfilter_s *filter, const char *domain, bool include_generic,
                             const char *app, uint32_t path_len, const char *path) {
    rule_match_ctx_t ctx{};
    ctx.domain = domain;
    ctx.domain_len = domain ? static_cast<uint32_t>(strlen(domain)) : 0;
    ctx.app = app;
    ctx.path_len = path_len;
    ctx.path = path;
    ctx.exclude_generic = include_generic ? 0 : 1;
    try {
        return build(filter, &ctx);
    } catch (const std::bad_alloc &) {
        logger_log(filter->logger, LOG_LEVEL_ERROR, "%s(): out of memory", "jsfilter_buildjs");
        return js_buffer_t{};
    }
}
