// render_scene: draws a model file as OpenSceneGraph reads it into a PNG, from a
// fixed direction that frames its bounding sphere, so that a source scene and its
// export can be drawn with the same camera and compared. Needs an X display
// (Xvfb will do).
//   render_scene MODEL OUT.png [WIDTH HEIGHT] [--frame OTHER_MODEL]
// --frame takes the camera from the box that bounds OTHER_MODEL's drawables, which
// depends on the geometry alone, not on how each file groups it.
#include <osg/Camera>
#include <osg/ComputeBoundsVisitor>
#include <osg/Image>
#include <osg/LightSource>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>
#include <osgViewer/Viewer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> args;
  std::string frameFrom;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--frame" && i + 1 < argc)
      frameFrom = argv[++i];
    else
      args.push_back(argv[i]);
  }
  if (args.size() != 2 && args.size() != 4) {
    std::fprintf(stderr,
                 "usage: render_scene MODEL OUT.png [WIDTH HEIGHT] [--frame OTHER_MODEL]\n");
    return 2;
  }
  const int width = args.size() == 4 ? std::atoi(args[2].c_str()) : 640;
  const int height = args.size() == 4 ? std::atoi(args[3].c_str()) : 480;
  osg::ref_ptr<osg::Node> model = osgDB::readRefNodeFile(args[0]);
  if (!model) {
    std::fprintf(stderr, "render_scene: cannot read %s\n", args[0].c_str());
    return 1;
  }
  osg::BoundingSphere bound = model->getBound();
  if (!frameFrom.empty()) {
    osg::ref_ptr<osg::Node> other = osgDB::readRefNodeFile(frameFrom);
    if (!other) {
      std::fprintf(stderr, "render_scene: cannot read %s\n", frameFrom.c_str());
      return 1;
    }
    osg::ComputeBoundsVisitor box;
    other->accept(box);
    const osg::BoundingBox& b = box.getBoundingBox();
    bound = osg::BoundingSphere(b.center(), b.radius());
  }

  osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
  traits->readDISPLAY();
  traits->setUndefinedScreenDetailsToDefaultScreen();
  traits->width = width;
  traits->height = height;
  traits->pbuffer = false;
  traits->windowDecoration = false;
  traits->doubleBuffer = false;
  traits->red = traits->green = traits->blue = traits->alpha = 8;
  traits->depth = 24;
  osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits);
  if (!context) {
    std::fprintf(stderr, "render_scene: no graphics context (is DISPLAY set?)\n");
    return 1;
  }

  osgViewer::Viewer viewer;
  viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
  osg::Camera* camera = viewer.getCamera();
  camera->setGraphicsContext(context);
  camera->setViewport(0, 0, width, height);
  camera->setClearColor(osg::Vec4(0.55f, 0.65f, 0.8f, 1));
  camera->setProjectionMatrixAsPerspective(35, double(width) / height, 0.1, 10000);
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
  camera->attach(osg::Camera::COLOR_BUFFER, image.get());
  viewer.setSceneData(model);
  viewer.setLightingMode(osg::View::HEADLIGHT);

  // From the front, above and to the right, the sphere filling the view.
  const double distance = bound.radius() / std::sin(osg::DegreesToRadians(35.0 / 2)) * 0.7;
  osg::Vec3d direction(0.55, -0.75, 0.45);
  direction.normalize();
  const osg::Vec3d eye = bound.center() + direction * distance;
  camera->setViewMatrixAsLookAt(eye, bound.center(), osg::Vec3d(0, 0, 1));
  camera->setProjectionMatrixAsPerspective(35, double(width) / height, distance / 100,
                                           distance * 4);
  viewer.realize();
  for (int i = 0; i < 3; ++i) viewer.frame();

  if (!osgDB::writeImageFile(*image, args[1])) {
    std::fprintf(stderr, "render_scene: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}
