// zorvel: exports a scene file as OpenFlight through the zorvel.dle plug-in.
#include "host/zorvel_command.h"

int main(int argc, char** argv) {
  return runZorvel(argc, argv);
}
