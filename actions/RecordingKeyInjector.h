#pragma once
// A key injector that keeps the events instead of sending them: the back end
// of dry runs and of the tests.

#include "actions/KeyboardPlatform.h"

#include <vector>

namespace larkspur {

class RecordingKeyInjector : public KeyInjector {
public:
    void injectKey(const SyntheticKeyEvent& event) override { m_events.push_back(event); }
    void flush() override { ++m_flushes; }

    const std::vector<SyntheticKeyEvent>& events() const { return m_events; }
    int flushes() const { return m_flushes; }
    void clear() { m_events.clear(); }

private:
    std::vector<SyntheticKeyEvent> m_events;
    int m_flushes = 0;
};

} // namespace larkspur
