// The start-up calls: sockets through the system-call table, the rich-edit library.
#include "framework/Startup.h"

#include "platform/SystemCalls.h"

#include <gtest/gtest.h>

namespace {

int refuseSockets(WORD, void *) { return 10091; /* WSASYSNOTREADY */ }

TEST(StartupTest, SocketsReportWhetherTheLayerStarted) {
    EXPECT_TRUE(AfxSocketInit());
    ScopedSystemCall<decltype(sys.WSAStartup)> refused(sys.WSAStartup, refuseSockets);
    EXPECT_FALSE(AfxSocketInit());
}

TEST(StartupTest, RichEdit2RegistersItsWindowClass) {
    ASSERT_TRUE(AfxInitRichEdit2());
    WNDCLASSA info;
    EXPECT_TRUE(::GetClassInfoA(nullptr, "RichEdit20A", &info));
    EXPECT_TRUE(AfxInitRichEdit2()) << "a second call is harmless";
}

} // namespace
