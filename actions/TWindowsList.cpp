#include "actions/TWindowsList.h"

namespace larkspur {

TWindowsList::TWindowsList(WindowSystem& windows) : m_windows(windows) {}

void TWindowsList::Refresh()
{
    m_items.clear();
    for (WindowId w : m_windows.topLevelWindows()) {
        std::string title = m_windows.windowTitle(w);
        if (title.size() > kMaxWindowText)
            title.resize(kMaxWindowText);
        if ((!title.empty() || m_acceptEmptyNames) && m_windows.isWindowVisible(w))
            m_items.push_back({std::move(title), {w}});
    }
}

WindowId TWindowsList::WindowHandle(size_t i) const
{
    return i < m_items.size() ? m_items[i].info.handle : 0;
}

} // namespace larkspur
