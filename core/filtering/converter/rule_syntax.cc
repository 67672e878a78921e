#include "core/filtering/converter/rule_syntax.h"

#include <string_view>

#include "core/commons/strview.h"

namespace {

// The kinds of construct find_top_level() keeps on its stack.
enum Construct : char {
    kParen,
    kBracket,
    kBrace,
    kSingleQuote,
    kDoubleQuote,
    kComment,
    kXpath,
};

// Procedural pseudo-classes whose argument is text to look for, not a
// selector: a quote, a comma or a bracket inside it means nothing.
constexpr std::string_view kRawArgumentFunctions[] = {"contains(", "-abp-contains(", "has-text(",
                                                      "matches-css("};
constexpr std::string_view kXpathFunction = "xpath(";

struct Scanner {
    std::string_view text;
    std::string_view excluded;
    bool balance_mode;
    size_t pos;
    Construct stack[FIND_TOP_LEVEL_MAX_DEPTH];
    size_t depth;
    size_t xpath_depth;  // open :xpath( constructs: '/' and ':' are plain there
    bool failed;         // the scan ended early
};

void push(Scanner *s, Construct construct) {
    if (s->depth + 1 >= FIND_TOP_LEVEL_MAX_DEPTH) {
        s->failed = true;
        return;
    }
    s->stack[s->depth++] = construct;
    s->xpath_depth += construct == kXpath;
}

void open_construct(Scanner *s, Construct construct) {
    ++s->pos;
    push(s, construct);
}

void pop(Scanner *s) {
    s->xpath_depth -= s->stack[--s->depth] == kXpath;
}

// Offset just past the byte that closes the quote or regular expression
// opened at `start` (the same byte closes it; a backslash escapes), or the
// text's length when nothing closes it.
size_t skip_delimited(std::string_view text, size_t start) {
    for (size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == text[start]) {
            return i + 1;
        }
    }
    return text.size();
}

bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The raw argument of a text-matching pseudo-class: a quoted string, a
// /regex/ with letter flags, or plain text up to the closing parenthesis
// (which the caller then meets as an ordinary closer).
void skip_raw_argument(Scanner *s) {
    if (s->pos >= s->text.size()) {
        return;
    }
    char first = s->text[s->pos];
    if (first == '"' || first == '\'') {
        s->pos = skip_delimited(s->text, s->pos);
    } else if (first == '/') {
        s->pos = skip_delimited(s->text, s->pos);
        while (s->pos < s->text.size() && is_ascii_letter(s->text[s->pos])) {
            ++s->pos;
        }
    } else {
        s->pos += strview::find_char(s->text.substr(s->pos), ')');
    }
}

void step_colon(Scanner *s) {
    std::string_view rest = s->text.substr(s->pos + 1);
    if (strview::starts_with(rest, kXpathFunction)) {
        s->pos += 1 + kXpathFunction.size();
        push(s, kXpath);
        return;
    }
    for (std::string_view function : kRawArgumentFunctions) {
        if (strview::starts_with(rest, function)) {
            s->pos += 1 + function.size();
            push(s, kParen);
            skip_raw_argument(s);
            return;
        }
    }
    ++s->pos;
}

void step_slash(Scanner *s) {
    char next = s->pos + 1 < s->text.size() ? s->text[s->pos + 1] : '\0';
    if (next == '*') {
        s->pos += 2;
        push(s, kComment);
    } else if (next == '/') {
        // A line comment swallows everything after it, closers included.
        s->failed = true;
    } else {
        ++s->pos;
    }
}

bool closes(Construct open, char closer) {
    switch (closer) {
        case ')':
            return open == kParen || open == kXpath;
        case ']':
            return open == kBracket;
        default:
            return open == kBrace;
    }
}

// A stray closer is tolerated while looking for a delimiter (an argument
// list may end with the caller's ')'); it makes the text unbalanced.
void step_closer(Scanner *s, char closer) {
    if (s->depth > 0 && closes(s->stack[s->depth - 1], closer)) {
        pop(s);
    } else if (s->balance_mode) {
        s->failed = true;
    }
    ++s->pos;
}

// One step at top level or inside parentheses, brackets, braces or xpath.
void step_nested(Scanner *s) {
    char c = s->text[s->pos];
    bool excluded = strview::find_char(s->excluded, c) < s->excluded.size();
    if (excluded || (s->xpath_depth > 0 && (c == '/' || c == ':'))) {
        ++s->pos;
        return;
    }
    switch (c) {
        case '\\':
            s->pos += 2;
            return;
        case '\'':
            open_construct(s, kSingleQuote);
            return;
        case '"':
            open_construct(s, kDoubleQuote);
            return;
        case '(':
            open_construct(s, kParen);
            return;
        case '[':
            open_construct(s, kBracket);
            return;
        case '{':
            open_construct(s, kBrace);
            return;
        case ')':
        case ']':
        case '}':
            step_closer(s, c);
            return;
        case '/':
            step_slash(s);
            return;
        case ':':
            step_colon(s);
            return;
        default:
            ++s->pos;
    }
}

void step_quoted(Scanner *s, char quote) {
    char c = s->text[s->pos];
    if (c == '\\') {
        s->pos += 2;
        return;
    }
    if (c == quote) {
        pop(s);
    }
    ++s->pos;
}

void step_comment(Scanner *s) {
    if (strview::starts_with(s->text.substr(s->pos), "*/")) {
        pop(s);
        s->pos += 2;
        return;
    }
    ++s->pos;
}

void step(Scanner *s) {
    switch (s->depth == 0 ? kParen : s->stack[s->depth - 1]) {
        case kSingleQuote:
            step_quoted(s, '\'');
            return;
        case kDoubleQuote:
            step_quoted(s, '"');
            return;
        case kComment:
            step_comment(s);
            return;
        default:
            step_nested(s);
    }
}

}  // namespace

bool is_comment_rule(const char *text, size_t length) {
    return length > 0 && (text[0] == '!' || (length > 1 && text[0] == '#' && text[1] == ' '));
}

bool is_list_header(const char *text, size_t length) {
    return length < 4 || strview::starts_with({text, length}, "[Adblock");
}

ptrdiff_t find_top_level(const char *text, size_t length, const char *delimiter,
                         size_t delimiter_len, const char *excluded, size_t excluded_len) {
    std::string_view wanted(delimiter, delimiter_len);
    Scanner s{};
    s.text = {text, length};
    s.excluded = {excluded, excluded_len};
    s.balance_mode = wanted.empty();
    while (s.pos < s.text.size() && !s.failed) {
        if (s.depth == 0 && !wanted.empty() && strview::starts_with(s.text.substr(s.pos), wanted)) {
            return static_cast<ptrdiff_t>(s.pos);
        }
        step(&s);
    }
    return s.balance_mode && !s.failed && s.depth == 0 ? 0 : -1;
}
