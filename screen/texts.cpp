#include "screen/texts.h"

namespace {
const char CR = '\r';
}

const char* const kHomePage = "http://www.korvanta.example/eng/";

std::string WelcomeText(const std::string& version) {
  return std::string("Welcome to Velumen ") + version + "!" + CR + CR +
         "This is a very basic program for testing brightness settings " +
         "and monitor quality and will therefore run in full " +
         "screen mode. You can exit the program by right-clicking " +
         "anywhere on the screen and selecting 'Exit' on the menu.";
}

std::string AboutText(const std::string& version) {
  return std::string("Velumen version ") + version + CR +
         "Copyright (C) Korvanta" + CR +
         "      [www.korvanta.example]" + CR +
         "http://www.korvanta.example/eng/free/" + CR +
         "http://www.korvanta.example/forum/" + CR + CR +
         "This program is freeware.";
}

std::string HowToText() {
  return std::string("How to use Velumen") + CR + CR +
         "If you would like to test the brightness settings select 'Black' on "
         "the menu. You will see how black looks on your screen. If it is not "
         "quite black, adjust the hardware settings as needed. " +
         CR + CR +
         "If you want to test the quality of your monitor select 'White' to see "
         "if there are any yellow or blue regions. Select 'Gray' to see the "
         "Moire effect, select 'Green' to see if there are any 'storms' on the "
         "display." +
         CR +
         "Select 'Green-White Animation' to see how your screen size changes "
         "when the color changes fast." +
         CR + CR + "This should tell you more about your display." + CR + CR +
         "If you wan't to run the program without welcome text box then run it "
         "like this: " +
         '"' + "Vexo.exe no_welcome" + '"' + ".";
}
