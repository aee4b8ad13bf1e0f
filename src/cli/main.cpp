#include <iostream>
#include <optional>

#include "cli/convert_command.h"
#include "cli/stop_watch.h"
#include "files/file_system.h"
#include "pictures/page_pictures.h"

int main(int argc, char** argv) {
  zev::prepareStandardOutput();
  zev::SaveRegistry saves;
  const zev::StopWatch stops(saves);
  // Drawing needs Qt's application object; only a run with --graphs pays for starting it.
  std::optional<zev::PictureSession> pictures;
  const zev::ConverterFeatures features{
      .drawPages = zev::drawPagePictures,
      .startDrawing = [&pictures] { pictures.emplace(); },
      .saves = &saves,
  };
  return zev::runConvertCommand(argc, argv, std::cout, std::cerr, features);
}
