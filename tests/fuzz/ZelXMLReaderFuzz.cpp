// Parses arbitrary bytes with the expat node reader, as a loaded definition file, and makes the reads
// of the media definition: every element and attribute it takes, the lang searches in the system's
// languages, and the conversions of the texts; then reads every node of the tree, also after a
// failed parse.
#include "keybuilder/ZelXMLReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile std::size_t sink;

void touch(const char *s) {
    if (s)
        sink = sink + std::strlen(s);
}

// The text of an element: the value of its first child when that is a text or CDATA node.
const char *textOf(const CZelXMLNode *node) {
    if (!node || !node->firstChild || node->firstChild->type != CZelXMLNode::text)
        return nullptr;
    return node->firstChild->value;
}

// A path made of the text the way the definition makes the readme and script paths.
void formatPath(const char *text) {
    if (!text)
        return;
    std::vector<char> path(std::strlen(text) + 4);
    sink = sink + std::snprintf(path.data(), path.size(), "%c:\\%s", 'E', text);
}

CZelXMLNode *byLanguage(CZelXMLReader &reader, CZelXMLNode *parent, const char *name, const char *code) {
    CZelXMLNode *node = reader.FindChild(parent, name, "lang", code);
    return node ? node : reader.FindChild(parent, name, "lang", "en");
}

void readDefinition(CZelXMLReader &reader, const char *code) {
    CZelXMLNode *cd = reader.FindChild(nullptr, "cd_definition");
    if (!cd)
        return;
    if (CZelXMLNode *names = reader.FindChild(cd, "name"))
        touch(textOf(byLanguage(reader, names, "name_xlate", code)));
    CZelXMLNode *scripts = reader.FindChild(cd, "scripts");
    CZelXMLNode *windows = scripts ? reader.FindChild(scripts, "windows") : nullptr;
    formatPath(textOf(windows ? reader.FindChild(windows, "creation") : nullptr));

    CZelXMLNode *readme = byLanguage(reader, cd, "readme_file", code);
    formatPath(textOf(readme ? readme : reader.FindChild(cd, "readme_file")));

    if (CZelXMLNode *size = reader.FindChild(cd, "min_key_size")) {
        if (const char *mb = size->GetAttribute("size_MB"))
            sink = sink + static_cast<std::size_t>(std::strtoll(mb, nullptr, 10));
        touch(size->GetAttribute("display_size"));
    }
    if (const char *multiboot = textOf(reader.FindChild(cd, "multiboot_support")))
        sink = sink + (std::strncmp(multiboot, "yes", 3) == 0);

    const char *const plain[] = {"version",       "architecture",        "log_file",
                                 "product_id",    "multiboot_directory", "multiboot_config_filename",
                                 "timeout_value", "volume_label",        "filesystem_commands"};
    for (const char *name : plain)
        touch(textOf(reader.FindChild(cd, name)));
}

// Every node the parse built, reached the way the users reach them, without recursion.
void readAll(const CZelXMLNode *root) {
    std::vector<const CZelXMLNode *> pending(1, root);
    while (!pending.empty()) {
        const CZelXMLNode *node = pending.back();
        pending.pop_back();
        touch(node->GetName());
        touch(node->GetValue());
        const std::uint32_t count = node->GetAttributeCount();
        for (std::uint32_t i = 0; i < 2 * count; ++i)
            touch(node->attributes[i]);
        if (count)
            touch(node->GetAttribute(node->attributes[0]));
        for (const CZelXMLNode *child = node->firstChild; child; child = child->nextSibling)
            pending.push_back(child);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size) {
    CZelXMLReader reader;
    // As a load of a file with these contents.
    reader.loaded =
        reader.ParseBuffer(reinterpret_cast<const char *>(data), static_cast<std::uint32_t>(size));
    for (const char *code : {"ja", "fr", "en"})
        readDefinition(reader, code);
    if (reader.root)
        readAll(reader.root);
    return 0;
}
