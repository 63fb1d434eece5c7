// Parses arbitrary bytes as a definition with the small XML parser and makes the lookups the system
// makes on the tree: the override's product_id, the filesystem_commands check and the walk over its
// steps; then reads every name, text and attribute of the tree, and parses the text again into the
// same root.
#include "common/XmlParser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Common::string;
typedef Common::SharedPtr<Common::XmlElement> ElementPtr;

volatile unsigned char sink;

// Reads every byte up to the NUL, so a string whose length or buffer is wrong shows.
void touch(const string &s) {
    unsigned char sum = 0;
    for (Common::u64 i = 0; i <= s.length(); ++i)
        sum = static_cast<unsigned char>(sum + s[i]);
    sink = sum;
}

// The step table of the transfer, with the paths it would hand to the copier.
void runSteps(const ElementPtr &commands) {
    const string base = "E:/";
    for (Common::XmlElement::ChildList::const_iterator it = commands->childrenBegin();
         it != commands->childrenEnd(); ++it) {
        const ElementPtr &step = *it;
        const string kind = step->getName();
        if (kind == "copy" || kind == "move") {
            if (step->hasAttribute("source") && step->hasAttribute("destination")) {
                touch(base + step->getAttribute("source"));
                touch(base + step->getAttribute("destination"));
            }
        } else if (kind == "delete") {
            if (step->hasAttribute("target"))
                touch(base + step->getAttribute("target"));
        } else if (kind == "execute") {
            sink = step->getAttribute("type") == "linux" || step->getAttribute("type") == "windows";
        }
    }
}

void append(std::string &out, const string &s) {
    out += std::to_string(s.length()) + ":";
    out.append(s.c_str(), s.length());
}

// Every name, text and attribute of the tree, each with its length, and the number of children;
// without recursion, since the tree is as deep as the text nests.
std::string dump(const ElementPtr &root) {
    std::string out;
    std::vector<ElementPtr> pending(1, root);
    while (!pending.empty()) {
        const ElementPtr element = pending.back();
        pending.pop_back();
        append(out, element->getName());
        append(out, element->getText());
        for (Common::XmlElement::AttributeMap::const_iterator it = element->attributesBegin();
             it != element->attributesEnd(); ++it) {
            append(out, it->first);
            append(out, it->second);
        }
        size_t children = 0;
        for (Common::XmlElement::ChildList::const_iterator it = element->childrenBegin();
             it != element->childrenEnd(); ++it, ++children)
            pending.push_back(*it);
        out += "/" + std::to_string(children) + ";";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size) {
    const string text(reinterpret_cast<const char *>(data), size);
    ElementPtr root(new Common::XmlElement("root"));
    Common::XmlParser().parse(text, root);

    touch(root->getChild("product_id")->getText());
    if (root->hasChild("filesystem_commands"))
        runSteps(root->getChild("filesystem_commands"));

    // Parsing replaces what a root holds: the same text into the used root gives the same tree.
    const std::string first = dump(root);
    Common::XmlParser().parse(text, root);
    if (dump(root) != first)
        std::abort();
    return 0;
}
