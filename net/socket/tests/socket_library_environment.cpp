// Starts the socket library around a test program that opens sockets, as the program's
// entry does: Windows Sockets refuses every call before it; on POSIX it does nothing.
#include <gtest/gtest.h>

#include "net/socket/socket_layer.h"

namespace {

struct SocketLibrary : ::testing::Environment {
    void SetUp() override { startSocketLibrary(); }
    void TearDown() override { stopSocketLibrary(); }
};

[[maybe_unused]] ::testing::Environment* const socketLibrary = ::testing::AddGlobalTestEnvironment(new SocketLibrary);

}  // namespace
