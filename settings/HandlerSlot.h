#pragma once
// An event property: the handler assigned to it and the name it is stored under
// ("MainFrm.AutoClickClick"), so the assignment survives a restart.

#include <QString>

#include <functional>
#include <utility>

namespace larkspur {

class HandlerSlot {
public:
    void assign(QString reference, std::function<void()> handler)
    {
        m_reference = std::move(reference);
        m_handler = std::move(handler);
    }
    void clear() { assign(QString(), {}); }

    // Owner path, ".", handler name; empty when nothing is assigned.
    const QString& reference() const { return m_reference; }
    bool assigned() const { return static_cast<bool>(m_handler); }

    void operator()() const
    {
        if (m_handler)
            m_handler();
    }

private:
    QString m_reference;
    std::function<void()> m_handler;
};

} // namespace larkspur
