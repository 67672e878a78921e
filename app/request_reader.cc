#include "app/request_reader.h"

#include <fstream>
#include <string_view>

#include "core/commons/ffjson.h"
#include "core/commons/strview.h"
#include "core/filtering/urlfilter/rule_options.h"

namespace {

struct TypeName {
    const char *name;
    uint32_t bits;
};

const TypeName kTypes[] = {
    {"document", CONTENT_DOCUMENT},
    {"doc", CONTENT_DOCUMENT},
    {"subdocument", CONTENT_SUBDOCUMENT},
    {"frame", CONTENT_SUBDOCUMENT},
    {"script", CONTENT_SCRIPT},
    {"image", CONTENT_IMAGE},
    {"stylesheet", CONTENT_STYLESHEET},
    {"css", CONTENT_STYLESHEET},
    {"object", CONTENT_OBJECT},
    {"xmlhttprequest", CONTENT_XMLHTTPREQUEST},
    {"xhr", CONTENT_XMLHTTPREQUEST},
    {"media", CONTENT_MEDIA},
    {"font", CONTENT_FONT},
    {"websocket", CONTENT_WEBSOCKET},
    {"ping", CONTENT_PING},
    {"other", CONTENT_OTHER},
};

struct Reading {
    tool_request_t *out;
    std::string error;
    bool has_url = false;
};

Reading *reading(ffjson_state *sc) {
    return static_cast<Reading *>(sc->udata);
}

int on_url(ffjson_state *sc) {
    reading(sc)->out->url.assign(sc->str, sc->str_len);
    reading(sc)->has_url = true;
    return 0;
}
int on_referrer(ffjson_state *sc) {
    reading(sc)->out->referrer.assign(sc->str, sc->str_len);
    return 0;
}
int on_app(ffjson_state *sc) {
    reading(sc)->out->app.assign(sc->str, sc->str_len);
    reading(sc)->out->has_app = sc->type != FFJSON_TOK_NULL;
    return 0;
}
int on_type(ffjson_state *sc) {
    if (sc->type == FFJSON_TOK_NULL) {
        return 0;  // the type is not known
    }
    std::string_view name(sc->str, sc->str_len);
    for (const TypeName &type : kTypes) {
        if (strview::equals_nocase(name, type.name)) {
            reading(sc)->out->type = type.bits;
            return 0;
        }
    }
    reading(sc)->error = "unknown request type '" + std::string(name) + "'";
    return FFJSON_EMISUSE + 1;
}
int on_third_party(ffjson_state *sc) {
    if (sc->type != FFJSON_TOK_NULL) {
        reading(sc)->out->flags |= URLFILTER_PARTY_GIVEN | (sc->num ? URLFILTER_THIRD_PARTY : 0);
    }
    return 0;
}

const ffjson_field kMembers[] = {
    {"url", FFJSON_TSTR, on_url},
    {"referrer", FFJSON_TSTR, on_referrer},
    {"type", FFJSON_TSTR, on_type},
    {"app", FFJSON_TSTR, on_app},
    {"third_party", FFJSON_TBOOL, on_third_party},
    {"*", FFJSON_TANY, nullptr},
};

int on_object(ffjson_state *sc) {
    ffjson_push(sc, kMembers, FFCNT(kMembers));
    return 0;
}

const ffjson_field kRoot[] = {{nullptr, FFJSON_TOBJ, on_object}};

}  // namespace

bool read_tool_request(const std::string &line, tool_request_t *out, std::string *error) {
    *out = {};
    Reading state{out, {}, false};
    ffjson_error where{};
    int rc = ffjson_parse(line.data(), line.size(), kRoot, FFCNT(kRoot), &state, &where);
    if (rc != 0) {
        *error =
            !state.error.empty() ? state.error : std::string("bad JSON: ") + ffjson_strerror(rc);
        return false;
    }
    if (!state.has_url) {
        *error = "no \"url\"";
        return false;
    }
    urlfilter_request_t &r = out->request;
    r.url = out->url.c_str();
    r.url_len = static_cast<uint32_t>(out->url.size());
    r.referrer = out->referrer.c_str();
    r.referrer_len = static_cast<uint32_t>(out->referrer.size());
    r.request_type = out->type;
    r.app_name = out->has_app ? out->app.c_str() : nullptr;
    r.app_name_len = out->has_app ? static_cast<uint32_t>(out->app.size()) : 0;
    r.request_flags = out->flags;
    return true;
}

long load_rule_file(urlfilter_s *engine, const char *path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return -1;
    }
    long lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        urlfilter_addrule(engine, line.data(), line.size(), 0);
    }
    return lines;
}
