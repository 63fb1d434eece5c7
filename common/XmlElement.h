// XML element: a name, a text, sorted attributes and shared children in document order.
#pragma once

#include "common/DefaultAllocator.h"
#include "common/List.h"
#include "common/Map.h"
#include "common/SharedPtr.h"
#include "common/String.h"

namespace Common {

class XmlParser;

// Always made on the heap and held through SharedPtr; a child lives while any pointer holds it.
class XmlElement {
  public:
    typedef map<string, string, DefaultAllocator> AttributeMap;
    typedef list<SharedPtr<XmlElement>> ChildList;

    explicit XmlElement(const string &name);
    ~XmlElement();

    string getName() const { return m_name; }
    string getText() const { return m_text; }
    void setName(const string &name) { m_name = name; }
    void setText(const string &text) { m_text = text; }

    // The empty string when the key is absent.
    string getAttribute(const string &key) const;
    bool hasAttribute(const string &key) const;
    void setAttribute(const string &key, const string &value);
    bool removeAttribute(const string &key);
    AttributeMap::const_iterator attributesBegin() const { return m_attributes.begin(); }
    AttributeMap::const_iterator attributesEnd() const { return m_attributes.end(); }

    void addChild(SharedPtr<XmlElement> child);
    // Removes every entry that holds the same object.
    void removeChild(SharedPtr<XmlElement> child);
    ChildList::const_iterator childrenBegin() const { return m_children.begin(); }
    ChildList::const_iterator childrenEnd() const { return m_children.end(); }

    // Never an empty pointer: a missing child reads as a new, detached element named "null", so
    // lookups chain without tests.
    SharedPtr<XmlElement> getChild(const string &name) const;
    // False for a child that is itself named "null".
    bool hasChild(const string &name) const;

  private:
    // The parser empties a root it is given in one pass.
    friend class XmlParser;

    string m_name;
    string m_text;
    AttributeMap m_attributes;
    ChildList m_children;
};

} // namespace Common
