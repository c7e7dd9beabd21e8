#pragma once
// The host's class-descriptor interface: what a plug-in module tells the host
// about each class it offers, and how the host makes objects of it.
//
// The host reaches these objects through a module loaded with dlopen, whose own
// symbols are hidden: call them only through their virtual operations (no
// dynamic_cast or typeid across the module boundary).

#include "plugin/host_types.h"

class HostInterface;

// The super class of scene exporters.
constexpr SuperClassId kSceneExportClass = 0xA20;

class ClassDescriptor {
 public:
  virtual ~ClassDescriptor() = default;

  // Non-zero when users may see and create the class.
  virtual int isPublic() = 0;
  // A new object of the class, owned by the caller: a SceneExporter* for the
  // kSceneExportClass super class. `loading`: made to be read from a file.
  virtual void* create(bool loading = false) = 0;
  virtual int beginCreate(HostInterface* host) = 0;
  virtual int endCreate(HostInterface* host) = 0;
  virtual const char* className() = 0;
  virtual SuperClassId superClassId() = 0;
  virtual ClassId classId() = 0;
  virtual const char* category() = 0;

  virtual int okToCreate(HostInterface* /*host*/) { return 1; }
  // Class parameters: none, so nothing to edit or reset.
  virtual int hasClassParams() { return 0; }
  virtual void editClassParams(void* /*window*/) {}
  virtual void resetClassParams(bool /*fileReset*/ = false) {}
};
