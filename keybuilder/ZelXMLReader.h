// CZelXMLReader: a whole XML file parsed by expat into a tree of CZelXMLNode, and its lookup.
#pragma once

#include <expat.h>

#include <cstdint>
#include <string>

// One element, text or CDATA section. A node owns its first child and its next sibling, so
// destroying a node destroys its subtree and the rest of its sibling chain.
class CZelXMLNode {
  public:
    enum Type { building = -1, element = 0, text = 1 };

    CZelXMLNode(const char *name, const char **attributes, int type);
    virtual ~CZelXMLNode();
    CZelXMLNode(const CZelXMLNode &) = delete;
    CZelXMLNode &operator=(const CZelXMLNode &) = delete;

    void Init();
    // Takes copies of expat's NULL-terminated name/value array; NULL or empty changes nothing.
    void SetAttributes(const char **atts);
    const char *GetName() const { return name; }
    // False, changing nothing, when this node already has a first child.
    bool SetFirstChild(CZelXMLNode *child);
    // Makes `node` the next sibling; with `force` the old next sibling goes behind it, without it an
    // existing next sibling makes this false.
    bool InsertSibling(CZelXMLNode *node, bool force);
    std::uint32_t GetAttributeCount() const;
    void SetValue(const char *data, std::uint32_t length);
    const char *GetValue() const { return value; }
    // The first attribute of that name (case-sensitive), NULL when there is none.
    const char *GetAttribute(const char *attrName) const;

    std::int32_t type;
    char *name;
    // NULL, or name 1, value 1, ..., name n, value n, NULL.
    char **attributes;
    char *value;
    CZelXMLNode *nextSibling;
    CZelXMLNode *firstChild;
    CZelXMLNode *parent;

  private:
    void freeAttributes();
};

class CZelXMLReader {
  public:
    // LoadFile results.
    enum : std::uint32_t {
        loadOk = 0,
        loadNoRoot = 1,
        loadAlreadyLoaded = 2, // never returned: LoadFile always starts afresh
        loadCannotOpen = 3,
        loadCannotRead = 4,
        loadParseFailed = 5,
    };

    CZelXMLReader();
    virtual ~CZelXMLReader();
    CZelXMLReader(const CZelXMLReader &) = delete;
    CZelXMLReader &operator=(const CZelXMLReader &) = delete;

    // Drops any tree, makes a fresh document root and puts the C runtime into the user's default
    // locale, which the Shift-JIS conversion uses.
    void Reset();
    void Clear();
    std::uint32_t LoadFile(const char *path);
    // One expat pass over the whole buffer as the final chunk.
    bool ParseBuffer(const char *buffer, std::uint32_t length);

    // The first child of `parent` (NULL: the document root) named `name`, in chain order. With an
    // attribute name and value, the first whose attribute equals the value ignoring case; a
    // same-named child without the attribute ends the search with NULL. NULL while not loaded.
    CZelXMLNode *FindChild(CZelXMLNode *parent, const char *name, const char *attrName = nullptr,
                           const char *attrValue = nullptr);

    CZelXMLNode *root;
    char *encoding;
    std::uint8_t loaded;

    struct ParseState {
        CZelXMLNode *current;
        std::uint8_t inElement;
        std::uint8_t inCdata;
        CZelXMLNode *textNode;
        std::uint8_t freshText;
        // A text node that found its element's first place taken belongs to no tree; the parse
        // frees it.
        CZelXMLNode *unattachedText;
        // The text or CDATA node whose value later chunks extend, and its value so far: gathered
        // here and stored in the node when another node is extended, before a text node is freed
        // and at the end of the parse, so a text the parser delivers in many chunks costs its
        // length, not its length times the chunks.
        CZelXMLNode *growing;
        std::string grown;
    };

    static void XMLCALL OnStartElement(void *state, const XML_Char *name, const XML_Char **atts);
    static void XMLCALL OnEndElement(void *state, const XML_Char *name);
    static void XMLCALL OnCharacterData(void *state, const XML_Char *s, int len);
    static void XMLCALL OnStartCdata(void *state);
    static void XMLCALL OnEndCdata(void *state);
    static int XMLCALL ShiftJisEncodingHandler(void *handlerData, const XML_Char *name, XML_Encoding *info);
    // A two-byte Shift-JIS sequence converted in the C runtime's current locale; U+FFFD where that
    // locale cannot convert it.
    static int XMLCALL ConvertShiftJisChar(void *data, const char *s);
};
