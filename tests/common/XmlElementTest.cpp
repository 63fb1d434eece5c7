// Tests of Common::XmlElement: attributes, shared children and the "null" element for missing ones.
#include "common/XmlElement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Common::SharedPtr;
using Common::string;
using Common::XmlElement;

typedef SharedPtr<XmlElement> ElementPtr;

ElementPtr element(const char *name) { return ElementPtr(new XmlElement(name)); }

std::string text(const string &s) { return std::string(s.c_str(), s.length()); }

std::vector<std::string> attributeList(const XmlElement &e) {
    std::vector<std::string> out;
    for (XmlElement::AttributeMap::const_iterator it = e.attributesBegin(); it != e.attributesEnd(); ++it)
        out.push_back(text(it->first) + "=" + text(it->second));
    return out;
}

std::vector<const XmlElement *> childList(const XmlElement &e) {
    std::vector<const XmlElement *> out;
    for (XmlElement::ChildList::const_iterator it = e.childrenBegin(); it != e.childrenEnd(); ++it)
        out.push_back(it->get());
    return out;
}

TEST(XmlElementTest, NewElementHasOnlyItsName) {
    const ElementPtr e = element("cd_definition");
    EXPECT_EQ(text(e->getName()), "cd_definition");
    EXPECT_TRUE(e->getText().empty());
    EXPECT_TRUE(attributeList(*e).empty());
    EXPECT_TRUE(childList(*e).empty());
    e->setName("other");
    e->setText(" a\n");
    EXPECT_EQ(text(e->getName()), "other");
    EXPECT_EQ(text(e->getText()), " a\n");
}

TEST(XmlElementTest, AttributesAreSortedReplacedAndComparedExactly) {
    const ElementPtr e = element("a");
    e->setAttribute("zeta", "1");
    e->setAttribute("Alpha", "2");
    e->setAttribute("beta", "3");
    e->setAttribute("zeta", "4");
    EXPECT_EQ(attributeList(*e), (std::vector<std::string>{"Alpha=2", "beta=3", "zeta=4"}));

    EXPECT_TRUE(e->hasAttribute("beta"));
    EXPECT_FALSE(e->hasAttribute("Beta"));
    EXPECT_FALSE(e->hasAttribute("bet"));
    EXPECT_EQ(text(e->getAttribute("zeta")), "4");
    EXPECT_EQ(text(e->getAttribute("missing")), "");

    EXPECT_TRUE(e->removeAttribute("beta"));
    EXPECT_FALSE(e->removeAttribute("beta"));
    EXPECT_EQ(attributeList(*e), (std::vector<std::string>{"Alpha=2", "zeta=4"}));
}

TEST(XmlElementTest, GetChildFindsTheFirstExactMatchInOrder) {
    const ElementPtr parent = element("p");
    const ElementPtr first = element("item");
    const ElementPtr second = element("item");
    parent->addChild(element("Item"));
    parent->addChild(first);
    parent->addChild(second);
    EXPECT_EQ(parent->getChild("item").get(), first.get());
    EXPECT_TRUE(parent->hasChild("Item"));
    EXPECT_FALSE(parent->hasChild("ite"));
    EXPECT_FALSE(parent->hasChild("items"));
}

TEST(XmlElementTest, MissingChildIsANewDetachedNullElement) {
    const ElementPtr parent = element("p");
    parent->addChild(element("c"));

    const ElementPtr missing = parent->getChild("absent");
    ASSERT_NE(missing.get(), nullptr);
    EXPECT_EQ(text(missing->getName()), "null");
    EXPECT_TRUE(missing->getText().empty());
    EXPECT_FALSE(parent->hasChild("absent"));

    // Chained lookups need no tests in between.
    EXPECT_EQ(text(parent->getChild("absent")->getChild("deeper")->getAttribute("x")), "");

    const ElementPtr again = parent->getChild("absent");
    EXPECT_NE(again.get(), missing.get());

    missing->setText("changed");
    missing->addChild(element("absent"));
    EXPECT_FALSE(parent->hasChild("absent"));
    EXPECT_EQ(childList(*parent).size(), 1u);
}

TEST(XmlElementTest, ChildNamedNullIsFoundButReportedAbsent) {
    const ElementPtr parent = element("p");
    const ElementPtr named = element("null");
    parent->addChild(named);
    EXPECT_EQ(parent->getChild("null").get(), named.get());
    EXPECT_FALSE(parent->hasChild("null"));
}

TEST(XmlElementTest, RemoveChildDropsEveryEntryOfThatObjectOnly) {
    const ElementPtr parent = element("p");
    const ElementPtr a = element("same");
    const ElementPtr b = element("same");
    parent->addChild(a);
    parent->addChild(b);
    parent->addChild(a);
    parent->removeChild(a);
    EXPECT_EQ(childList(*parent), (std::vector<const XmlElement *>{b.get()}));
    // Not a child: nothing changes.
    parent->removeChild(element("same"));
    EXPECT_EQ(childList(*parent), (std::vector<const XmlElement *>{b.get()}));
}

TEST(XmlElementTest, HeldChildOutlivesItsTree) {
    ElementPtr kept;
    {
        const ElementPtr root = element("root");
        const ElementPtr child = element("child");
        child->addChild(element("grandchild"));
        root->addChild(child);
        root->addChild(element("other"));
        kept = root->getChild("child");
    }
    // Under the sanitizers a freed child or grandchild would show here.
    EXPECT_EQ(text(kept->getName()), "child");
    EXPECT_TRUE(kept->hasChild("grandchild"));
}

TEST(XmlElementTest, DeepChainIsReleasedWithoutDeepRecursion) {
    // Far deeper than the stack allows one frame set per level, and a middle link stays held.
    const int depth = 300000;
    const int keptAt = depth / 2;
    ElementPtr kept;
    {
        const ElementPtr root = element("0");
        ElementPtr tip = root;
        for (int i = 1; i <= depth; ++i) {
            const ElementPtr next = element(std::to_string(i).c_str());
            tip->addChild(next);
            tip = next;
            if (i == keptAt)
                kept = next;
        }
    }
    int below = 0;
    for (ElementPtr e = kept; e->childrenBegin() != e->childrenEnd(); e = *e->childrenBegin())
        ++below;
    EXPECT_EQ(text(kept->getName()), std::to_string(keptAt));
    EXPECT_EQ(below, depth - keptAt);
}

} // namespace
