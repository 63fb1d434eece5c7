// Parses arbitrary bytes as a definition with the small XML parser and makes the lookups the system
// makes on the tree: the override's product_id, the filesystem_commands check and the walk over its
// steps; then reads every name, text and attribute of the tree.
#include "common/XmlParser.h"

#include <cstdint>
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

// Without recursion: the tree is as deep as the text nests.
void readAll(const ElementPtr &root) {
    std::vector<ElementPtr> pending(1, root);
    while (!pending.empty()) {
        const ElementPtr element = pending.back();
        pending.pop_back();
        touch(element->getName());
        touch(element->getText());
        for (Common::XmlElement::AttributeMap::const_iterator it = element->attributesBegin();
             it != element->attributesEnd(); ++it) {
            touch(it->first);
            touch(it->second);
        }
        for (Common::XmlElement::ChildList::const_iterator it = element->childrenBegin();
             it != element->childrenEnd(); ++it)
            pending.push_back(*it);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size) {
    ElementPtr root(new Common::XmlElement("root"));
    Common::XmlParser().parse(string(reinterpret_cast<const char *>(data), size), root);

    touch(root->getChild("product_id")->getText());
    if (root->hasChild("filesystem_commands"))
        runSteps(root->getChild("filesystem_commands"));
    readAll(root);
    return 0;
}
