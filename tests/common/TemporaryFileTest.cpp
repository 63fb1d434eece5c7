// Tests of Common::TemporaryFile: where its name lies, its extension, and removal on destruction.
#include "common/TemporaryFile.h"

#include "common/SharedPtr.h"
#include "common/Streams.h"
#include "common/os/Folders.h"
#include "common/os/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Common::TemporaryFile;

std::string name(TemporaryFile &t) { return t.getName().c_str(); }

// The file comes into being when a stream opens the name.
bool makeFile(const std::string &path) {
    Common::SharedPtr<Common::OutputStream> out(new Common::OutputStreamToFile(path.c_str(), false));
    return out->isOpen();
}

TEST(TemporaryFileTest, NameIsAnUnusedFileNameInTheTemporaryFolder) {
    std::string folder = Common::Os::temporaryFolder();
    ASSERT_FALSE(folder.empty());
    struct Case {
        const char *extension;
        const char *ending;
    } cases[] = {{"xml", ".xml"}, {"", ""}};
    for (const Case &c : cases) {
        TemporaryFile t(c.extension, false);
        std::string n = name(t);
        ASSERT_EQ(n.compare(0, folder.size() + 4, folder + "file"), 0) << n;
        std::string rest = n.substr(folder.size() + 4);
        EXPECT_EQ(rest.find('\\'), std::string::npos) << n;
        std::string ending = c.ending;
        EXPECT_EQ(rest.size() > ending.size() ? rest.substr(rest.size() - ending.size()) : "", ending) << n;
        EXPECT_EQ(rest.find('.'), *c.ending ? rest.size() - ending.size() : std::string::npos) << n;
        // Only a name: nothing is made.
        EXPECT_FALSE(Common::Os::nameInUse(n.c_str())) << n;
    }
    TemporaryFile a("xml", false), b("xml", false);
    EXPECT_NE(name(a), name(b));
}

TEST(TemporaryFileTest, DeleteOnDestroyRemovesTheFileAndOtherwiseKeepsIt) {
    for (bool remove : {true, false}) {
        std::string n;
        {
            TemporaryFile t("tmp", remove);
            n = name(t);
            ASSERT_TRUE(makeFile(n));
        }
        EXPECT_EQ(Common::Os::nameInUse(n.c_str()), !remove) << n;
        Common::Os::removeFile(n.c_str());
    }
}

} // namespace
