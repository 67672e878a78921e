#include "core/proxy/filter_content.h"

#include <charconv>
#include <new>

#include "core/commons/encoding.h"

namespace {

int filter_status(int status) {
    switch (status) {
        case COSMETIC_FILTER_DONE:
            return OV_FILTER_DONE;
        case COSMETIC_FILTER_NOT_MINE:
        case COSMETIC_FILTER_REJECTED:
            return OV_FILTER_NOT_MINE;
        default:
            return -1;
    }
}

bool is_one(std::string_view value) {
    return value == "1";
}

}  // namespace

OvFilterContent::OvFilterContent()
    : log("OvFilterContent", -1),
      elemhide(cssfilter_create(log.get())),
      scripts(jsfilter_create(log.get())) {
    if (elemhide == nullptr || scripts == nullptr) {
        cssfilter_free(elemhide);
        jsfilter_free(scripts);
        throw std::bad_alloc();
    }
}

OvFilterContent::~OvFilterContent() {
    cssfilter_free(elemhide);
    jsfilter_free(scripts);
}

int OvFilterContent::addRule(const char *rule, size_t length, int) {
    std::lock_guard<std::mutex> guard(contentRulesLock);
    int status = cssfilter_add_rule(elemhide, rule, length);
    if (status == COSMETIC_FILTER_NOT_MINE) {
        status = jsfilter_add_rule(scripts, rule, length);
    }
    return filter_status(status);
}

int OvFilterContent::clearRule(std::string rule) {
    std::lock_guard<std::mutex> guard(contentRulesLock);
    int status = cssfilter_remove_rule(elemhide, rule.data(), rule.size());
    if (status == COSMETIC_FILTER_NOT_MINE) {
        status = jsfilter_remove_rule(scripts, rule.data(), rule.size());
    }
    return filter_status(status);
}

size_t OvFilterContent::ruleCount() {
    std::lock_guard<std::mutex> guard(contentRulesLock);
    return elemhide->storage.rules.size() + elemhide->storage.exceptions.size() +
           scripts->storage.rules.size() + scripts->storage.exceptions.size();
}

OvContentInjection OvFilterContent::composeInjection(const OvQueryParameters &query) {
    OvContentInjection injection;
    std::string domain(query.get("dmn"));
    std::string path = percent_decode(query.get("pth"));
    std::string_view raw_app = query.get("app");
    std::string app = percent_decode(raw_app);
    if (app.empty()) {
        log.log(LOG_LEVEL_DEBUG, "Failed to decode app name: %.*s -- matching without it",
                static_cast<int>(raw_app.size()), raw_app.data());
    }
    if (is_one(query.get("js"))) {
        composeScript(injection, domain.c_str(), app, path);
    }
    composeCss(injection, query.get("css"), domain.c_str(), app, path);
    injection.filteringContext = string_format(
        "{\"isReferrerRuleJsInject\":%s,\"isReferrerRuleElemhide\":%s}",
        is_one(query.get("rji")) ? "true" : "false", is_one(query.get("rel")) ? "true" : "false");
    return injection;
}

void OvFilterContent::composeScript(OvContentInjection &injection, const char *domain,
                                    const std::string &app, const std::string &path) {
    std::lock_guard<std::mutex> guard(contentRulesLock);
    log.log(LOG_LEVEL_TRACE, "injecting domain-based js script");
    js_buffer_t script = jsfilter_buildjs(scripts, domain, true, app.c_str(),
                                          static_cast<uint32_t>(path.size()), path.c_str());
    injection.script.reset(script.data);
}

void OvFilterContent::composeCss(OvContentInjection &injection, std::string_view mask_text,
                                 const char *domain, const std::string &app,
                                 const std::string &path) {
    int mask = 0;
    auto [end, error] =
        std::from_chars(mask_text.data(), mask_text.data() + mask_text.size(), mask);
    if (error != std::errc()) {
        log.log(
            LOG_LEVEL_DEBUG, "Failed to parse css genericness parameter: %s",
            error == std::errc::result_out_of_range ? "result out of range" : "invalid argument");
        return;
    }
    if (end != mask_text.data() + mask_text.size()) {
        log.log(LOG_LEVEL_DEBUG, "Malformed css genericness parameter: %.*s",
                static_cast<int>(mask_text.size()), mask_text.data());
        return;
    }
    auto path_len = static_cast<uint32_t>(path.size());
    if ((mask & 1) != 0) {
        log.log(LOG_LEVEL_TRACE, "injecting common css");
        std::lock_guard<std::mutex> guard(contentRulesLock);
        injection.commonCss.reset(
            cssfilter_buildcommoncss(elemhide, app.c_str(), path_len, path.c_str()));
    }
    if (mask != 0) {
        log.log(LOG_LEVEL_TRACE, "injecting specific and extended css");
        auto flags = static_cast<uint8_t>(mask);
        std::lock_guard<std::mutex> guard(contentRulesLock);
        injection.specificCss.reset(
            cssfilter_buildcss(elemhide, domain, flags, app.c_str(), path_len, path.c_str()));
        injection.extendedCss.reset(cssfilter_buildextendedcss(elemhide, domain, flags, app.c_str(),
                                                               path_len, path.c_str()));
    }
}
