// OvFilterUrl: the facade's network rule filter, one rule engine behind one
// mutex. Every rule operation and every match takes the mutex, so the engine
// (which does not lock) may be used from any thread.
#pragma once

#include <mutex>

#include "core/commons/logger.h"
#include "core/filtering/urlfilter/urlfilter.h"
#include "core/proxy/filter.h"

class OvFilterUrl final : public OvFilter {
  public:
    // Throws std::bad_alloc when the engine cannot be created.
    OvFilterUrl();
    ~OvFilterUrl() override;
    OvFilterUrl(const OvFilterUrl &) = delete;
    OvFilterUrl &operator=(const OvFilterUrl &) = delete;

    const char *name() const override { return "OvFilterUrl"; }
    // OV_FILTER_DONE when the engine holds the rule (added now or before);
    // OV_FILTER_NOT_MINE for texts that are not network rules or that the
    // parser rejects (so that the facade may convert them); -1 when memory ran
    // out. `tag` becomes the rule's user tag.
    int addRule(const char *rule, size_t length, int tag) override;
    // OV_FILTER_DONE when removed, OV_FILTER_NOT_MINE when the engine does not
    // hold the rule.
    int clearRule(std::string rule) override;

    // Matches a request; the result is the caller's (urlfilter_multirules_free()).
    urlfilter_multirules_t matchUrl(const urlfilter_request_t &request);
    // Matches one rule text against a request, as urlfilter_match_rule_text().
    urlfilter_multirules_t matchRuleText(const char *rule, size_t length,
                                         const urlfilter_request_t &request);
    size_t ruleCount();

  private:
    LogHandle log;
    std::mutex lock;  // guards engine
    urlfilter_s *engine;
};
