"""The lab for the shell scripts (run as `python3 -m lab` from the tree):

    runs-32-bit      exit code 0 if 32-bit programs start here
"""
import sys

from . import wine


def main(argv):
    if argv[1:] == ["runs-32-bit"]:
        return 0 if wine.runs_32_bit() else 1
    print(__doc__, file=sys.stderr)
    return 2


sys.exit(main(sys.argv))
