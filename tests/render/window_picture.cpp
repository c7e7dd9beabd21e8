// window_picture: draws the export options window, as a user first sees it, into
// a PNG. Needs an X display (Xvfb will do).
//   window_picture OUT.png
#include <FL/Fl.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <memory>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "options/export_options.h"
#include "options/options_dialog.h"
#include "window/fltk_options_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_picture OUT.png\n");
    return 2;
  }
  bool written = false;
  ExportOptions options;
  FltkOptionsWindow window(
      [](const std::string& why) { std::fprintf(stderr, "window_picture: %s\n", why.c_str()); });
  window.setShownHook([&](FltkOptionsWindow& w) {
    Fl_Window* shown = w.window();
    for (int i = 0; i < 20; ++i) Fl::check();
    Fl_Image_Surface surface(shown->w(), shown->h());
    surface.set_current();
    surface.draw(shown);
    std::unique_ptr<Fl_RGB_Image> image(surface.image());
    Fl_Display_Device::display_device()->set_current();
    written = image && stbi_write_png(argv[1], image->w(), image->h(), image->d(), image->data()[0],
                                      image->w() * image->d()) != 0;
    shown->hide();
  });
  runOptionsDialog(options, window);
  if (!written) {
    std::fprintf(stderr, "window_picture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
