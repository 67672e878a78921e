// The embedded scriptlets base reads with the streaming JSON reader: 46
// scriptlets in base order, each with its names and one function.
#include "core/filtering/cosmetic/scriptlets_base.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/commons/ffjson.h"

namespace {

struct Base {
    std::vector<std::vector<std::string>> names;
    std::vector<std::string> code;
};

Base *base_of(ffjson_state *sc) {
    return static_cast<Base *>(sc->udata);
}

int on_name(ffjson_state *sc) {
    base_of(sc)->names.back().emplace_back(sc->str, sc->str_len);
    return 0;
}
const ffjson_field kNames[] = {{nullptr, FFJSON_TSTR, on_name}};

int on_names(ffjson_state *sc) {
    ffjson_push(sc, kNames, FFCNT(kNames));
    return 0;
}
int on_code(ffjson_state *sc) {
    base_of(sc)->code.emplace_back(sc->str, sc->str_len);
    return 0;
}
const ffjson_field kEntry[] = {{"names", FFJSON_TARR, on_names},
                               {"scriptlet", FFJSON_TSTR, on_code}};

int on_entry(ffjson_state *sc) {
    base_of(sc)->names.emplace_back();
    ffjson_push(sc, kEntry, FFCNT(kEntry));
    return 0;
}
const ffjson_field kEntries[] = {{nullptr, FFJSON_TOBJ, on_entry}};

int on_scriptlets(ffjson_state *sc) {
    ffjson_push(sc, kEntries, FFCNT(kEntries));
    return 0;
}
const ffjson_field kTop[] = {{"version", FFJSON_TSTR, nullptr},
                             {"scriptlets", FFJSON_TARR, on_scriptlets}};

int on_root(ffjson_state *sc) {
    ffjson_push(sc, kTop, FFCNT(kTop));
    return 0;
}
const ffjson_field kRoot[] = {{nullptr, FFJSON_TOBJ, on_root}};

TEST(ScriptletsBase, ReadsAsTheBase) {
    std::string_view text = scriptlets_base_text();
    Base base;
    ASSERT_EQ(ffjson_parse(text.data(), text.size(), kRoot, FFCNT(kRoot), &base, nullptr), 0);
    ASSERT_EQ(base.names.size(), 46u);
    ASSERT_EQ(base.code.size(), 46u);
    EXPECT_EQ(base.names.front().front(), "abort-on-property-read");
    EXPECT_EQ(base.names.back().front(), "no-topics");
    std::set<std::string> seen;
    for (size_t i = 0; i < base.names.size(); ++i) {
        SCOPED_TRACE(base.names[i].front());
        EXPECT_LE(base.names[i].size(), 16u);
        EXPECT_EQ(base.code[i].rfind("function ", 0), 0u);
        for (const std::string &name : base.names[i]) {
            EXPECT_TRUE(seen.insert(name).second) << name;
        }
    }
}

}  // namespace
