// `ovcore check --rules FILE... --rule TEXT...`: answers requests read as JSON
// lines from standard input with the engine's decision and matched rules.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "app/commands.h"
#include "app/request_reader.h"
#include "core/commons/json_writer.h"
#include "core/filtering/urlfilter/redirect_resources.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

std::string quoted(const cached_rule_t *rule) {
    return json_quote(rule->text, rule->text_len);
}

// The resource a blocking redirect rule serves, as a JSON value.
std::string redirect_title(urlfilter_s *engine, const urlfilter_item_t &item) {
    const cached_rule_t *rule = item.rule;
    const redirect_resources_t *base = urlfilter_redirects(engine);
    if (item.kind != URLFILTER_ITEM_BLOCKING || !(rule->flags & RULE_REDIRECT) || base == nullptr ||
        rule->options == nullptr || rule->options->redirect == nullptr ||
        !rule->options->redirect->has_resource) {
        return "null";
    }
    const redirect_view_t &title = base->array[rule->options->redirect->resource].names[0];
    return json_quote(title.pointer, title.length);
}

std::string answer(urlfilter_s *engine, const urlfilter_multirules_t &result) {
    const urlfilter_rule_list_t &basic = result.lists[URLFILTER_LIST_BASIC];
    std::string decision = "\"none\"", rule = "null", redirect = "null";
    if (basic.count > 0) {
        const urlfilter_item_t &first = basic.items[0];
        decision = first.kind == URLFILTER_ITEM_BLOCKING ? "\"block\"" : "\"allow\"";
        rule = quoted(first.rule);
        redirect = redirect_title(engine, first);
    }
    std::string lists;
    for (int i = 0; i < URLFILTER_LIST_COUNT; ++i) {
        const urlfilter_rule_list_t &list = result.lists[i];
        if (list.count == 0) {
            continue;
        }
        lists += (lists.empty() ? "\"" : ",\"") + std::string(urlfilter_list_name(i)) + "\":[";
        for (size_t k = 0; k < list.count; ++k) {
            lists += (k ? "," : "") + std::string("{\"rule\":") + quoted(list.items[k].rule) +
                     ",\"kind\":" +
                     (list.items[k].kind == URLFILTER_ITEM_BLOCKING ? "\"block\"" : "\"allow\"") +
                     "}";
        }
        lists += "]";
    }
    return "{\"decision\":" + decision + ",\"rule\":" + rule + ",\"redirect\":" + redirect +
           ",\"lists\":{" + lists + "}}";
}

int usage() {
    fprintf(
        stderr,
        "usage: ovcore check --rules FILE [--rules FILE]... [--rule TEXT]... < requests.jsonl\n");
    return 2;
}

}  // namespace

int ovcore_check(int argc, char **argv) {
    LogHandle log("check", LOG_LEVEL_ERROR);
    urlfilter_s *engine = urlfilter_new(log.get(), URLFILTER_DEFAULT_CACHE_CAPACITY);
    int status = 0;
    for (int i = 0; i < argc && status == 0; i += 2) {
        if (i + 1 >= argc) {
            status = usage();
        } else if (strcmp(argv[i], "--rules") == 0) {
            if (load_rule_file(engine, argv[i + 1]) < 0) {
                fprintf(stderr, "ovcore check: cannot read %s\n", argv[i + 1]);
                status = 2;
            }
        } else if (strcmp(argv[i], "--rule") == 0) {
            urlfilter_addrule(engine, argv[i + 1], strlen(argv[i + 1]), 0);
        } else {
            status = usage();
        }
    }
    for (std::string line; status == 0 && std::getline(std::cin, line);) {
        tool_request_t request;
        std::string error;
        if (!read_tool_request(line, &request, &error)) {
            printf("{\"error\":%s}\n", json_quote(error.data(), error.size()).c_str());
            continue;
        }
        urlfilter_multirules_t result = urlfilter_matchurl(engine, &request.request);
        printf("%s\n", answer(engine, result).c_str());
        urlfilter_multirules_free(&result);
    }
    urlfilter_free(engine);
    return status;
}
