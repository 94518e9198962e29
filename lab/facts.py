"""Vexo.exe as seen from outside: its colours, its window classes, its menu,
its texts, its registry key. Colours are (r, g, b); hex() gives the sampler's
spelling."""

EXE = "Vexo.exe"
NO_WELCOME = "no_welcome"  # the argument that skips the welcome box

BLACK, GRAY, GREEN, WHITE = (0, 0, 0), (192, 192, 192), (64, 128, 128), (255, 255, 255)
COLOUR_NAMES = {BLACK: "black", GRAY: "gray", GREEN: "green", WHITE: "white"}


def hex(rgb):
    """"RRGGBB", as the pixel sampler reads and writes colours."""
    return "%02X%02X%02X" % tuple(rgb)


def name(rgb):
    """A colour's name for a message: black, ..., #rrggbb, or none."""
    return COLOUR_NAMES.get(tuple(rgb), "#%02x%02x%02x" % tuple(rgb)) if rgb else "none"


FORM_CLASS, BOX_CLASS = "VelumenForm", "VelumenInfoBox"
MENU_CLASS = "#32768"  # a pop-up menu is a top-level window of this class under Wine
ERROR_BOX_CLASS = "#32770"  # the system's message box is a dialog
TASKBAR_CLASS = "Shell_TrayWnd"  # Wine's explorer's task bar, a window of its own process
MENU_EDGE = (166, 166, 166)  # the pop-up menu's left border under Wine's default theme

PROGRAM_KEY = r"Software\Korvanta\Velumen"

# The menu's entries that can be chosen, top to bottom; separators follow
# "White-Green animation" and "Download more free Tavik's utilities".
ENTRIES = ["Black", "Gray", "Green", "White", "White-Green animation", "About Velumen",
           "How to use the program", "Look for the new version on the internet",
           "Download more free Tavik's utilities", "Exit"]
SEPARATOR_AFTER = ("White-Green animation", "Download more free Tavik's utilities")

CR = "\r"
WELCOME = ("Welcome to Velumen 1.3!" + CR + CR +
           "This is a very basic program for testing brightness settings and monitor quality "
           "and will therefore run in full screen mode. You can exit the program by "
           "right-clicking anywhere on the screen and selecting 'Exit' on the menu.")
HOW_TO = ("How to use Velumen" + CR + CR +
          "If you would like to test the brightness settings select 'Black' on the menu. You "
          "will see how black looks on your screen. If it is not quite black, adjust the "
          "hardware settings as needed. " + CR + CR +
          "If you want to test the quality of your monitor select 'White' to see if there are "
          "any yellow or blue regions. Select 'Gray' to see the Moire effect, select 'Green' to "
          "see if there are any 'storms' on the display." + CR +
          "Select 'Green-White Animation' to see how your screen size changes when the color "
          "changes fast." + CR + CR +
          "This should tell you more about your display." + CR + CR +
          "If you wan't to run the program without welcome text box then run it like this: "
          '"Vexo.exe no_welcome".')
