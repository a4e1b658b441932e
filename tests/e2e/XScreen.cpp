#include "tests/e2e/XScreen.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>

namespace quorvane::test {

namespace {

// Windows can vanish between listing and asking; such errors are answers, not faults.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

QString WindowTitle(Display* display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success
        && data && type == utf8 && format == 8) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    }
    if (data)
        XFree(data);
    if (!title.isEmpty())
        return title;

    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = QString::fromLocal8Bit(name);
        XFree(name);
    }
    return title;
}

Window FindIn(Display* display, Window parent, const QString& title, int depth)
{
    Window root = 0, parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attrs;
        if (WindowTitle(display, children[i]) == title
            && XGetWindowAttributes(display, children[i], &attrs) && attrs.map_state == IsViewable)
            found = children[i];
        else if (depth > 0)
            found = FindIn(display, children[i], title, depth - 1);
    }
    if (children)
        XFree(children);
    return found;
}

// Position of the lowest set bit and the width of a channel mask, for any visual.
int Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

} // namespace

XScreen::XScreen()
{
    XSetErrorHandler(IgnoreXErrors);
    m_display = XOpenDisplay(nullptr);
}

XScreen::~XScreen()
{
    if (m_display)
        XCloseDisplay(m_display);
}

unsigned long XScreen::findViewableWindow(const QString& title)
{
    if (!m_display)
        return 0;
    // Without a window manager top-level windows are the root's children; a
    // little depth also finds them under a reparenting one.
    return FindIn(m_display, DefaultRootWindow(m_display), title, 2);
}

unsigned long XScreen::waitForWindow(const QString& title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (const unsigned long window = findViewableWindow(title))
            return window;
        QThread::msleep(100);
    }
    return 0;
}

QImage XScreen::grab(unsigned long window)
{
    if (!m_display)
        return {};
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(m_display, window, &attrs) || attrs.width <= 0 || attrs.height <= 0)
        return {};
    XImage* image = XGetImage(m_display, window, 0, 0, unsigned(attrs.width), unsigned(attrs.height),
                              AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage out(attrs.width, attrs.height, QImage::Format_RGB32);
    for (int y = 0; y < attrs.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < attrs.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            line[x] = qRgb(Channel(p, image->red_mask), Channel(p, image->green_mask),
                           Channel(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return out;
}

void XScreen::requestClose(unsigned long window)
{
    if (!m_display)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
}

} // namespace quorvane::test
