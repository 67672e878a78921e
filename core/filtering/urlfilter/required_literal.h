// A literal that every match of a rule's regular expression must contain:
// the engine tests it against the URL before running the expression, the way
// it tests a plain rule's shortcut. Unlike the shortcut of a regular
// expression, it is only taken where it is certain: never across an
// alternative, a group, a class, an escape class or an optional character.
#pragma once

#include <cstddef>
#include <string>

// The longest literal (lower case) that every match of `expr` (the text
// between a rule's slashes) contains; empty when none is certain.
std::string regex_required_literal(const char *expr, size_t length);
