// The facade's other filter kinds. Each is its own type, so that the
// registry can key it by type; until a kind takes rules of its own it answers
// OV_FILTER_NOT_MINE to every rule and passes every request on.
#pragma once

#include "core/proxy/filter.h"

class OvRuleFreeFilter : public OvFilter {
  public:
    int addRule(const char *, size_t, int) override { return OV_FILTER_NOT_MINE; }
    int clearRule(std::string) override { return OV_FILTER_NOT_MINE; }
};

#define OV_RULE_FREE_FILTER(Name)                           \
    class Name final : public OvRuleFreeFilter {            \
      public:                                               \
        const char *name() const override { return #Name; } \
    }

OV_RULE_FREE_FILTER(OvFilterHtml);
OV_RULE_FREE_FILTER(OvFilterNetwork);
OV_RULE_FREE_FILTER(OvFilterBrowserApi);
OV_RULE_FREE_FILTER(OvFilterSafebrowsing);
OV_RULE_FREE_FILTER(OvFilterStealthmode);
OV_RULE_FREE_FILTER(OvFilterParentalControl);
OV_RULE_FREE_FILTER(OvFilterHeaders);
OV_RULE_FREE_FILTER(OvHarWriter);

#undef OV_RULE_FREE_FILTER
