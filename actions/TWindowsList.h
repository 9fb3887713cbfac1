#pragma once
// The visible top-level windows of the desktop, top of the stack first.

#include "actions/WindowSystem.h"

#include <string>
#include <vector>

namespace larkspur {

struct TWindowInfo {
    WindowId handle = 0;
};

struct WindowListItem {
    std::string title;
    TWindowInfo info;
};

class TWindowsList {
public:
    explicit TWindowsList(WindowSystem& windows);

    const std::vector<WindowListItem>& TheWindowsList() const { return m_items; }
    bool AcceptEmptyNames() const { return m_acceptEmptyNames; }
    void setAcceptEmptyNames(bool on) { m_acceptEmptyNames = on; }

    void Refresh();
    // Handle of item i (0-based), 0 outside the list.
    WindowId WindowHandle(size_t i) const;

private:
    WindowSystem& m_windows;
    std::vector<WindowListItem> m_items;
    bool m_acceptEmptyNames = true;
};

// Titles and class names are read up to this many bytes.
inline constexpr size_t kMaxWindowText = 255;

} // namespace larkspur
