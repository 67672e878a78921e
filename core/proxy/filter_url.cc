#include "core/proxy/filter_url.h"

#include <new>

OvFilterUrl::OvFilterUrl()
    : log("OvFilterUrl", -1), engine(urlfilter_new(log.get(), URLFILTER_DEFAULT_CACHE_CAPACITY)) {
    if (engine == nullptr) {
        throw std::bad_alloc();
    }
}

OvFilterUrl::~OvFilterUrl() {
    urlfilter_free(engine);
}

int OvFilterUrl::addRule(const char *rule, size_t length, int tag) {
    std::lock_guard<std::mutex> guard(lock);
    int rc = urlfilter_addrule(engine, rule, length, tag);
    if (rc == URLFILTER_ADDED || rc == URLFILTER_DUPLICATE) {
        return OV_FILTER_DONE;
    }
    return rc < 0 ? -1 : OV_FILTER_NOT_MINE;
}

int OvFilterUrl::clearRule(std::string rule) {
    std::lock_guard<std::mutex> guard(lock);
    return urlfilter_clearrule(engine, rule.c_str()) == 0 ? OV_FILTER_DONE : OV_FILTER_NOT_MINE;
}

urlfilter_multirules_t OvFilterUrl::matchUrl(const urlfilter_request_t &request) {
    std::lock_guard<std::mutex> guard(lock);
    return urlfilter_matchurl(engine, &request);
}

urlfilter_multirules_t OvFilterUrl::matchRuleText(const char *rule, size_t length,
                                                  const urlfilter_request_t &request) {
    std::lock_guard<std::mutex> guard(lock);
    return urlfilter_match_rule_text(engine, rule, length, &request);
}

size_t OvFilterUrl::ruleCount() {
    std::lock_guard<std::mutex> guard(lock);
    return urlfilter_rule_count(engine);
}
