#include "core/proxy/rule_api.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <typeinfo>

#include "core/commons/encoding.h"
#include "core/filtering/urlfilter/rule_options.h"
#include "core/proxy/directory_url.h"
#include "core/proxy/filter_url.h"
#include "core/proxy/proxy_filter.h"
#include "core/proxy/proxy_filter_factory.h"
#include "ovcore/ovcore.h"

namespace {

std::atomic<int64_t> g_change_time{0};

// What a document exception must switch off to count as "filtering is off"
// for the page: hiding, scripts, content, blocking and the extension.
constexpr uint32_t PAGE_OFF_FLAGS =
    RULE_ELEMHIDE | RULE_JSINJECT | RULE_CONTENT | RULE_URLBLOCK | RULE_EXTENSION;

// C callers cannot catch C++ exceptions: every exported function turns one
// into its documented failure code.
template <typename Body>
int guarded(const char *function, int failure, Body &&body) noexcept {
    try {
        return body();
    } catch (const std::exception &error) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_ERROR, "%s(): %s", function, error.what());
    } catch (...) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_ERROR, "%s(): unknown exception", function);
    }
    return failure;
}

OvProxyFilter *facade_of(void *handle) {
    return handle ? static_cast<std::shared_ptr<OvProxyFilter> *>(handle)->get() : nullptr;
}

// Whatever is registered for the URL filter's type: switching a site needs
// only the rule slots.
OvFilter *url_filter(OvProxyFilter *facade) {
    return facade ? facade->getFilter(typeid(OvFilterUrl)) : nullptr;
}

// Matching needs the URL filter itself.
OvFilterUrl *url_matcher(OvProxyFilter *facade) {
    return dynamic_cast<OvFilterUrl *>(url_filter(facade));
}

// Facade statuses 0, 1 and 6 become 0, 1 and 3.
int capped(int status) {
    return status > 3 ? 3 : status;
}

void copy_rule(const cached_rule_t *rule, char **out) {
    if (out != nullptr) {
        *out = strndup(rule->text, rule->text_len);  // up to its length or first NUL
    }
}

struct MatchResult {
    ~MatchResult() { urlfilter_multirules_free(&rules); }
    const urlfilter_rule_list_t &list(int which) const { return rules.lists[which]; }
    urlfilter_multirules_t rules;
};

bool is_site_rule(const cached_rule_t *rule, const std::string &siteRule) {
    return rule->user_tag <= 0 && rule->text_len == siteRule.size() &&
           memcmp(rule->text, siteRule.data(), siteRule.size()) == 0;
}

int is_filtered(OvProxyFilter *facade, const char *url, const char *appName, char **ruleOut) {
    if (url == nullptr || *url == '\0') {
        return 4;
    }
    std::string directory = ov_directory_url(url);
    OvFilterUrl *filter = url_matcher(facade);
    if (directory.empty() || filter == nullptr) {
        return 4;
    }
    std::string siteRule = ov_site_rule(ov_url_host(directory));
    urlfilter_request_t request{};
    request.url_len = static_cast<uint32_t>(directory.size());
    request.url = directory.c_str();
    request.request_type = CONTENT_DOCUMENT;
    if (appName != nullptr) {
        request.app_name_len = static_cast<uint32_t>(strlen(appName));
        request.app_name = appName;
    }
    MatchResult matched{filter->matchUrl(request)};
    const urlfilter_rule_list_t &basic = matched.list(URLFILTER_LIST_BASIC);
    if (basic.count > 0 && basic.items[0].kind == URLFILTER_ITEM_EXCEPTION &&
        (basic.items[0].rule->flags & PAGE_OFF_FLAGS) == PAGE_OFF_FLAGS) {
        copy_rule(basic.items[0].rule, ruleOut);
        return is_site_rule(basic.items[0].rule, siteRule) ? 2 : 3;
    }
    MatchResult site{filter->matchRuleText(siteRule.data(), siteRule.size(), request)};
    const urlfilter_rule_list_t &badfilter = site.list(URLFILTER_LIST_BADFILTER);
    if (badfilter.count > 0) {
        copy_rule(badfilter.items[0].rule, ruleOut);
        return 1;
    }
    return 0;
}

int enable_site(OvFilter *filter, const std::string &siteRule, const char **error) {
    int status = filter->clearRule(siteRule);
    if (status != OV_FILTER_DONE) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_ERROR, "clearRule(%s) failed: %d",
                   siteRule.c_str(), status);
        *error = "Can't remove a rule";
        return -1;
    }
    if (logger_debug_enabled(ov_browser_api_log())) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_DEBUG, "clearRule(%s)", siteRule.c_str());
    }
    return 0;
}

int disable_site(OvFilter *filter, const std::string &siteRule, const char **error) {
    int status = filter->addRule(siteRule.data(), siteRule.size(), 0);
    if (status != OV_FILTER_DONE) {
        logger_log(ov_browser_api_log(), LOG_LEVEL_ERROR, "addRule(%s): %d", siteRule.c_str(),
                   status);
        *error = "Can't add a rule";
        return -1;
    }
    logger_log(ov_browser_api_log(), LOG_LEVEL_DEBUG, "addRule(%s)", siteRule.c_str());
    return 0;
}

int change_filtering_state(OvProxyFilter *facade, const char *domain, bool enable,
                           const char **error, char **ruleOut) {
    if (domain == nullptr || *domain == '\0') {
        *error = "Invalid domain";
        return -1;
    }
    std::string siteRule = ov_site_rule(domain);
    OvFilter *filter = url_filter(facade);
    if (filter == nullptr) {
        *error = enable ? "Can't remove a rule" : "Can't add a rule";
        return -1;
    }
    int rc = enable ? enable_site(filter, siteRule, error) : disable_site(filter, siteRule, error);
    if (rc != 0) {
        return rc;
    }
    ov_rule_change_time_touch();
    if (ruleOut != nullptr) {
        *ruleOut = strdup(siteRule.c_str());
    }
    return 0;
}

}  // namespace

int64_t ov_rule_change_time() {
    return g_change_time.load();
}

void ov_rule_change_time_touch() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    g_change_time.store(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool ov_rule_injects_content(std::string_view rule) {
    if (rule.size() < 2) {
        return false;
    }
    for (std::string_view marker : {"$$", "$@$", "#$#", "#@$#", "#%#", "#@%#"}) {
        if (rule.find(marker) != std::string_view::npos) {
            return true;
        }
    }
    return rule.find("##") != std::string_view::npos &&
           rule.find_first_of("<{") != std::string_view::npos;
}

std::string ov_site_rule(std::string_view domain) {
    return string_format("@@||%.*s^$important,document", static_cast<int>(domain.size()),
                         domain.data());
}

logger_s *ov_browser_api_log() {
    static LogHandle log("OvBrowserApi", -1);
    return log.get();
}

void *ovcore_proxy_filter_new(void) {
    try {
        return new std::shared_ptr<OvProxyFilter>(ov_process_proxy_filter());
    } catch (const std::exception &) {
        return nullptr;
    }
}

void ovcore_proxy_filter_release(void *handle) {
    delete static_cast<std::shared_ptr<OvProxyFilter> *>(handle);
}

int OvCApiPFAddRule(void *handle, const char *rule) {
    return guarded(__func__, 3, [&] {
        if (rule != nullptr && ov_rule_injects_content(rule)) {
            return 4;
        }
        OvProxyFilter *facade = facade_of(handle);
        if (facade == nullptr || rule == nullptr) {
            return 3;
        }
        int status = facade->addRule(rule, strlen(rule), 0);
        if (status == OV_PROXY_RULE_ADDED) {
            ov_rule_change_time_touch();
        }
        return capped(status);
    });
}

int OvCApiPFClearRule(void *handle, const char *rule) {
    return guarded(__func__, 3, [&] {
        OvProxyFilter *facade = facade_of(handle);
        if (facade == nullptr || rule == nullptr) {
            return 3;
        }
        int status = facade->clearRule(rule);
        if (status == 0) {
            ov_rule_change_time_touch();
        }
        return capped(status);
    });
}

int OvCApiPFIsFiltered(void *handle, const char *url, const char *app_name, char **rule_out) {
    if (rule_out != nullptr) {
        *rule_out = nullptr;
    }
    return guarded(__func__, 4,
                   [&] { return is_filtered(facade_of(handle), url, app_name, rule_out); });
}

int OvCApiPFChangeFilteringState(void *handle, const char *domain, bool enable,
                                 const char **error_out, char **rule_out) {
    const char *unused = nullptr;
    const char **error = error_out ? error_out : &unused;
    *error = nullptr;
    if (rule_out != nullptr) {
        *rule_out = nullptr;
    }
    int rc = guarded(__func__, -1, [&] {
        return change_filtering_state(facade_of(handle), domain, enable, error, rule_out);
    });
    if (rc == -1 && *error == nullptr) {
        *error = enable ? "Can't remove a rule" : "Can't add a rule";
    }
    return rc;
}
