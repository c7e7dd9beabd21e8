#pragma once
// The X server as a second client sees it, for the window tests: what is on the
// screen (only what a program has flushed gets there), windows found by title,
// and keys and clicks sent the way the server delivers a user's.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <string>
#include <thread>

class XClient {
 public:
  // The server resets when its last client leaves (the previous test's), and refuses
  // connections for that moment.
  XClient() {
    for (int attempt = 0; attempt < 40 && !display_; ++attempt) {
      display_ = XOpenDisplay(nullptr);
      if (!display_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~XClient() {
    if (display_) XCloseDisplay(display_);
  }
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool connected() const { return display_ != nullptr; }

  // Whether top-level window `id` exists and is mapped, as the server knows it now.
  bool viewable(Window id) {
    bool shown = false;
    forEachTopLevel([&](Window w) {
      XWindowAttributes attributes;
      if (w == id && XGetWindowAttributes(display_, w, &attributes))
        shown = attributes.map_state == IsViewable;
    });
    return shown;
  }

  // The viewable top-level window titled `title`, or 0.
  Window find(const std::string& title) {
    Window match = 0;
    forEachTopLevel([&](Window w) {
      char* name = nullptr;
      XWindowAttributes attributes;
      if (!match && XFetchName(display_, w, &name) && name && title == name &&
          XGetWindowAttributes(display_, w, &attributes) && attributes.map_state == IsViewable)
        match = w;
      if (name) XFree(name);
    });
    return match;
  }

  Window waitFor(const std::string& title, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      if (Window w = find(title)) return w;
      if (std::chrono::steady_clock::now() > end) return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void pressKey(Window w, KeySym key) {
    XEvent event = {};
    XKeyEvent& k = event.xkey;
    k.display = display_;
    k.window = w;
    k.root = DefaultRootWindow(display_);
    k.time = CurrentTime;
    k.x = k.y = k.x_root = k.y_root = 1;
    k.same_screen = True;
    k.keycode = XKeysymToKeycode(display_, key);
    k.type = KeyPress;
    XSendEvent(display_, w, True, KeyPressMask, &event);
    k.type = KeyRelease;
    XSendEvent(display_, w, True, KeyReleaseMask, &event);
    XFlush(display_);
  }

  // What a window manager's close button sends.
  void closeWindow(Window w) {
    XEvent event = {};
    XClientMessageEvent& m = event.xclient;
    m.type = ClientMessage;
    m.display = display_;
    m.window = w;
    m.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    m.format = 32;
    m.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    m.data.l[1] = CurrentTime;
    XSendEvent(display_, w, False, NoEventMask, &event);
    XFlush(display_);
  }

  // Button 1 pressed and released at (x, y) inside window `w`.
  void click(Window w, int x, int y) {
    XEvent event = {};
    XButtonEvent& b = event.xbutton;
    b.display = display_;
    b.window = w;
    b.root = DefaultRootWindow(display_);
    b.time = CurrentTime;
    b.x = b.x_root = x;
    b.y = b.y_root = y;
    b.same_screen = True;
    b.button = Button1;
    b.type = ButtonPress;
    XSendEvent(display_, w, True, ButtonPressMask, &event);
    b.type = ButtonRelease;
    b.state = Button1Mask;
    XSendEvent(display_, w, True, ButtonReleaseMask, &event);
    XFlush(display_);
  }

 private:
  // A window may go between the list and the question about it: its BadWindow
  // is no fault, and Xlib's default handler would end the process.
  static int ignoreError(Display*, XErrorEvent*) { return 0; }

  template <class F>
  void forEachTopLevel(F each) {
    const auto previous = XSetErrorHandler(ignoreError);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count; ++i) each(children[i]);
      if (children) XFree(children);
    }
    XSync(display_, False);
    XSetErrorHandler(previous);
  }

  Display* display_ = nullptr;
};
