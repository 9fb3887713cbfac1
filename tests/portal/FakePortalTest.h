#pragma once
// A test suite talking to the fake portal on one private bus of its own; its
// tests skip where dbus-daemon is missing.

#include "tests/portal/FakePortal.h"
#include "tests/portal/PrivateBus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace larkspur::test {

// Sets (or, with nullopt, removes) an environment variable for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

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
