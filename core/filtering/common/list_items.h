// Walks the items of a delimited rule list ("a.com|~b.com", "x.exe|y.exe"):
// each item runs to the next delimiter and is trimmed of spaces. A delimiter
// at the very end of the list does not open another item.
#pragma once

#include <cstddef>
#include <cstring>

struct list_item_t {
    const char *text;  // the trimmed item
    size_t length;
    size_t start;  // offset of the untrimmed item in the list
    size_t end;    // offset of the delimiter after it (or the list's length)
};

// Fills `item` with the item at `*pos` and advances `*pos` past its
// delimiter. Returns false when the list is exhausted.
inline bool next_list_item(const char *text, size_t length, char delimiter, size_t *pos,
                           list_item_t *item) {
    if (*pos >= length) {
        return false;
    }
    const void *found = memchr(text + *pos, delimiter, length - *pos);
    size_t end = found ? static_cast<size_t>(static_cast<const char *>(found) - text) : length;
    size_t first = *pos, last = end;
    while (first < last && text[first] == ' ') {
        ++first;
    }
    while (last > first && text[last - 1] == ' ') {
        --last;
    }
    *item = {text + first, last - first, *pos, end};
    *pos = end + 1;
    return true;
}
