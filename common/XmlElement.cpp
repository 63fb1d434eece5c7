// XML element: a name, a text, sorted attributes and shared children in document order.
#include "common/XmlElement.h"

namespace Common {

namespace {

const char *const kMissingName = "null";

// Children of the elements being destroyed on this thread. Releasing them one level at a time from
// the outermost destructor keeps the stack flat: a text of nested start tags builds a tree as deep as
// the text is long, and releasing it recursively would overflow the stack.
thread_local XmlElement::ChildList *t_releasing = nullptr;

} // namespace

XmlElement::XmlElement(const string &name) : m_name(name) {}

XmlElement::~XmlElement() {
    m_name.clear();
    m_text.clear();
    m_attributes.clear();

    ChildList pending;
    const bool outermost = t_releasing == nullptr;
    if (outermost)
        t_releasing = &pending;
    for (ChildList::const_iterator it = m_children.begin(); it != m_children.end(); ++it)
        t_releasing->push_back(*it);
    m_children.clear();
    if (!outermost)
        return;
    // A child whose count drops to 0 here hands its own children to the same list.
    while (pending.begin() != pending.end())
        pending.pop_front();
    t_releasing = nullptr;
}

string XmlElement::getAttribute(const string &key) const {
    AttributeMap::const_iterator it = m_attributes.find(key);
    if (it == m_attributes.end())
        return string();
    return it->second;
}

bool XmlElement::hasAttribute(const string &key) const {
    return m_attributes.find(key) != m_attributes.end();
}

void XmlElement::setAttribute(const string &key, const string &value) {
    m_attributes.insert(AttributeMap::value_type(key, value));
}

bool XmlElement::removeAttribute(const string &key) { return m_attributes.erase(key); }

void XmlElement::addChild(SharedPtr<XmlElement> child) { m_children.push_back(child); }

void XmlElement::removeChild(SharedPtr<XmlElement> child) {
    // The list cannot unlink an inner node, so the survivors are kept in a fresh list.
    ChildList kept;
    for (ChildList::const_iterator it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->get() != child.get())
            kept.push_back(*it);
    }
    m_children = kept;
}

SharedPtr<XmlElement> XmlElement::getChild(const string &name) const {
    for (ChildList::const_iterator it = m_children.begin(); it != m_children.end(); ++it) {
        if ((*it)->m_name == name)
            return *it;
    }
    return SharedPtr<XmlElement>(new XmlElement(kMissingName));
}

bool XmlElement::hasChild(const string &name) const { return getChild(name)->m_name != kMissingName; }

} // namespace Common
