#pragma once
// The class descriptor of the exporter: the one class the module offers.

#include "plugin/class_descriptor.h"

class OpenZorvelDesc : public ClassDescriptor {
 public:
  static constexpr ClassId kClassId{0x51554F52, 0x49580000};

  int isPublic() override { return 1; }
  // A new OpenZorvel, as a SceneExporter*, with the standard options dialog.
  void* create(bool loading = false) override;
  int beginCreate(HostInterface*) override { return 0; }
  int endCreate(HostInterface*) override { return 0; }
  const char* className() override;
  SuperClassId superClassId() override { return kSceneExportClass; }
  ClassId classId() override { return kClassId; }
  const char* category() override;
};
