#include <iostream>

#include "cli/convert_command.h"
#include "cli/picture_loader.h"
#include "cli/stop_watch.h"
#include "files/file_system.h"

// The native zev-convert. Its page pictures need Qt, which only a run with --graphs loads, from the
// module beside the program.
int main(int argc, char** argv) {
  zev::prepareStandardOutput();
  zev::SaveRegistry saves;
  const zev::StopWatch stops(saves);
  zev::PictureLoader pictures;
  const zev::ConverterFeatures features{
      .drawPages =
          [&pictures](const zev::PagePictureRequest& request) { return pictures.draw(request); },
      .startDrawing = [&pictures] { return pictures.start(); },
      .saves = &saves,
  };
  return zev::runConvertCommand(argc, argv, std::cout, std::cerr, features);
}
