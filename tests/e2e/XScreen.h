#pragma once
// A small Xlib client for driving a real program under Xvfb: find a top-level
// window by its title, take its picture and ask it to close, as a window
// manager would. Xlib stays inside the .cpp so its macros meet no other header.
#include <QImage>
#include <QString>

struct _XDisplay;

namespace quorvane::test {

class XScreen {
public:
    // Connects to $DISPLAY; connected() tells whether that worked.
    XScreen();
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool connected() const { return m_display != nullptr; }

    // A viewable window whose _NET_WM_NAME (or else WM_NAME) is exactly title; 0 when none.
    unsigned long findViewableWindow(const QString& title);
    // Polls findViewableWindow until it answers or timeoutMs passes.
    unsigned long waitForWindow(const QString& title, int timeoutMs);
    // The window's current contents; a null image when the server refuses.
    QImage grab(unsigned long window);
    // Sends WM_DELETE_WINDOW, the polite close request of the title bar's close button.
    void requestClose(unsigned long window);

private:
    ::_XDisplay* m_display = nullptr;
};

} // namespace quorvane::test
