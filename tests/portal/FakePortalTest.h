#pragma once
// A test suite talking to the fake portal on one private bus of its own; its
// tests skip where dbus-daemon is missing.

#include "tests/portal/FakePortal.h"
#include "tests/portal/PrivateBus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace larkspur::test {

class FakePortalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bus = new PrivateBus; }
    static void TearDownTestSuite()
    {
        delete s_bus;
        s_bus = nullptr;
    }
    void SetUp() final
    {
        if (busAddress().empty())
            GTEST_SKIP() << "dbus-daemon is not installed or did not start";
        setUpWithBus();
    }
    // A suite's own set-up, once the bus is there.
    virtual void setUpWithBus() {}

    static const std::string& busAddress() { return s_bus->address(); }
    // A fresh fake portal on the bus, in place of the last one (one owns the
    // portal's name at a time).
    FakePortal& startPortal(FakePortalConfig config = {})
    {
        portal.reset();
        portal = std::make_unique<FakePortal>(busAddress(), config);
        EXPECT_TRUE(portal->ready());
        return *portal;
    }

    std::unique_ptr<FakePortal> portal;

private:
    static inline PrivateBus* s_bus = nullptr;
};

} // namespace larkspur::test
