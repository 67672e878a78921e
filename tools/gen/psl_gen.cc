// Turns a Public Suffix List file (as Debian's publicsuffix package ships it)
// into the built-in snapshot: a name blob and an open-addressing table in the
// layout of core/filtering/common/public_suffix_table.h.
//
//   psl_gen LIST.dat VERSION OUTPUT.inc
//
// Internationalised names are stored in their punycode (xn--) form, the form
// hosts have in URLs.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/filtering/common/public_suffix_table.h"

namespace {

std::vector<uint32_t> utf8_code_points(const std::string &text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        int n = b < 0x80 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
        uint32_t cp = n == 1 ? b : b & (0xff >> (n + 1));
        for (int k = 1; k < n && i + k < text.size(); ++k) {
            cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3f);
        }
        out.push_back(cp);
        i += n;
    }
    return out;
}

char punycode_digit(uint32_t d) {
    return static_cast<char>(d < 26 ? 'a' + d : '0' + d - 26);
}

uint32_t punycode_adapt(uint32_t delta, uint32_t points, bool first) {
    delta = first ? delta / 700 : delta / 2;
    delta += delta / points;
    uint32_t k = 0;
    while (delta > ((36 - 1) * 26) / 2) {
        delta /= 36 - 1;
        k += 36;
    }
    return k + (36 * delta) / (delta + 38);
}

// RFC 3492 encoding of one label.
std::string punycode_label(const std::string &label) {
    std::vector<uint32_t> input = utf8_code_points(label);
    std::string out;
    for (uint32_t cp : input) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        }
    }
    uint32_t basic = static_cast<uint32_t>(out.size()), handled = basic;
    if (basic > 0) {
        out += '-';
    }
    uint32_t n = 0x80, delta = 0, bias = 72;
    while (handled < input.size()) {
        uint32_t m = UINT32_MAX;
        for (uint32_t cp : input) {
            if (cp >= n && cp < m) {
                m = cp;
            }
        }
        delta += (m - n) * (handled + 1);
        n = m;
        for (uint32_t cp : input) {
            if (cp < n) {
                ++delta;
            } else if (cp == n) {
                uint32_t q = delta;
                for (uint32_t k = 36;; k += 36) {
                    uint32_t t = k <= bias ? 1 : k >= bias + 26 ? 26 : k - bias;
                    if (q < t) {
                        break;
                    }
                    out += punycode_digit(t + (q - t) % (36 - t));
                    q = (q - t) / (36 - t);
                }
                out += punycode_digit(q);
                bias = punycode_adapt(delta, handled + 1, handled == basic);
                delta = 0;
                ++handled;
            }
        }
        ++delta;
        ++n;
    }
    return "xn--" + out;
}

std::string to_ascii(const std::string &name) {
    std::string out;
    std::stringstream labels(name);
    std::string label;
    while (std::getline(labels, label, '.')) {
        bool ascii = true;
        for (char c : label) {
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        }
        out += (out.empty() ? "" : ".") + (ascii ? label : punycode_label(label));
    }
    return out;
}

struct Counts {
    int normal[2] = {0, 0}, wildcard[2] = {0, 0}, exception = 0;
};

std::map<std::string, uint32_t> read_list(const char *path, Counts *counts) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << "psl_gen: cannot read " << path << "\n";
        exit(1);
    }
    std::map<std::string, uint32_t> names;
    bool private_section = false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("===BEGIN PRIVATE DOMAINS===") != std::string::npos) {
            private_section = true;
        }
        std::string rule;
        std::stringstream(line) >> rule;
        if (rule.empty() || rule.rfind("//", 0) == 0) {
            continue;
        }
        uint32_t flags = private_section ? PSL_FLAG_PRIVATE : 0;
        if (rule[0] == '!') {
            flags |= PSL_FLAG_EXCEPTION;
            rule.erase(0, 1);
            ++counts->exception;
        } else if (rule.rfind("*.", 0) == 0) {
            flags |= PSL_FLAG_WILDCARD;
            rule.erase(0, 2);
            ++counts->wildcard[private_section];
        } else {
            ++counts->normal[private_section];
        }
        names[to_ascii(rule)] |= flags;
    }
    return names;
}

void write_snapshot(const std::map<std::string, uint32_t> &names, const Counts &c,
                    const char *version, const char *path) {
    uint32_t size = 1;
    while (size * 6 < names.size() * 10) {
        size *= 2;
    }
    std::vector<uint64_t> table(size, 0);
    std::ostringstream blob;
    uint32_t offset = 1;
    for (const auto &[name, flags] : names) {
        uint32_t hash = psl_hash(name.data(), name.size());
        uint32_t i = hash & (size - 1);
        while (table[i] != 0) {
            i = (i + 1) & (size - 1);
        }
        table[i] = psl_make_slot(hash, offset, static_cast<uint32_t>(name.size()), flags);
        blob << "    \"" << name << "\"\n";
        offset += static_cast<uint32_t>(name.size());
    }
    std::ofstream out(path);
    out << "// The built-in public-suffix snapshot. Generated by tools/gen/psl_gen.cc from\n"
        << "// Debian's publicsuffix " << version << "; do not edit, run `make psl-update`.\n"
        << "// " << names.size() << " names: " << c.normal[0] << " normal and " << c.wildcard[0]
        << " wildcard ICANN rules, " << c.normal[1] << " normal and " << c.wildcard[1]
        << " wildcard private rules, " << c.exception << " exception rules.\n"
        << "// NOLINTBEGIN\n// clang-format off\n"
        << "static const char kPslVersion[] = \"" << version << "\";\n"
        << "static const char kPslBlob[] =\n    \"\\0\"\n"
        << blob.str() << "    ;\n"
        << "static const uint32_t kPslTableSize = " << size << ";\n"
        << "static const uint64_t kPslTable[" << size << "] = {";
    for (uint32_t i = 0; i < size; ++i) {
        out << (i % 4 == 0 ? "\n    " : " ") << "0x" << std::hex << table[i] << std::dec << "u,";
    }
    out << "\n};\n// clang-format on\n// NOLINTEND\n";
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::cerr << "usage: psl_gen LIST.dat VERSION OUTPUT.inc\n";
        return 2;
    }
    Counts counts;
    std::map<std::string, uint32_t> names = read_list(argv[1], &counts);
    write_snapshot(names, counts, argv[2], argv[3]);
    return 0;
}
