// Small lenient XML parser that fills a Common::XmlElement tree from a text.
#pragma once

#include "common/Pair.h"
#include "common/SharedPtr.h"
#include "common/String.h"
#include "common/Types.h"
#include "common/XmlElement.h"

namespace Common {

// Takes a narrow subset of XML byte for byte: no entities, namespaces, encodings or validation. It
// never reports an error; every text yields some tree and every text ends the parse.
class XmlParser {
  public:
    typedef SharedPtr<XmlElement> ElementPtr;

    // Attribute names kept per tag. The map and the element take each attribute at a cost that
    // grows with those already held, so a tag of many thousands took seconds; definitions carry
    // two or three. Attributes beyond the limit are read and dropped.
    static constexpr u64 maxAttributesPerTag = 64;

    // Empties the root, then gives it the document element's name, text, attributes and children.
    void parse(const string &text, ElementPtr root);

    void parseElements(ElementPtr root, const string &text);

    // The empty string when no tag starts at pos; a closing tag's name starts with "/".
    string readTagName(const string &text, u64 &pos);
    // Consumes the ">" or "/" that ends the attributes. Past maxAttributesPerTag names, further
    // names are read but not kept; a later value for a name already kept still replaces it.
    XmlElement::AttributeMap readAttributes(const string &text, u64 &pos);
    pair<string, string> readAttribute(const string &text, u64 &pos);
    // Up to the next "<" or the end, as written; pos is left on the "<".
    string readText(const string &text, u64 &pos);

  private:
    friend struct XmlParserProbe;

    // The prolog cut, comment removal and CDATA marker deletion, in that order.
    static string preprocess(const string &text);
};

} // namespace Common
