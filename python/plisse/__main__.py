"""python3 -m plisse sweep ...: the sweep command, which `plisse sweep` runs."""

import sys

from .sweeps import main

if len(sys.argv) < 2 or sys.argv[1] != "sweep":
    print("usage: python3 -m plisse sweep --help", file=sys.stderr)
    sys.exit(2)
sys.exit(main(sys.argv[2:]))
