#include "core/filtering/urlfilter/urlfilter_results.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/filtering/urlfilter/rule_options.h"
#include "core/filtering/urlfilter/rule_parser.h"
#include "tests/support/log_capture.h"
#include "tests/support/multirules_text.h"

namespace {

using Texts = std::vector<std::string>;

struct Row {
    std::string name;
    Texts request;   // request matches, in match order
    Texts referrer;  // referrer (page-level) matches
    std::string expected;
};

class Multirules : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(urlfilter_context_init(&engine_, log_.get(), true), 0); }
    void TearDown() override { urlfilter_context_release(&engine_); }

    // Matches as the engine hands them over: items holding rules that own
    // their text, the kind following the rule.
    std::vector<urlfilter_item_t> Items(const Texts &texts) {
        std::vector<urlfilter_item_t> items;
        for (const std::string &text : texts) {
            cached_rule_t parsed{};
            if (parse_rule(&engine_, text.data(), text.size(), 0, &parsed) != RULE_PARSE_OK) {
                ADD_FAILURE() << "does not parse: " << text;
                continue;
            }
            auto *clone = new cached_rule_t{};
            EXPECT_TRUE(rule_clone(&parsed, clone)) << text;
            rule_release(&parsed);
            int32_t kind =
                clone->flags & RULE_WHITELIST ? URLFILTER_ITEM_EXCEPTION : URLFILTER_ITEM_BLOCKING;
            items.push_back({kind, clone});
        }
        return items;
    }

    static void Release(std::vector<urlfilter_item_t> *items) {
        for (urlfilter_item_t &item : *items) {
            rule_release(item.rule);
            delete item.rule;
        }
        items->clear();
    }

    // The result as one line; also checks that each item's kind follows
    // its rule.
    static std::string Describe(const urlfilter_multirules_t &result) {
        for (const urlfilter_rule_list_t &list : result.lists) {
            for (size_t i = 0; i < list.count; ++i) {
                bool exception = list.items[i].kind == URLFILTER_ITEM_EXCEPTION;
                EXPECT_EQ(exception, (list.items[i].rule->flags & RULE_WHITELIST) != 0);
            }
        }
        return multirules_text(result);
    }

    // Builds the result, releases the inputs first (the result must not
    // refer to them), describes it and frees it.
    std::string Build(const Texts &request, const Texts &referrer) {
        std::vector<urlfilter_item_t> request_items = Items(request);
        std::vector<urlfilter_item_t> referrer_items = Items(referrer);
        urlfilter_rule_list_t request_list{request_items.data(), request_items.size()};
        urlfilter_rule_list_t referrer_list{referrer_items.data(), referrer_items.size()};
        urlfilter_multirules_t result = build_multirules(&request_list, &referrer_list);
        Release(&request_items);
        Release(&referrer_items);
        std::string description = Describe(result);
        urlfilter_multirules_free(&result);
        for (const urlfilter_rule_list_t &list : result.lists) {
            EXPECT_EQ(list.items, nullptr);
            EXPECT_EQ(list.count, 0u);
        }
        return description;
    }

    void Check(const std::vector<Row> &rows) {
        for (const Row &row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(Build(row.request, row.referrer), row.expected);
        }
    }

    LogHandle log_{"urlfilter", -1};
    urlfilter_context_t engine_{};
};

TEST_F(Multirules, ListNames) {
    const char *names[] = {"basic",   "page",      "replace",     "csp",          "cookie",
                           "stealth", "badfilter", "removeparam", "removeheader", "hls"};
    for (int i = 0; i < URLFILTER_LIST_COUNT; ++i) {
        EXPECT_STREQ(urlfilter_list_name(i), names[i]);
    }
    EXPECT_EQ(urlfilter_list_name(-1), nullptr);
    EXPECT_EQ(urlfilter_list_name(URLFILTER_LIST_COUNT), nullptr);
}

TEST_F(Multirules, Grouping) {
    Check({
        {"nothing matched", {}, {}, ""},
        {"each special flag has its list",
         {"||example.com^$hls=/ad/", "||example.com^$removeheader=x-ad",
          "||example.com^$removeparam=utm", "||example.com^$badfilter", "@@||example.com^$stealth",
          "||example.com^$cookie", "||example.com^$csp=frame-src 'none'",
          "||example.com^$replace=/ad/x/", "||example.com^"},
         {},
         "basic=[||example.com^] replace=[||example.com^$replace=/ad/x/] "
         "csp=[||example.com^$csp=frame-src 'none'] cookie=[||example.com^$cookie] "
         "stealth=[@@||example.com^$stealth] badfilter=[||example.com^$badfilter] "
         "removeparam=[||example.com^$removeparam=utm] "
         "removeheader=[||example.com^$removeheader=x-ad] hls=[||example.com^$hls=/ad/]"},
        {"the first special flag decides: badfilter before csp",
         {"||example.com^$csp=frame-src 'none',badfilter"},
         {},
         "badfilter=[||example.com^$csp=frame-src 'none',badfilter]"},
        {"referrer matches go to the page list",
         {"||example.com^"},
         {"@@||page.example^$generichide", "@@||page.example^$genericblock"},
         "basic=[||example.com^] "
         "page=[@@||page.example^$generichide @@||page.example^$genericblock]"},
        {"referrer matches with special flags are dropped",
         {"||example.com^$cookie"},
         {"||page.example^$csp=frame-src 'none'", "@@||page.example^$stealth",
          "||page.example^$badfilter", "@@||page.example^$generichide", "||page.example^$cookie"},
         "page=[@@||page.example^$generichide] cookie=[||example.com^$cookie]"},
    });
}

TEST_F(Multirules, NullInputsAndNullFree) {
    urlfilter_multirules_t result = build_multirules(nullptr, nullptr);
    EXPECT_EQ(Describe(result), "");
    urlfilter_multirules_free(&result);
    urlfilter_multirules_free(nullptr);
}

TEST_F(Multirules, Precedence) {
    Check({
        {"exception before blocking",
         {"||example.com^", "@@||example.com^"},
         {},
         "basic=[@@||example.com^ ||example.com^]"},
        {"important blocking over exception (2 over 1)",
         {"@@||example.com^", "||example.com^$important"},
         {},
         "basic=[||example.com^$important @@||example.com^]"},
        {"important exception first (3)",
         {"||example.com^$important", "@@||example.com^", "@@||example.com^$important"},
         {},
         "basic=[@@||example.com^$important ||example.com^$important @@||example.com^]"},
        {"document exception over important exception (4 over 3)",
         {"@@||example.com^$important", "@@||example.com^$document"},
         {},
         "basic=[@@||example.com^$document @@||example.com^$important]"},
        {"important document exception first (5)",
         {"@@||example.com^$document", "@@||example.com^$document,important"},
         {},
         "basic=[@@||example.com^$document,important @@||example.com^$document]"},
        {"modifier exception after every other rule",
         {"@@||example.com^$generichide", "||example.com^"},
         {},
         "basic=[||example.com^ @@||example.com^$generichide]"},
        {"modifier exceptions compare by level among themselves",
         {"@@||example.com^$generichide", "@@||example.com^$elemhide,important"},
         {},
         "basic=[@@||example.com^$elemhide,important @@||example.com^$generichide]"},
        {"equal rules keep their order",
         {"||example.com/b", "||example.com/a"},
         {},
         "basic=[||example.com/b ||example.com/a]"},
        {"generic before domain-specific",
         {"||example.com^$domain=example.org", "||example.com^"},
         {},
         "basic=[||example.com^ ||example.com^$domain=example.org]"},
        {"any-TLD domains are domain-specific too",
         {"||example.com^$domain=example.*", "||example.com^"},
         {},
         "basic=[||example.com^ ||example.com^$domain=example.*]"},
        {"restricted domains only: still generic",
         {"||example.com^$domain=~example.org", "||example.com^$script"},
         {},
         "basic=[||example.com^$script ||example.com^$domain=~example.org]"},
        {"generic before typed domain-specific",
         {"||example.com^$script,domain=example.org", "||example.com^"},
         {},
         "basic=[||example.com^ ||example.com^$script,domain=example.org]"},
        {"typed before untyped",
         {"||example.com^", "||example.com^$script"},
         {},
         "basic=[||example.com^$script ||example.com^]"},
        {"typed before untyped, both domain-specific",
         {"||example.com^$domain=example.org", "||example.com^$image,domain=example.org"},
         {},
         "basic=[||example.com^$image,domain=example.org ||example.com^$domain=example.org]"},
        {"the page list is sorted too",
         {},
         {"@@||page.example^$generichide", "@@||page.example^$urlblock,important",
          "@@||page.example^$document"},
         "page=[@@||page.example^$document @@||page.example^$urlblock,important "
         "@@||page.example^$generichide]"},
    });
}

TEST_F(Multirules, RedirectPrecedence) {
    Check({
        {"redirect over plain important (2 over 1)",
         {"||example.com^$important", "||example.com^$redirect=noopjs"},
         {},
         "basic=[||example.com^$redirect=noopjs ||example.com^$important]"},
        {"redirect over plain blocking (2 over 0)",
         {"||example.com^", "||example.com^$redirect=noopjs"},
         {},
         "basic=[||example.com^$redirect=noopjs ||example.com^]"},
        {"exception over redirect (3 over 2)",
         {"||example.com^$redirect=noopjs", "@@||example.com^"},
         {},
         "basic=[@@||example.com^ ||example.com^$redirect=noopjs]"},
        {"important redirect over exception (4 over 3)",
         {"@@||example.com^", "||example.com^$important,redirect=noopjs"},
         {},
         "basic=[||example.com^$important,redirect=noopjs @@||example.com^]"},
        {"important exception over important redirect (5 over 4)",
         {"||example.com^$important,redirect=noopjs", "@@||example.com^$important"},
         {},
         "basic=[@@||example.com^$important ||example.com^$important,redirect=noopjs]"},
        // The levels depend on the pair, so here they go round in a circle:
        // exception over redirect, redirect over important, important over
        // exception. The sort stays well-defined and follows match order.
        {"circular levels, exception matched first",
         {"@@||example.com^", "||example.com^$redirect=noopjs", "||example.com^$important"},
         {},
         "basic=[@@||example.com^ ||example.com^$redirect=noopjs ||example.com^$important]"},
        {"circular levels, important matched first",
         {"||example.com^$important", "@@||example.com^", "||example.com^$redirect=noopjs"},
         {},
         "basic=[||example.com^$important @@||example.com^ ||example.com^$redirect=noopjs]"},
    });
}

TEST_F(Multirules, SwitchOff) {
    const Texts special = {
        "||example.com^$replace=/ad/x/",
        "||example.com^$csp=frame-src 'none'",
        "||example.com^$cookie",
        "@@||example.com^$stealth",
        "||example.com^$badfilter",
        "||example.com^$removeparam=utm",
        "||example.com^$removeheader=x-ad",
        "||example.com^$hls=/ad/",
        "||example.com^",
    };
    Check({
        {"document exception through the referrer empties 2 to 5 and 7 to 9",
         special,
         {"@@||page.example^$document"},
         "basic=[||example.com^] page=[@@||page.example^$document] "
         "badfilter=[||example.com^$badfilter]"},
        {"urlblock through the referrer keeps stealth",
         special,
         {"@@||page.example^$urlblock"},
         "basic=[||example.com^] page=[@@||page.example^$urlblock] "
         "stealth=[@@||example.com^$stealth] badfilter=[||example.com^$badfilter]"},
        {"content exception as the only basic match empties 2 and 9 only",
         {"||example.com^$replace=/ad/x/", "||example.com^$csp=frame-src 'none'",
          "||example.com^$cookie", "@@||example.com^$stealth", "||example.com^$badfilter",
          "||example.com^$removeparam=utm", "||example.com^$removeheader=x-ad",
          "||example.com^$hls=/ad/", "@@||example.com^$content"},
         {},
         "basic=[@@||example.com^$content] csp=[||example.com^$csp=frame-src 'none'] "
         "cookie=[||example.com^$cookie] stealth=[@@||example.com^$stealth] "
         "badfilter=[||example.com^$badfilter] removeparam=[||example.com^$removeparam=utm] "
         "removeheader=[||example.com^$removeheader=x-ad]"},
        {"no page-level exception: nothing is switched off",
         special,
         {},
         "basic=[||example.com^] replace=[||example.com^$replace=/ad/x/] "
         "csp=[||example.com^$csp=frame-src 'none'] cookie=[||example.com^$cookie] "
         "stealth=[@@||example.com^$stealth] badfilter=[||example.com^$badfilter] "
         "removeparam=[||example.com^$removeparam=utm] "
         "removeheader=[||example.com^$removeheader=x-ad] hls=[||example.com^$hls=/ad/]"},
        {"document exception as the first basic match",
         {"||example.com^$cookie", "||example.com^", "@@||example.com^$document",
          "||example.com^$badfilter"},
         {},
         "basic=[@@||example.com^$document ||example.com^] "
         "badfilter=[||example.com^$badfilter]"},
        {"a document exception that is not first switches nothing off",
         {"||example.com^$cookie", "||example.com^$important,redirect=noopjs",
          "@@||example.com^$document"},
         {},
         "basic=[||example.com^$important,redirect=noopjs @@||example.com^$document] "
         "cookie=[||example.com^$cookie]"},
        // Modifier exceptions sort last so that they never decide blocking;
        // their switch still applies when another rule sorts first.
        {"content exception behind another modifier exception",
         {"@@||example.com^$generichide", "@@||example.com^$content",
          "||example.com^$replace=/ad/x/", "||example.com^$hls=/ad/", "||example.com^$cookie"},
         {},
         "basic=[@@||example.com^$generichide @@||example.com^$content] "
         "cookie=[||example.com^$cookie]"},
        {"content exception behind a plain exception",
         {"@@||example.com^$content", "@@||example.com^", "||example.com^$replace=/ad/x/"},
         {},
         "basic=[@@||example.com^ @@||example.com^$content]"},
        {"urlblock behind genericblock on the page",
         {"||example.com^$cookie", "@@||example.com^$stealth"},
         {"@@||page.example^$genericblock", "@@||page.example^$urlblock"},
         "page=[@@||page.example^$genericblock @@||page.example^$urlblock] "
         "stealth=[@@||example.com^$stealth]"},
    });
}

TEST_F(Multirules, Redirects) {
    Check({
        {"bare redirect exception removes the blocking redirect",
         {"||example.com^$redirect=noopjs", "@@||example.com^$redirect"},
         {},
         "basic=[@@||example.com^$redirect]"},
        {"then a plain blocking rule decides",
         {"||example.com^", "||example.com^$redirect=noopjs", "@@||example.com^$redirect"},
         {},
         "basic=[||example.com^]"},
        {"named exception for the same resource: both go",
         {"||example.com^$redirect=noopjs", "@@||example.com^$redirect=noopjs"},
         {},
         ""},
        {"an alias names the same resource",
         {"||example.com^$redirect=blank-js", "@@||example.com^$redirect=noopjs"},
         {},
         ""},
        {"named exception for another resource goes alone",
         {"||example.com^$redirect=noopjs", "@@||example.com^$redirect=noopcss"},
         {},
         "basic=[||example.com^$redirect=noopjs]"},
        {"redirect and redirect-rule records differ",
         {"||example.com^$redirect-rule=noopjs", "||example.com^",
          "@@||example.com^$redirect=noopjs"},
         {},
         "basic=[||example.com^$redirect-rule=noopjs ||example.com^]"},
        {"named redirect-rule exception cancels the redirect-rule",
         {"||example.com^$redirect-rule=noopjs", "||example.com^",
          "@@||example.com^$redirect-rule=noopjs"},
         {},
         "basic=[||example.com^]"},
        {"redirect-rule alone is removed", {"||example.com^$redirect-rule=noopjs"}, {}, ""},
        {"redirect-rule stays behind a plain blocking rule",
         {"||example.com^", "||example.com^$redirect-rule=noopjs"},
         {},
         "basic=[||example.com^$redirect-rule=noopjs ||example.com^]"},
        {"redirect-rule goes when an exception is the first plain rule",
         {"||example.com^$important,redirect-rule=noopjs", "@@||example.com^", "||example.com^"},
         {},
         "basic=[@@||example.com^ ||example.com^]"},
        {"only leading redirect-rules go",
         {"||example.com^$important,redirect=noopjs", "||example.com^$redirect-rule=noopjs",
          "@@||example.com^"},
         {},
         "basic=[||example.com^$important,redirect=noopjs @@||example.com^ "
         "||example.com^$redirect-rule=noopjs]"},
        {"redirect alone stays",
         {"||example.com^$redirect=noopjs"},
         {},
         "basic=[||example.com^$redirect=noopjs]"},
        {"leading redirect exceptions are removed",
         {"@@||example.com^$redirect", "@@||example.com^$redirect-rule", "||example.com^"},
         {},
         "basic=[||example.com^]"},
        {"two redirect exceptions alone: both go",
         {"@@||example.com^$redirect", "@@||example.org^$redirect"},
         {},
         ""},
        {"with no plain rule, a leading redirect-rule exception goes too",
         {"@@||example.com^$redirect", "@@||example.com^$redirect-rule"},
         {},
         "basic=[@@||example.com^$redirect]"},
    });
}

TEST_F(Multirules, Stealth) {
    Check({
        {"{1,2} and {2}: the subset goes",
         {"@@||example.com^$stealth=3p-cookie", "@@||example.com^$stealth=1p-cookie|3p-cookie"},
         {},
         "stealth=[@@||example.com^$stealth=1p-cookie|3p-cookie]"},
        {"equal sets: the first stays",
         {"@@||a.example^$stealth=dpi|ip", "@@||b.example^$stealth=ip|dpi"},
         {},
         "stealth=[@@||a.example^$stealth=dpi|ip]"},
        {"all options cover every set",
         {"@@||example.com^$stealth=dpi", "@@||example.com^$stealth"},
         {},
         "stealth=[@@||example.com^$stealth]"},
        {"disjoint sets stay, larger first",
         {"@@||example.com^$stealth=dpi", "@@||example.com^$stealth=ip|push"},
         {},
         "stealth=[@@||example.com^$stealth=ip|push @@||example.com^$stealth=dpi]"},
        {"subsets of the first set go",
         {"@@||a.example^$stealth=ip", "@@||b.example^$stealth=dpi",
          "@@||c.example^$stealth=dpi|ip"},
         {},
         "stealth=[@@||c.example^$stealth=dpi|ip]"},
        {"second pass: a set covered by the union of two others",
         {"@@||a.example^$stealth=ip|push", "@@||b.example^$stealth=dpi|java",
          "@@||c.example^$stealth=ip|dpi"},
         {},
         "stealth=[@@||a.example^$stealth=ip|push @@||b.example^$stealth=dpi|java]"},
        // Every set here is covered by the other two; once one goes, the
        // other two are each needed, so the union of all sets is kept.
        {"second pass rechecks against the rules that remain",
         {"@@||a.example^$stealth=ip|dpi", "@@||b.example^$stealth=dpi|java",
          "@@||c.example^$stealth=ip|java"},
         {},
         "stealth=[@@||b.example^$stealth=dpi|java @@||c.example^$stealth=ip|java]"},
    });
}

TEST_F(Multirules, ValueKeyedExceptions) {
    Check({
        {"csp: same value removes the blocking rule, the exception stays",
         {"||example.com^$csp=script-src 'none'", "@@||example.com^$csp=script-src 'none'"},
         {},
         "csp=[@@||example.com^$csp=script-src 'none']"},
        {"csp: a bare exception is all that stays",
         {"||example.com^$csp=script-src 'none'", "||example.com^$csp=frame-src 'none'",
          "@@||example.com^$csp=frame-src 'none'", "@@||example.com^$csp"},
         {},
         "csp=[@@||example.com^$csp]"},
        {"csp: the first bare exception",
         {"@@||a.example^$csp", "@@||b.example^$csp"},
         {},
         "csp=[@@||a.example^$csp]"},
        {"csp: an exception with a different value is removed",
         {"||example.com^$csp=script-src 'none'", "@@||example.com^$csp=frame-src 'none'"},
         {},
         "csp=[||example.com^$csp=script-src 'none']"},
        {"csp: values compare byte for byte",
         {"||example.com^$csp=script-src 'none'", "@@||example.com^$csp=Script-src 'none'"},
         {},
         "csp=[||example.com^$csp=script-src 'none']"},
        {"csp: a second exception for the same value finds nothing left",
         {"@@||a.example^$csp=frame-src 'none'", "||example.com^$csp=frame-src 'none'",
          "@@||b.example^$csp=frame-src 'none'"},
         {},
         "csp=[@@||a.example^$csp=frame-src 'none']"},
        {"csp: sorted by value",
         {"||example.com^$csp=script-src 'none'", "||example.com^$csp=frame-src 'none'",
          "||example.com^$csp=child-src 'none'"},
         {},
         "csp=[||example.com^$csp=child-src 'none' ||example.com^$csp=frame-src 'none' "
         "||example.com^$csp=script-src 'none'"
         "]"},
        {"replace: same value",
         {"||example.com^$replace=/ad/x/", "||example.com^$replace=/banner/x/",
          "@@||example.com^$replace=/ad/x/"},
         {},
         "replace=[@@||example.com^$replace=/ad/x/ ||example.com^$replace=/banner/x/]"},
        {"replace: bare exception",
         {"||example.com^$replace=/ad/x/", "@@||example.com^$replace"},
         {},
         "replace=[@@||example.com^$replace]"},
        {"hls: keyed by the pattern text",
         {"||example.com^$hls=/banner/", "||example.com^$hls=/ad/t", "||example.com^$hls=/ad/",
          "@@||example.com^$hls=/ad/"},
         {},
         "hls=[@@||example.com^$hls=/ad/ ||example.com^$hls=/ad/t "
         "||example.com^$hls=/banner/]"},
        {"hls: bare exception",
         {"||example.com^$hls=/ad/", "@@||example.com^$hls"},
         {},
         "hls=[@@||example.com^$hls]"},
        {"cookie is not value-keyed",
         {"||example.com^$cookie=b", "@@||example.com^$cookie=a"},
         {},
         "cookie=[||example.com^$cookie=b @@||example.com^$cookie=a]"},
    });
}

TEST_F(Multirules, ResultOwnsIndependentClones) {
    std::vector<urlfilter_item_t> items = Items({"||example.com^$domain=example.org"});
    urlfilter_rule_list_t input{items.data(), items.size()};
    urlfilter_multirules_t result = build_multirules(&input, nullptr);
    ASSERT_EQ(result.lists[URLFILTER_LIST_BASIC].count, 1u);
    const cached_rule_t *clone = result.lists[URLFILTER_LIST_BASIC].items[0].rule;
    EXPECT_NE(clone, items[0].rule);
    EXPECT_NE(clone->text, items[0].rule->text);
    EXPECT_NE(clone->options, items[0].rule->options);
    Release(&items);
    EXPECT_EQ(std::string(clone->text, clone->text_len), "||example.com^$domain=example.org");
    EXPECT_FALSE(rule_domains_generic(&clone->options->domains));
    urlfilter_multirules_free(&result);
}

// A record whose text no longer parses stands for a clone that fails (the
// same path as memory running out): the item is left out and logged, and a
// list left with nothing frees its array.
TEST_F(Multirules, ItemsThatCannotBeClonedAreLeftOut) {
    static const char kBroken[] = "! not a rule";
    cached_rule_t broken{};
    broken.text = kBroken;
    broken.text_len = sizeof(kBroken) - 1;
    const std::vector<std::string> error = {
        "build_multirules(): Couldn't clone rule '! not a rule'"};

    std::vector<urlfilter_item_t> items = Items({"||example.com^"});
    urlfilter_item_t broken_item{URLFILTER_ITEM_BLOCKING, &broken};
    items.push_back(broken_item);
    urlfilter_rule_list_t with_good{items.data(), items.size()};
    urlfilter_rule_list_t alone{&broken_item, 1};

    LogCapture capture;
    urlfilter_multirules_t result = build_multirules(&with_good, nullptr);
    EXPECT_EQ(multirules_text(result), "basic=[||example.com^]");
    EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR), error);
    urlfilter_multirules_free(&result);

    capture.clear();
    result = build_multirules(&alone, nullptr);
    EXPECT_EQ(result.lists[URLFILTER_LIST_BASIC].items, nullptr);
    EXPECT_EQ(multirules_text(result), "");
    EXPECT_EQ(capture.messages(LOG_LEVEL_ERROR), error);
    urlfilter_multirules_free(&result);

    items.pop_back();
    Release(&items);
}

}  // namespace
