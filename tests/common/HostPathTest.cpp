// Tests of the mapping from the library's Windows-syntax paths to the host's.
#include "common/os/HostPath.h"

#include <gtest/gtest.h>

namespace {

using Common::Os::hostPath;

TEST(HostPathTest, WindowsSyntaxReachesTheHost) {
#ifdef _WIN32
    EXPECT_EQ(hostPath("C:\\a/b"), "C:\\a/b");
#else
    struct Case {
        const char *path;
        const char *host;
    } cases[] = {
        {"C:\\a\\b", "/r/C/a/b"}, {"c:/a", "/r/C/a"},  {"d:x", "/r/D/x"}, {"E:", "/r/E"},
        {"\\tmp\\x", "/tmp/x"},   {"a\\b/c", "a/b/c"}, {"", ""},          {"1:\\a", "1:/a"},
    };
    Common::Os::setDriveRoot("/r");
    for (const Case &c : cases)
        EXPECT_EQ(hostPath(c.path), c.host) << c.path;
    Common::Os::setDriveRoot(".");
    EXPECT_EQ(hostPath("C:\\a"), "./C/a");
#endif
}

} // namespace
