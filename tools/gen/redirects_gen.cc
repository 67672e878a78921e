// Builds the redirect resources base from assets/redirects/: reads the
// manifest (its header describes the format) and the files it names, and
// writes a C++ source defining REDIRECT_RESOURCES_BASE, the JSON array that
// core/filtering/urlfilter/redirect_resources.h describes.
//
//   redirects_gen MANIFEST OUTPUT.cc
//
// Files are named relative to the manifest's directory. A malformed entry
// stops the build with a message naming the manifest line.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/commons/encoding.h"

namespace {

constexpr size_t kNamesMax = 8;  // REDIRECT_RESOURCE_NAMES_MAX

struct Resource {
    std::vector<std::string> names;  // title first
    bool blocking;
    std::string type;
    std::string file;
};

struct Failure {
    std::string message;
};

// Names and types go into the JSON text as they are: keeping them to
// printable ASCII without quotes and backslashes means they need no escaping
// there, and the loader can keep views of the text.
bool plain_token(const std::string &token) {
    for (char c : token) {
        if (c <= ' ' || c > '~' || c == '"' || c == '\\') {
            return false;
        }
    }
    return !token.empty();
}

Resource parse_entry(const std::vector<std::string> &fields, size_t index) {
    if (fields.size() < 5) {
        throw Failure{"expected: index title blocking type file [alias ...]"};
    }
    if (fields[0] != std::to_string(index)) {
        throw Failure{"index " + fields[0] + " where " + std::to_string(index) + " is due"};
    }
    if (fields[2] != "true" && fields[2] != "false") {
        throw Failure{"blocking must be true or false, not " + fields[2]};
    }
    Resource out{{fields[1]}, fields[2] == "true", fields[3], fields[4]};
    out.names.insert(out.names.end(), fields.begin() + 5, fields.end());
    if (out.names.size() > kNamesMax) {
        throw Failure{"more than " + std::to_string(kNamesMax) + " names"};
    }
    for (const std::string &token : out.names) {
        if (!plain_token(token)) {
            throw Failure{"name needs escaping: " + token};
        }
    }
    if (!plain_token(out.type)) {
        throw Failure{"type needs escaping: " + out.type};
    }
    return out;
}

std::vector<std::string> split_fields(const std::string &line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::vector<Resource> read_manifest(const std::filesystem::path &path) {
    std::ifstream in(path);
    if (!in) {
        throw Failure{"cannot read " + path.string()};
    }
    std::vector<Resource> out;
    std::set<std::string> taken;  // names of earlier resources
    std::string line;
    for (size_t number = 1; std::getline(in, line); number++) {
        std::vector<std::string> fields = split_fields(line);
        if (fields.empty() || fields[0][0] == '#') {
            continue;
        }
        try {
            Resource resource = parse_entry(fields, out.size());
            for (const std::string &name : resource.names) {
                if (taken.count(name) != 0) {
                    throw Failure{"name " + name + " belongs to an earlier resource"};
                }
            }
            taken.insert(resource.names.begin(), resource.names.end());
            out.push_back(std::move(resource));
        } catch (const Failure &failure) {
            throw Failure{path.string() + ":" + std::to_string(number) + ": " + failure.message};
        }
    }
    return out;
}

std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw Failure{"cannot read " + path.string()};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One resource per line, so that a reader error names the resource's line.
std::string base_text(const std::vector<Resource> &resources, const std::filesystem::path &dir) {
    std::string json = "[\n";
    for (size_t i = 0; i < resources.size(); i++) {
        const Resource &r = resources[i];
        std::string content = read_file(dir / r.file);
        json += "{\"title\":\"" + r.names[0] + "\"";
        if (r.names.size() > 1) {
            json += ",\"aliases\":[";
            for (size_t k = 1; k < r.names.size(); k++) {
                json += (k > 1 ? ",\"" : "\"") + r.names[k] + "\"";
            }
            json += "]";
        }
        json += std::string(",\"isBlocking\":") + (r.blocking ? "true" : "false");
        json += ",\"contentType\":\"" + r.type + ";base64\"";
        json += ",\"content\":\"" + base64_encode(content.data(), content.size()) + "\"}";
        json += i + 1 < resources.size() ? ",\n" : "\n";
    }
    return json + "]\n";
}

// The JSON text holds no backslash and, outside its line ends, nothing a C++
// string literal must escape but the quotes.
std::string cxx_source(const std::string &json) {
    std::string out =
        "// Generated by tools/gen/redirects_gen.cc from assets/redirects/. Do not edit.\n"
        "#include \"core/filtering/urlfilter/redirect_resources.h\"\n\n"
        "const char REDIRECT_RESOURCES_BASE[] =\n";
    std::istringstream lines(json);
    std::string line;
    while (std::getline(lines, line)) {
        out += "    \"";
        for (char c : line) {
            out += c == '"' ? std::string("\\\"") : std::string(1, c);
        }
        out += "\\n\"\n";
    }
    out += "    ;\n";
    out += "const size_t REDIRECT_RESOURCES_BASE_LENGTH = sizeof(REDIRECT_RESOURCES_BASE) - 1;\n";
    return out;
}

void write_file(const std::filesystem::path &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::filesystem::remove(path);
        throw Failure{"cannot write " + path.string()};
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: redirects_gen MANIFEST OUTPUT.cc\n";
        return 2;
    }
    try {
        std::filesystem::path manifest(argv[1]);
        std::vector<Resource> resources = read_manifest(manifest);
        write_file(argv[2], cxx_source(base_text(resources, manifest.parent_path())));
    } catch (const Failure &failure) {
        std::cerr << "redirects_gen: " << failure.message << "\n";
        return 1;
    }
    return 0;
}
