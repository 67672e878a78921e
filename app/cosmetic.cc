// `ovcore cosmetic --rules FILE... --domain D [--path P] [--app A]`: loads
// filter lists through the facade (so foreign rules arrive converted) and
// prints, as one JSON object, what the content script of a page on D
// receives: the common CSS, the specific and extended CSS (generic and
// specific rules alike) and the script; null where nothing applies.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "app/commands.h"
#include "core/commons/encoding.h"
#include "core/commons/json_writer.h"
#include "core/proxy/filter_content.h"
#include "core/proxy/proxy_filter_factory.h"

namespace {

struct CosmeticArgs {
    std::string domain;
    std::string path;
    std::string app;
};

int usage() {
    fprintf(stderr,
            "usage: ovcore cosmetic --rules FILE [--rules FILE]... [--rule TEXT]... "
            "--domain DOMAIN [--path PATH] [--app APP]\n");
    return 2;
}

// Loads every line of a list; the facade skips comments and reports what no
// filter takes (the command keeps the log quiet, lint tells why).
bool load_list(OvProxyFilter &facade, const char *file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            facade.addRule(line.data(), line.size(), 0);
        }
    }
    return true;
}

std::string json_text(const OvMallocText &text) {
    return text ? json_quote(text.get(), strlen(text.get())) : "null";
}

// The query a page's content script request would carry.
OvQueryParameters page_query(const CosmeticArgs &args) {
    OvQueryParameters query;
    query.add("dmn", args.domain);
    query.add("pth", percent_encode(args.path));
    query.add("app", percent_encode(args.app));
    query.add("js", "1");
    query.add("css", "3");
    return query;
}

int parse_args(int argc, char **argv, OvProxyFilter &facade, CosmeticArgs *args) {
    for (int i = 0; i < argc; i += 2) {
        if (i + 1 >= argc) {
            return usage();
        }
        const char *name = argv[i], *value = argv[i + 1];
        if (strcmp(name, "--rules") == 0) {
            if (!load_list(facade, value)) {
                fprintf(stderr, "ovcore cosmetic: cannot read %s\n", value);
                return 2;
            }
        } else if (strcmp(name, "--rule") == 0) {
            facade.addRule(value, strlen(value), 0);
        } else if (strcmp(name, "--domain") == 0) {
            args->domain = value;
        } else if (strcmp(name, "--path") == 0) {
            args->path = value;
        } else if (strcmp(name, "--app") == 0) {
            args->app = value;
        } else {
            return usage();
        }
    }
    return args->domain.empty() ? usage() : 0;
}

}  // namespace

int ovcore_cosmetic(int argc, char **argv) {
    logger_set_default_log_level(LOG_LEVEL_ERROR);
    auto facade = ov_make_proxy_filter({});
    CosmeticArgs args;
    if (int status = parse_args(argc, argv, *facade, &args); status != 0) {
        return status;
    }
    auto *content = static_cast<OvFilterContent *>(facade->getFilter(typeid(OvFilterContent)));
    OvContentInjection injection = content->composeInjection(page_query(args));
    printf("{\"commonCss\":%s,\"specificCss\":%s,\"extendedCss\":%s,\"script\":%s}\n",
           json_text(injection.commonCss).c_str(), json_text(injection.specificCss).c_str(),
           json_text(injection.extendedCss).c_str(), json_text(injection.script).c_str());
    return 0;
}
