// OvFilterContent: the facade's cosmetic rule filter. It holds the
// element-hiding filter and the script filter behind one content-rules lock,
// takes and clears their rules, and composes what the content script of a
// page receives: the three CSS texts, the script text and the filtering
// context, from the query of the page's "content-script" request.
#pragma once

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "core/commons/logger.h"
#include "core/filtering/cosmetic/cssfilter.h"
#include "core/filtering/cosmetic/jsfilter.h"
#include "core/proxy/browserapi/query_parameters.h"
#include "core/proxy/filter.h"

struct OvFreeDeleter {
    void operator()(char *text) const { free(text); }
};
// A malloc'ed NUL-terminated text, or null.
using OvMallocText = std::unique_ptr<char, OvFreeDeleter>;

// What a page's content script receives; null texts where nothing applies.
struct OvContentInjection {
    OvMallocText script;
    OvMallocText commonCss;
    OvMallocText specificCss;
    OvMallocText extendedCss;
    // {"isReferrerRuleJsInject":...,"isReferrerRuleElemhide":...}
    std::string filteringContext;
};

class OvFilterContent final : public OvFilter {
  public:
    // Throws std::bad_alloc when a filter cannot be created.
    OvFilterContent();
    ~OvFilterContent() override;
    OvFilterContent(const OvFilterContent &) = delete;
    OvFilterContent &operator=(const OvFilterContent &) = delete;

    const char *name() const override { return "OvFilterContent"; }
    // OV_FILTER_DONE when the element-hiding or the script filter holds the
    // rule (added now or before); OV_FILTER_NOT_MINE for texts of other kinds
    // and for cosmetic rules their parser rejects (logged), so that the
    // facade offers them on and converts them; -1 when memory ran out.
    int addRule(const char *rule, size_t length, int tag) override;
    // OV_FILTER_DONE when removed, OV_FILTER_NOT_MINE when neither filter
    // holds the text, -1 when removing an exception could not restore the
    // rules it had narrowed (logged).
    int clearRule(std::string rule) override;

    // Composes the injection from the query parameters "dmn", "pth", "app",
    // "js", "css", "rel" and "rji". Takes the content-rules lock separately
    // for the script, the common CSS and the specific and extended CSS.
    OvContentInjection composeInjection(const OvQueryParameters &query);

    // Rules held, exceptions included.
    size_t ruleCount();

  private:
    void composeScript(OvContentInjection &injection, const char *domain, const std::string &app,
                       const std::string &path);
    void composeCss(OvContentInjection &injection, std::string_view mask_text, const char *domain,
                    const std::string &app, const std::string &path);

    LogHandle log;
    std::mutex contentRulesLock;  // guards both filters: builds change rule records
    cssfilter_s *elemhide;
    jsfilter_s *scripts;
};
